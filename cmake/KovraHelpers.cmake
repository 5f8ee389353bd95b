# Shared compile settings for every Kovra target.
add_library(kovra_options INTERFACE)
target_compile_options(kovra_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
  -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(KOVRA_WERROR)
  target_compile_options(kovra_options INTERFACE -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # At -O3 GCC 12 reports these from inside libstdc++'s inlined string, vector and variant code
    # on correct code; in Release they stay visible as warnings.
    target_compile_options(kovra_options INTERFACE $<$<CONFIG:Release>:-Wno-error=restrict
      -Wno-error=stringop-overflow -Wno-error=array-bounds -Wno-error=maybe-uninitialized
      -Wno-error=null-dereference>)
  endif()
endif()
target_include_directories(kovra_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

# kovra_module(<name> <dir> [DEPS ...]): a static library from every .cpp in <dir>.
function(kovra_module name dir)
  cmake_parse_arguments(M "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(_src)
    add_library(${name} STATIC ${_src})
    target_link_libraries(${name} PUBLIC kovra_options ${M_DEPS})
    # The front end's shared library links these too.
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  else()
    # Nothing written here yet: an empty interface keeps the dependency graph in place.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE kovra_options ${M_DEPS})
  endif()
endfunction()

# kovra_test_dir(<name> <dir> [LABELS ...] [DEPS ...]): one GoogleTest binary from every .cpp in <dir>.
function(kovra_test_dir name dir)
  cmake_parse_arguments(T "" "" "DEPS;LABELS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE kovra_options kovra_testsupport ${T_DEPS} GTest::gmock GTest::gtest)
  # Test discovery splits list-valued properties, so each test gets one label (ctest -L takes a
  # regular expression: "unit_threaded" answers both -L unit and -L threaded) and one variable,
  # the one that marks a test run.
  string(REPLACE ";" "_" _label "${T_LABELS}")
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${_label}" ENVIRONMENT "XCTestConfigurationFilePath=kovra"
    DISCOVERY_TIMEOUT 60)
  if("threaded" IN_LIST T_LABELS)
    set_property(GLOBAL APPEND PROPERTY KOVRA_THREADED_TESTS ${name})
  endif()
endfunction()
