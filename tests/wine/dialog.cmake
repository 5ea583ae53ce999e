# The native window: the real main dialog under Wine on Xvfb, driven by window messages from
# a second thread, with the module simulator on COM21 (tests/win32/dialogCheckMain.cpp).
add_test(NAME wine_dialog_check
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/with-sim $<TARGET_FILE:korvane-sim> 21 --gui --
          ${KORVANE_WINDOWS_BUILD}/tests/win32/korvane_win_dialog_check.exe 21)
# It adds a port to the prefix's device list and takes it away again (wine_port_list).
set_tests_properties(wine_dialog_check PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 600
                     RESOURCE_LOCK wine_port_list)
