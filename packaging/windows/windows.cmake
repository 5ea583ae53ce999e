# The Windows packages: the portable zip and the NSIS installer (its script is
# NSIS.template.in here), both holding the program, a short readme and the copyright text.
include(${CMAKE_CURRENT_LIST_DIR}/windowsText.cmake)

install(TARGETS korvane RUNTIME DESTINATION .)
windows_text(${CMAKE_CURRENT_LIST_DIR}/README.txt.in README.txt)
windows_text(${CMAKE_CURRENT_LIST_DIR}/../copyright.txt COPYRIGHT.txt)

set(CPACK_GENERATOR ZIP NSIS)
# Each generator names its own file (perGenerator.cmake); CPack finds this folder's template
# before its own.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/perGenerator.cmake)
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})

set(CPACK_PACKAGE_INSTALL_DIRECTORY Korvane)
# One key for every version, so a newer installer replaces the older install.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Korvane)
set(CPACK_NSIS_PACKAGE_NAME Korvane)
set(CPACK_NSIS_DISPLAY_NAME Korvane)
set(CPACK_NSIS_INSTALLED_ICON_NAME korvane.exe)
set(CPACK_NSIS_UNINSTALL_NAME uninstall)
set(CPACK_NSIS_MUI_ICON ${KORVANE_ICO})
set(CPACK_NSIS_MUI_UNIICON ${KORVANE_ICO})
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# The installer's own version record: all four numbers, as the program's, and the copyright
# line of the copyright text.
set(CPACK_NSIS_KORVANE_FILE_VERSION ${PROJECT_VERSION})
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../copyright.txt CPACK_NSIS_KORVANE_COPYRIGHT REGEX "^Copyright" LIMIT_COUNT 1
  ENCODING UTF-8)
