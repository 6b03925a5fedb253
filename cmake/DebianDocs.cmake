# CPack pre-build script: every Debian package carries its own copyright file
# and changelog in /usr/share/doc/<package>/, which a plain install does not
# need.
foreach(_component IN ITEMS RUNTIME DEV TOOLS)
  string(TOLOWER ${_component} _dir)
  set(_doc "${CPACK_TEMPORARY_DIRECTORY}/${_dir}/usr/share/doc/${CPACK_DEBIAN_${_component}_PACKAGE_NAME}")
  file(MAKE_DIRECTORY "${_doc}")
  file(COPY_FILE "${CPACK_BELVORA_DEBIAN_DIR}/copyright" "${_doc}/copyright")
  execute_process(COMMAND gzip -9 -n -c "${CPACK_BELVORA_CHANGELOG}"
                  OUTPUT_FILE "${_doc}/changelog.Debian.gz" RESULT_VARIABLE _status)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "cannot compress the changelog for ${_doc}")
  endif()
endforeach()
