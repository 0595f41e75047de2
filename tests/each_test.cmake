# Read by ctest: lists the tests of ${binary} (anew when the binary is newer
# than the list) and adds a ctest test for each that reports its result file
# from the run of all tests, the ctest test ${binary}.
set(list "${binary}.tests")
if(NOT EXISTS "${list}" OR "${binary}" IS_NEWER_THAN "${list}")
  execute_process(COMMAND ${emulator} "${binary}" --gtest_list_tests
                  OUTPUT_VARIABLE listed RESULT_VARIABLE failed TIMEOUT 60)
  if(failed)
    add_test("${fixture}.list" false)
    return()
  endif()
  file(WRITE "${list}" "${listed}")
endif()
file(STRINGS "${list}" lines)
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ #]+)\\.( .*)?$")
    set(suite "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  ([^ #]+)")
    set(name "${suite}.${CMAKE_MATCH_1}")
    string(REPLACE "/" "~" file "${name}")
    add_test("${name}" sh "${checker}" "${results}/${file}")
    set_tests_properties("${name}" PROPERTIES FIXTURES_REQUIRED ${fixture} SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  endif()
endforeach()
