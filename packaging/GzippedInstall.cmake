# vortab_install_gzipped(SOURCE NAME DESTINATION): the file SOURCE with @PROJECT_VERSION@ (and
# any other @VARIABLE@) filled in, written as NAME in the current build directory, compressed at
# build time to NAME.gz (gzip -9n: no name or time stamp, so it builds the same twice) and
# installed in DESTINATION. Manual pages and the Debian changelog go in this way.
function(vortab_install_gzipped source name destination)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${source} ${output} @ONLY)
  add_custom_command(OUTPUT ${output}.gz
    COMMAND gzip -9n -c ${output} > ${output}.gz
    DEPENDS ${output}
    COMMENT "Compressing ${name}")
  string(MAKE_C_IDENTIFIER ${name} id)
  add_custom_target(vortab_gzip_${id} ALL DEPENDS ${output}.gz)
  install(FILES ${output}.gz DESTINATION ${destination})
endfunction()
