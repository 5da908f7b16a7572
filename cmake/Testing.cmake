# GoogleTest is built from its sources, so the same suite builds for the
# 32-bit target and under the sanitizers.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  message(FATAL_ERROR "GoogleTest sources not found: install the 'googletest' package (./dev deps)")
endif()
include(GoogleTest)

# mv_add_test(NAME src... LIBS lib... [LABELS label...]): one test program,
# each case its own ctest test.
function(mv_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  # The sanitizers' options (tests/*.supp) come from ./dev test, which sets
  # them for the tests and the programs they start.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "MV_BUILD_DIR=${CMAKE_BINARY_DIR}" LABELS "${T_LABELS}")
endfunction()
