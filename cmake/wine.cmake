# Tests and benchmarks are Windows programs: CTest runs them under Wine, in a
# prefix of this build tree whose drives the tests configure. VORLAN_WIDTH
# tells scripts/wine-run.sh which Wine loader starts them; where the machine
# cannot run 32-bit programs at all, it answers 77 and CTest reports the test
# as skipped, saying why.
set(WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/test)
set(WINE_TEST_ENVIRONMENT "WINEPREFIX=${WINE_TEST_PREFIX};VORLAN_TEST_PREFIX=1;VORLAN_WIDTH=${VORLAN_WIDTH}")
# Wine keeps the user's number and date formats in the prefix's registry and
# rewrites them whenever a program of another locale starts there, so English
# and Russian programs side by side in one prefix would read each other's
# decimal separator. A Russian user's tests get a prefix of their own.
set(WINE_RUSSIAN_PREFIX ${WINE_TEST_PREFIX}-ru)

# add_wine_test(NAME target [ARGS ...]): runs a test program under Wine.
function(add_wine_test name target)
  add_test(NAME ${name} COMMAND ${WINE_RUN} $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${WINE_TEST_ENVIRONMENT}" TIMEOUT 300 SKIP_RETURN_CODE 77)
endfunction()

# add_wine_command_test(NAME command [args...]): a test driver that starts
# Wine programs itself (regsvr32, cscript...) through scripts/wine-run.sh, in
# the same prefix and environment as add_wine_test.
function(add_wine_command_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${WINE_TEST_ENVIRONMENT}" TIMEOUT 300 SKIP_RETURN_CODE 77)
endfunction()

# run_as_russian_user(TEST...): runs tests added above as a Russian user, in
# the Russian prefix (call it after their other environment is set).
function(run_as_russian_user)
  foreach(test ${ARGN})
    get_test_property(${test} ENVIRONMENT environment)
    list(TRANSFORM environment REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${WINE_RUSSIAN_PREFIX}")
    list(APPEND environment LC_ALL=ru_RU.UTF-8)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${environment}")
  endforeach()
endfunction()
