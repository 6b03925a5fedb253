# What `cmake --install` puts where, and the CMake package and pkg-config
# file that let other projects use the installed library.
#
#   lib/<arch>/libbelvora.so.3...        runtime
#   include/belvora/, libbelvora.so,
#   lib/<arch>/cmake/belvora/, .../pkgconfig/belvora.pc   dev
#   bin/Start, share/belvora/ (template database, SQL scripts),
#   share/man/man1/, share/doc/belvora/  tools
#   Trivex (once built): libexec/belvora/Trivex with source/ -> share/belvora
#   beside it, where it looks for its template database; bin/Trivex links to it.
include(CMakePackageConfigHelpers)

set(BELVORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/belvora)
set(BELVORA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/belvora)

install(TARGETS belvora EXPORT belvoraTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/library/include/belvora
                  ${PROJECT_BINARY_DIR}/library/include/belvora
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev
        FILES_MATCHING PATTERN "*.h")
install(EXPORT belvoraTargets NAMESPACE belvora:: DESTINATION ${BELVORA_CMAKE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/belvoraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/belvoraConfig.cmake INSTALL_DESTINATION ${BELVORA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/belvoraConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/belvoraConfig.cmake ${PROJECT_BINARY_DIR}/belvoraConfigVersion.cmake
        DESTINATION ${BELVORA_CMAKE_DIR} COMPONENT dev)
# Relative to ${prefix}, so that the installed tree can be moved.
file(RELATIVE_PATH BELVORA_PC_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
set(BELVORA_PC_PREFIX "\${pcfiledir}/${BELVORA_PC_PREFIX}")
string(REGEX REPLACE "/$" "" BELVORA_PC_PREFIX "${BELVORA_PC_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/belvora.pc.in ${PROJECT_BINARY_DIR}/belvora.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/belvora.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)

install(TARGETS Start RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
install(FILES ${BELVORA_TEMPLATE_DB} DESTINATION ${BELVORA_DATA_DIR} COMPONENT tools)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sql/ DESTINATION ${BELVORA_DATA_DIR}/sql COMPONENT tools)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT tools)

# Manual pages, compressed as Debian wants them.
set(_man_pages ${PROJECT_SOURCE_DIR}/launcher/Start.1)
if(TARGET Trivex)
  list(APPEND _man_pages ${PROJECT_SOURCE_DIR}/testprog/Trivex.1)
endif()
set(_man_outputs "")
foreach(_page IN LISTS _man_pages)
  get_filename_component(_name ${_page} NAME)
  set(_out ${PROJECT_BINARY_DIR}/man/${_name}.gz)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND gzip -9 -n -c ${_page} > ${_out}
    DEPENDS ${_page} VERBATIM)
  list(APPEND _man_outputs ${_out})
endforeach()
add_custom_target(belvora_man ALL DEPENDS ${_man_outputs})
install(FILES ${_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)

if(TARGET Trivex)
  set(_trivex_dir ${CMAKE_INSTALL_LIBEXECDIR}/belvora)
  install(TARGETS Trivex RUNTIME DESTINATION ${_trivex_dir} COMPONENT tools)
  file(RELATIVE_PATH _to_data "/${_trivex_dir}" "/${BELVORA_DATA_DIR}")
  file(RELATIVE_PATH _to_trivex "/${CMAKE_INSTALL_BINDIR}" "/${_trivex_dir}/Trivex")
  install(CODE "
    set(_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${_root}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"${_to_data}\" \"\${_root}/${_trivex_dir}/source\" SYMBOLIC)
    file(CREATE_LINK \"${_to_trivex}\" \"\${_root}/${CMAKE_INSTALL_BINDIR}/Trivex\" SYMBOLIC)"
    COMPONENT tools)
endif()
