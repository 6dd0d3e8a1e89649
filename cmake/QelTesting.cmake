include(GoogleTest)

# One test executable per library. Each gets the shared main (offscreen
# QApplication, a private folder for its run-time files) and the helpers of
# tests/support. Every test case is its own ctest entry, so `ctest -j` runs
# cases of one executable side by side, each in a process of its own.
function(qel_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qel_test_support ${ARG_LIBS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # The cases are listed when ctest runs, not after linking: a sanitizer
  # build then needs no run of its executables to build, and a slow listing
  # under a sanitizer has time enough.
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    NO_PRETTY_VALUES
    PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()
