# The man page of the orvamat tool, made from its own --help at build time,
# and the Debian packages of the three install components:
#   liborvamat0      the shared library (libOrvaMat.so.0)
#   liborvamat-dev   headers, libOrvaMat.so, CMake package, pkg-config file
#   orvamat          the command-line tool and its man page
#   liborvamat-dialogs0  the Qt dialogs (libOrvaMatDialogs.so.0), where Qt
#                    was found
# Made with: cpack --config <build>/CPackConfig.cmake

find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(orvamat_man ${CMAKE_CURRENT_BINARY_DIR}/orvamat.1)
  set(orvamat_man_commands ${CMAKE_CURRENT_BINARY_DIR}/orvamat-commands.h2m)
  add_custom_command(OUTPUT ${orvamat_man}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
      sh ${PROJECT_SOURCE_DIR}/cmake/man-commands.sh $<TARGET_FILE:orvamat> ${orvamat_man_commands}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
      ${HELP2MAN} --no-info --no-discard-stderr --include ${orvamat_man_commands}
      --name "manufacturers' material data: tables, datasets, imports and formulas"
      --output ${orvamat_man} $<TARGET_FILE:orvamat>
    DEPENDS orvamat ${PROJECT_SOURCE_DIR}/cmake/man-commands.sh
    COMMENT "Making the man page of orvamat"
    VERBATIM)
  add_custom_target(orvamat_man ALL DEPENDS ${orvamat_man})
  install(FILES ${orvamat_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
else()
  message(STATUS "help2man not found: no man page for orvamat (scripts/install-deps.sh installs it)")
endif()

set(CPACK_PACKAGE_NAME orvamat)
set(CPACK_PACKAGE_VENDOR "OrvaMat")
set(CPACK_PACKAGE_CONTACT "OrvaMat developers <orvamat@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Manufacturers' material data for building-services design software")
set(CPACK_GENERATOR DEB)
set(CPACK_COMPONENTS_ALL library development tool)
if(TARGET OrvaMatDialogs)
  list(APPEND CPACK_COMPONENTS_ALL dialogs)
endif()
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME liborvamat${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME liborvamat-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME orvamat)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)
# The tool links libOrvaMat.so like any host: its package needs the library's,
# and dpkg-shlibdeps finds the library where the build put it.
set(CPACK_COMPONENT_TOOL_DEPENDS library)
set(CPACK_DEBIAN_DIALOGS_PACKAGE_NAME liborvamat-dialogs${PROJECT_VERSION_MAJOR})
set(CPACK_COMPONENT_DIALOGS_DEPENDS library)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
  "OrvaMat material-management library\nLooks up manufacturers' articles, prices, texts, pictures and technical data kept as datasets of named tables in database files, and imports DATANORM, VDI 3805, BDH-2 and spreadsheets.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "OrvaMat material-management library, development files\nHeaders, the CMake package (find_package(OrvaMat)) and the pkg-config file (orvamat).")
set(CPACK_COMPONENT_TOOL_DESCRIPTION
  "orvamat: the OrvaMat library from a terminal\nQueries, database files, MMTB text tables, DATANORM import, formulas and script files.")
set(CPACK_COMPONENT_DIALOGS_DESCRIPTION
  "OrvaMat material-management library, dialogs\nThe dataset page, the article choice and the article search drawn with Qt 6 Widgets; orvamat dialog opens them.")
include(CPack)
