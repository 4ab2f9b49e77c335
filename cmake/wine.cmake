# Tests and benchmarks are Windows programs: CTest runs them under Wine, in a
# prefix of this build tree whose drives the tests configure.
set(WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/test)

# add_wine_test(NAME target [ARGS ...]): runs a test program under Wine.
function(add_wine_test name target)
  add_test(NAME ${name} COMMAND ${WINE_RUN} $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${WINE_TEST_PREFIX};VORLAN_TEST_PREFIX=1"
    TIMEOUT 300)
endfunction()

# add_wine_command_test(NAME command [args...]): a test driver that starts
# Wine programs itself (regsvr32, cscript...), in the same prefix and
# environment as add_wine_test.
function(add_wine_command_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${WINE_TEST_PREFIX};VORLAN_TEST_PREFIX=1"
    TIMEOUT 300)
endfunction()
