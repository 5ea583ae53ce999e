# The portable unit suites and the smoke program of the Windows build, each run whole under
# Wine as one test (the suites' case lists live in the cross build's own tests/CMakeLists.txt).
# The suite list follows the WIN32 suites there. A missing program fails its test, so a cross
# build without KORVANE_TESTS shows up here rather than passing silently.
set(korvane_wine_programs
  tests/codec_tests.exe
  tests/serial_tests.exe
  tests/discovery_tests.exe
  tests/app_tests.exe
  tests/resources_tests.exe
  tests/win32/korvane_win_smoke.exe)

foreach(program IN LISTS korvane_wine_programs)
  get_filename_component(suite ${program} NAME_WE)
  add_test(NAME wine_${suite} COMMAND ${KORVANE_WINE_RUN} ${KORVANE_WINDOWS_BUILD}/${program})
  # They touch no port and no display, so they run side by side (wine-run makes the prefix
  # under a lock). Wine starting cold on a loaded machine takes its time; the stress suite more so.
  set_tests_properties(wine_${suite} PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 900)
endforeach()
