include(${CMAKE_CURRENT_LIST_DIR}/QelTestDiscovery.cmake)

# Test code is compiled lighter than the product: less optimisation and line
# tables only (enough for a backtrace and a sanitizer's report). A Debug
# build keeps its -O0 -g.
set(QEL_TEST_OPTIONS $<$<NOT:$<CONFIG:Debug>>:-Og -g1>)

# Test files are compiled in batches of sixteen (a unity build): the
# GoogleTest and Qt headers are parsed, and their inline functions compiled
# and instrumented, once a batch instead of once a file (the tests of
# lists/ took a third less compile time than in batches of eight, a fifth
# less with the sanitizers; all of an executable's files in one batch take
# more memory and leave a second core idle). Names in an anonymous
# namespace are shared by a batch, so a file whose helpers clash with
# another file's is listed under SEPARATE and compiled on its own.
set(QEL_TEST_BATCH 16 CACHE STRING "Test files compiled together (0: all of an executable's)")

# One test executable per library. Each gets the shared main (offscreen
# QApplication, a private folder for its run-time files) and the helpers of
# tests/support. Each test suite is a ctest entry of its own, and each case
# of the suites in CASE_SUITES (see QelTestDiscovery.cmake).
function(qel_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;SEPARATE;LIBS;CASE_SUITES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qel_test_support ${ARG_LIBS})
  target_compile_options(${name} PRIVATE ${QEL_TEST_OPTIONS})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${QEL_TEST_BATCH})
  list(TRANSFORM ARG_SEPARATE PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  set_source_files_properties(${ARG_SEPARATE} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # The cases are listed when ctest runs, not after linking: a sanitizer
  # build then needs no run of its executables to build.
  qel_discover_tests(${name} TIMEOUT ${ARG_TIMEOUT} CASE_SUITES ${ARG_CASE_SUITES})
endfunction()
