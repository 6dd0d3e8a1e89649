# ctest entries of a GoogleTest executable, listed when ctest runs (as the
# PRE_TEST mode of gtest_discover_tests does): one entry per test suite, a
# process that runs the suite's cases one after the other, since starting a
# Qt process costs more than most cases take. Suites named in CASE_SUITES
# (those whose cases wait on a line or a window for seconds) get one entry
# per case instead, so that ctest -j overlaps their cases.
#
# qel_discover_tests is called at configure time; the include file it
# generates includes this script again at ctest time (QEL_DISCOVER_RUN).

if(QEL_DISCOVER_RUN)
  # --- at ctest time: list the cases and write the entries ----------------
  cmake_policy(PUSH)
  cmake_policy(SET CMP0057 NEW) # IN_LIST
  string(REPLACE "," ";" CASE_SUITES "${CASE_SUITES}")
  execute_process(
    COMMAND "${EXE}" --gtest_list_tests
    WORKING_DIRECTORY "${WORKDIR}"
    TIMEOUT 120
    OUTPUT_VARIABLE listing
    ERROR_VARIABLE listing_err
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(WRITE "${TESTS_FILE}"
      "add_test([=[${PREFIX}NOT_LISTED]=] \"${EXE}\" --gtest_list_tests)\n")
    cmake_policy(POP)
    return()
  endif()
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(content "")
  set(suite "")
  set(props "WORKING_DIRECTORY [==[${WORKDIR}]==] TIMEOUT ${TIMEOUT}")
  foreach(line IN LISTS lines)
    # "  # GetParam() = ..." and "  # TypeParam = ..." annotations go.
    string(REGEX REPLACE " +#.*$" "" line "${line}")
    if(line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^ ")
      string(REGEX REPLACE "\\.$" "" suite "${line}")
      string(REGEX REPLACE "^[^/]*/" "" base "${suite}")
      if(NOT base IN_LIST CASE_SUITES)
        string(APPEND content
          "add_test([=[${PREFIX}${suite}]=] [==[${EXE}]==] [==[--gtest_filter=${suite}.*]==])\n"
          "set_tests_properties([=[${PREFIX}${suite}]=] PROPERTIES ${props})\n")
      endif()
      continue()
    endif()
    string(REGEX REPLACE "^[^/]*/" "" base "${suite}")
    if(base IN_LIST CASE_SUITES)
      string(STRIP "${line}" case)
      set(full "${suite}.${case}")
      string(APPEND content
        "add_test([=[${PREFIX}${full}]=] [==[${EXE}]==] [==[--gtest_filter=${full}]==])\n"
        "set_tests_properties([=[${PREFIX}${full}]=] PROPERTIES ${props}"
        " SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==])\n")
    endif()
  endforeach()
  file(WRITE "${TESTS_FILE}" "${content}")
  cmake_policy(POP)
  return()
endif()

function(qel_discover_tests name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "CASE_SUITES" ${ARGN})
  set(base "${CMAKE_CURRENT_BINARY_DIR}/${name}")
  set(tests_file "${base}_entries.cmake")
  set(include_file "${base}_entries_include.cmake")
  string(REPLACE ";" "," case_suites "${ARG_CASE_SUITES}")
  file(GENERATE OUTPUT "${include_file}" CONTENT
"set(exe [==[$<TARGET_FILE:${name}>]==])
set(tests_file [==[${tests_file}]==])
if(NOT EXISTS \"\${exe}\")
  add_test([=[${name}.NOT_BUILT]=] [=[${name}.NOT_BUILT]=])
  return()
endif()
if(NOT EXISTS \"\${tests_file}\" OR
   NOT \"\${tests_file}\" IS_NEWER_THAN \"\${exe}\" OR
   NOT \"\${tests_file}\" IS_NEWER_THAN \"\${CMAKE_CURRENT_LIST_FILE}\")
  set(QEL_DISCOVER_RUN ON)
  set(EXE \"\${exe}\")
  set(WORKDIR [==[${CMAKE_CURRENT_BINARY_DIR}]==])
  set(TESTS_FILE \"\${tests_file}\")
  set(PREFIX [==[${name}.]==])
  set(TIMEOUT [==[${ARG_TIMEOUT}]==])
  set(CASE_SUITES [==[${case_suites}]==])
  include([==[${CMAKE_CURRENT_FUNCTION_LIST_FILE}]==])
endif()
include(\"\${tests_file}\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()
