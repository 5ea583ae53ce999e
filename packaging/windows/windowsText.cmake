# windows_text(SOURCE NAME): installs the UTF-8 text SOURCE as NAME, with the version filled
# in (@CPACK_PACKAGE_VERSION@), CRLF line ends and a byte-order mark, so that Notepad on any
# Windows shows its Chinese.
function(windows_text source name)
  file(READ ${source} content)
  string(CONFIGURE "${content}" content @ONLY)
  string(REPLACE "\n" "\r\n" content "${content}")
  string(ASCII 239 187 191 bom)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/windows/${name})
  file(WRITE ${out} "${bom}${content}")
  install(FILES ${out} DESTINATION .)
  # A changed source writes the file again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
