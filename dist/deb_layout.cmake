# Run by cpack on its staging folder before the package is made: Debian wants the manual page
# and the changelog compressed (gzip -9n, no name or time stamp inside).
set(_root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share")
foreach(f "${_root}/man/man1/ugfview.1" "${_root}/doc/ugfview/changelog")
  execute_process(COMMAND gzip -9nf "${f}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${f} failed")
  endif()
endforeach()
