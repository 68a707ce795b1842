# Helpers shared by every subsystem folder.

# orvamat_library(NAME SOURCES... [DEPS targets...])
# A static library of one subsystem, with our warnings and the repository root
# as include directory (includes are written from the root: "store/arena.h").
function(orvamat_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  orvamat_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY ORVAMAT_SUBSYSTEMS ${name})
endfunction()

# Warnings are on everywhere; the developers' presets and CI make them errors
# (CMAKE_COMPILE_WARNING_AS_ERROR), so that a user's plain build still builds
# when another compiler version raises a false alarm.
function(orvamat_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  target_compile_definitions(${target} PRIVATE ORVAMAT_BUILDING)
endfunction()

# orvamat_tests(NAME SOURCES... DEPS targets...)
# One test program per subsystem; ctest names each case.
function(orvamat_tests name)
  if(NOT ORVAMAT_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  orvamat_warnings(${name})
  # Tests that read the bundled examples find the source tree here: __FILE__
  # is relative when the compiler launcher rewrites paths (ccache's base_dir).
  target_compile_definitions(${name} PRIVATE ORVAMAT_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # GCC 12 at -O3 warns of overlapping copies inside std::string's operator+
  # that can not happen (GCC bug 105651); tests build such texts freely.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${name} PRIVATE -Wno-restrict)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ORVAMAT_TESTDATA=${ORVAMAT_TESTDATA_DIR}")
endfunction()

if(NOT DEFINED ORVAMAT_TESTDATA_DIR)
  if(DEFINED ENV{ORVAMAT_TESTDATA})
    set(ORVAMAT_TESTDATA_DIR $ENV{ORVAMAT_TESTDATA})
  else()
    get_filename_component(ORVAMAT_TESTDATA_DIR ${PROJECT_SOURCE_DIR}/../shared/testdata ABSOLUTE)
  endif()
endif()
