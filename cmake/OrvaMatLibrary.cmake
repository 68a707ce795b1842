# libOrvaMat.so: every subsystem library linked whole, so that each exported
# entry point is in the shared object even when nothing inside calls it.
get_property(orvamat_subsystems GLOBAL PROPERTY ORVAMAT_SUBSYSTEMS)

add_library(OrvaMat SHARED cmake/empty.cpp)
set_target_properties(OrvaMat PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
  LINK_WHAT_YOU_USE OFF)
# Every subsystem's objects go in whole (so each exported entry point is in
# the shared object); linking the libraries as well brings their own
# dependencies (libmd, ...) and adds no second copy of an object. Whole-archive
# linking would list a library twice once one subsystem depends on another.
foreach(lib ${orvamat_subsystems})
  target_sources(OrvaMat PRIVATE $<TARGET_OBJECTS:${lib}>)
endforeach()
target_link_libraries(OrvaMat PRIVATE ${orvamat_subsystems})
target_link_options(OrvaMat PRIVATE -Wl,--no-undefined -Wl,-Bsymbolic-functions)
target_include_directories(OrvaMat PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
add_library(OrvaMat::OrvaMat ALIAS OrvaMat)

# Install components, one Debian package each (cmake/OrvaMatPackaging.cmake):
# "library" the versioned shared object, "development" what a host builds
# against (headers, the unversioned link, the CMake package, the pkg-config
# file), "tool" the orvamat command and its man page.
include(CMakePackageConfigHelpers)
install(TARGETS OrvaMat EXPORT OrvaMatTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
  NAMELINK_COMPONENT development)
install(DIRECTORY include/OrvaMat DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT OrvaMatTargets NAMESPACE OrvaMat::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrvaMat COMPONENT development)
file(RELATIVE_PATH ORVAMAT_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/orvamat.pc.in ${CMAKE_CURRENT_BINARY_DIR}/orvamat.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/orvamat.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
configure_package_config_file(cmake/OrvaMatConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/OrvaMatConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrvaMat)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/OrvaMatConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/OrvaMatConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/OrvaMatConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/OrvaMat COMPONENT development)
