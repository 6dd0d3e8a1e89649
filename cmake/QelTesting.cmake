include(${CMAKE_CURRENT_LIST_DIR}/QelTestDiscovery.cmake)

# One test executable per library. Each gets the shared main (offscreen
# QApplication, a private folder for its run-time files) and the helpers of
# tests/support. Each test suite is a ctest entry of its own, and each case
# of the suites in CASE_SUITES (see QelTestDiscovery.cmake).
function(qel_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;CASE_SUITES" ${ARGN})
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qel_test_support ${ARG_LIBS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # The cases are listed when ctest runs, not after linking: a sanitizer
  # build then needs no run of its executables to build.
  qel_discover_tests(${name} TIMEOUT ${ARG_TIMEOUT} CASE_SUITES ${ARG_CASE_SUITES})
endfunction()
