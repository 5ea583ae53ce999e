# The serial engine and port discovery through the real Win32 calls, each a console program
# that tests/wine runs under Wine with a pty as the COM port.
add_executable(korvane_win_serial_check serialCheck.cpp)
target_link_libraries(korvane_win_serial_check PRIVATE korvane_platform korvane_serial)
target_include_directories(korvane_win_serial_check PRIVATE ${PROJECT_SOURCE_DIR})

# Wine gives each program name its own Windows version (AppDefaults in the registry), so the
# discovery check is also built under the names that select NT 4 and Windows 98.
add_executable(korvane_win_discovery_check discoveryCheck.cpp)
target_link_libraries(korvane_win_discovery_check PRIVATE korvane_platform korvane_discovery)
target_include_directories(korvane_win_discovery_check PRIVATE ${PROJECT_SOURCE_DIR})
foreach(flavour nt4 win98)
  add_custom_command(TARGET korvane_win_discovery_check POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:korvane_win_discovery_check>
            $<TARGET_FILE_DIR:korvane_win_discovery_check>/korvane_win_discovery_${flavour}.exe)
endforeach()
