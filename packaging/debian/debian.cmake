# The Debian package: the two programs, the menu entry and its icons, the AppStream metainfo,
# the manual pages, and Debian's copyright and changelog files.
set(here ${CMAKE_CURRENT_SOURCE_DIR}/debian)
set(staged ${CMAKE_CURRENT_BINARY_DIR}/debian)
set(appId ${KORVANE_APP_ID})
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The changelog and the metainfo list past releases: their newest must be this version.
function(korvane_require_newest_release file pattern)
  file(READ ${file} text)
  string(REGEX MATCH "${pattern}" found "${text}")
  if(NOT CMAKE_MATCH_1 STREQUAL CPACK_PACKAGE_VERSION)
    message(FATAL_ERROR "${file}: the newest release is '${CMAKE_MATCH_1}', the project's is ${CPACK_PACKAGE_VERSION}")
  endif()
endfunction()
korvane_require_newest_release(${here}/changelog "^korvane \\(([^-)]+)-")
korvane_require_newest_release(${here}/${appId}.metainfo.xml "<release version=\"([^\"]+)\"")

install(TARGETS korvane korvane-sim RUNTIME DESTINATION bin)
# As Debian's own packaging does, the compilers' notes go with the symbols.
install(CODE "foreach(program korvane korvane-sim)
  execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment --remove-section=.note
                  \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/\${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()")
install(FILES ${here}/${appId}.desktop DESTINATION share/applications)
install(FILES ${here}/${appId}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${here}/copyright DESTINATION share/doc/korvane)
install(FILES ${here}/lintian-overrides DESTINATION share/lintian/overrides RENAME korvane)

# The icon at the theme's sizes, and as squares for any size, from its one source.
set(iconFiles "")
foreach(size 16 32 48 64 128 256)
  set(png ${staged}/icons/${size}/korvane.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/icons/${size}
    COMMAND korvane_make_icon_files png ${size} ${png}
    DEPENDS korvane_make_icon_files
    COMMENT "Writing the ${size} px icon")
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  list(APPEND iconFiles ${png})
endforeach()
add_custom_command(OUTPUT ${staged}/icons/korvane.svg
  COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/icons
  COMMAND korvane_make_icon_files svg ${staged}/icons/korvane.svg
  DEPENDS korvane_make_icon_files
  COMMENT "Writing the scalable icon")
install(FILES ${staged}/icons/korvane.svg DESTINATION share/icons/hicolor/scalable/apps)
list(APPEND iconFiles ${staged}/icons/korvane.svg)

# Debian keeps manual pages and changelogs compressed, without a time stamp in the header.
find_program(GZIP gzip REQUIRED)
set(gzipped "")
foreach(pair "korvane.1:korvane.1.gz" "korvane-sim.1:korvane-sim.1.gz" "changelog:changelog.Debian.gz")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(OUTPUT ${staged}/${target}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
    COMMAND ${GZIP} -9n -c ${here}/${source} > ${staged}/${target}
    DEPENDS ${here}/${source}
    COMMENT "Compressing ${source}")
  list(APPEND gzipped ${staged}/${target})
endforeach()
install(FILES ${staged}/korvane.1.gz ${staged}/korvane-sim.1.gz DESTINATION share/man/man1)
install(FILES ${staged}/changelog.Debian.gz DESTINATION share/doc/korvane)
add_custom_target(korvane_package_files ALL DEPENDS ${iconFiles} ${gzipped})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: Qt loads its platform plugin and translations at run time,
# and the window's font ("宋体") is mapped to one of these CJK fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_PACKAGE_DESCRIPTION [=[
Korvane is a serial-port terminal for bench work with radio modules on
RS-232 or USB serial adapters, in one small window with a Simplified
Chinese interface. Pick a port and its line settings, open it, and watch
what the module sends as GBK text or as hex bytes; send text or hex once
or on a timer, count the bytes both ways, fill in built-in test commands
and save what is received to a file.

The package also holds korvane-sim, which plays a radio module on a
pseudo-terminal, for trying the program without hardware.]=])
