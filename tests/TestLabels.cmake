# Included by CTest after the discovered tests of orv_tests are added: labels
# each test with the folder of tests/ that holds its source (data, records,
# reports, ...), "windows" for the tests that drive windows, "pg" for those
# that run on PostgreSQL, "rights" for those that run as an ordinary user, so
# that `ctest -L data` runs one part of the suite.
# The suites' source files come from the test program's own JSON listing.
# Every test outside data/ shows windows: it asks CTest for an X display of
# its own ("displays", from the resource file scripts/test writes), so that
# it runs on the xcb platform as users see the program; focus, window
# activation and shortcuts differ on the offscreen platform.
if(NOT DEFINED orv_tests_TESTS OR NOT EXISTS "${ORV_TEST_EXE}")
  return()
endif()
if(NOT EXISTS "${ORV_TEST_LIST_JSON}" OR "${ORV_TEST_EXE}" IS_NEWER_THAN "${ORV_TEST_LIST_JSON}")
  # CTest reads this file without CMAKE_COMMAND, so the platform goes in through the environment.
  set(ENV{QT_QPA_PLATFORM} offscreen)
  execute_process(
    COMMAND "${ORV_TEST_EXE}" --gtest_list_tests "--gtest_output=json:${ORV_TEST_LIST_JSON}"
    OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE listed)
  if(NOT listed EQUAL 0 OR NOT EXISTS "${ORV_TEST_LIST_JSON}")
    message(WARNING "orv_tests could not list its tests; the tests carry no labels")
    return()
  endif()
endif()

file(READ "${ORV_TEST_LIST_JSON}" listing)
string(JSON suite_count LENGTH "${listing}" testsuites)
math(EXPR last_suite "${suite_count} - 1")
foreach(i RANGE ${last_suite})
  string(JSON suite GET "${listing}" testsuites ${i} name)
  string(JSON source GET "${listing}" testsuites ${i} testsuite 0 file)
  string(REGEX REPLACE ".*/tests/([^/]+)/[^/]+$" "\\1" folder "${source}")
  set(labels ${folder})
  if(folder MATCHES "^(app|dialogs|records|search)$")
    list(APPEND labels windows)
  endif()
  set("orv_suite_display_${suite}" FALSE)
  if(NOT folder STREQUAL "data")
    set("orv_suite_display_${suite}" TRUE)
  endif()
  if(source MATCHES "/pg[^/]*$")
    list(APPEND labels pg)
  endif()
  set("orv_suite_labels_${suite}" ${labels})
endforeach()

foreach(test IN LISTS orv_tests_TESTS)
  string(REGEX REPLACE "\\..*" "" suite "${test}")
  set(labels ${orv_suite_labels_${suite}})
  # A parameterised case is named "Db/Suite.Case/Postgres  # GetParam() = Postgres".
  if(test MATCHES "/Postgres( |$)")
    list(APPEND labels pg)
  endif()
  # Checks of rights, run as an ordinary user (`ctest -L rights`).
  if(test MATCHES "AsOrdinaryUser")
    list(APPEND labels rights)
  endif()
  if(labels)
    set_tests_properties("${test}" PROPERTIES LABELS "${labels}")
  endif()
  if(orv_suite_display_${suite})
    set_tests_properties("${test}" PROPERTIES RESOURCE_GROUPS "displays:1")
  endif()
endforeach()

# Tests that stop or restart the PostgreSQL server every test shares run alone,
# and so do those that print on the test print server or take its printers
# away (a test beside them would find no printer, or their job in its queue).
foreach(test IN LISTS orv_tests_TESTS)
  if(test MATCHES "ServerOutageTest|SystemPrinterQueueTest")
    set_tests_properties("${test}" PROPERTIES RUN_SERIAL TRUE)
  endif()
endforeach()
