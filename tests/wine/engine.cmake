# The serial engine and port discovery of the Windows build under Wine, driven from Linux.
# The Windows programs come from tests/win32/engineChecks.cmake in the cross build.

# Runs a Windows program through wine-run as a child process (reused by other Wine tests).
add_library(korvane_wine_child STATIC ${CMAKE_CURRENT_SOURCE_DIR}/wineChild.cpp)
target_include_directories(korvane_wine_child PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(korvane_wine_child PRIVATE KORVANE_WINE_RUN="${KORVANE_WINE_RUN}")

add_executable(wine_engine_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/engineTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/discoveryTest.cpp)
target_compile_definitions(wine_engine_tests PRIVATE KORVANE_WIN_TESTS_DIR="${KORVANE_WINDOWS_BUILD}/tests/win32")
target_link_libraries(wine_engine_tests PRIVATE korvane_wine_child korvane_test_support GTest::gtest_main
  Threads::Threads)
gtest_discover_tests(wine_engine_tests TEST_PREFIX wine_ DISCOVERY_TIMEOUT 60 TEST_FILTER -WineDiscovery.*
  PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED wine_prefix)
# The discovery cases read the prefix's port list, which the dialog check changes for a while.
gtest_discover_tests(wine_engine_tests TEST_PREFIX wine_ DISCOVERY_TIMEOUT 60 TEST_FILTER WineDiscovery.*
  PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_port_list)
