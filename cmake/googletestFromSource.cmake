# GoogleTest and GoogleMock built from Debian's source copy (package googletest), for builds
# that cannot use the host's prebuilt libraries: the MinGW-w64 cross build. It gives the same
# GTest::gtest, GTest::gtest_main, GTest::gmock targets as find_package(GTest).
set(KORVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source folder")
if(NOT EXISTS ${KORVANE_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${KORVANE_GOOGLETEST_SOURCE}: install the googletest package")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${KORVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
