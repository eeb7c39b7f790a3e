# Windows tests run under Wine in one session per ctest run: a virtual display, a private
# prefix and a persistent wineserver, started before the first test and stopped after the last.

set(WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine)

function(add_wine_session_fixture)
  add_test(NAME wine_session_start COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env start ${WINE_SESSION_DIR})
  add_test(NAME wine_session_stop COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-env stop ${WINE_SESSION_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
endfunction()

# add_wine_test(<test name> <executable target> [ENVIRONMENT var=value...] [TIMEOUT seconds])
# Runs a test executable under Wine inside the session. RUN_SERIAL because the tests share one display.
function(add_wine_test name target)
  cmake_parse_arguments(arg "" "TIMEOUT" "ENVIRONMENT" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${target})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine_session
    RUN_SERIAL TRUE
    TIMEOUT ${arg_TIMEOUT}
    ENVIRONMENT "WINE_SESSION=${WINE_SESSION_DIR};${arg_ENVIRONMENT}")
endfunction()

# add_wine_script_test(<test name> <script> [args...]): an end-to-end script that drives the real
# program; it finds the session through WINE_SESSION and the program through TICKER_EXE.
function(add_wine_script_test name script)
  add_test(NAME ${name} COMMAND ${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine_session
    RUN_SERIAL TRUE
    TIMEOUT 600
    ENVIRONMENT "WINE_SESSION=${WINE_SESSION_DIR};TICKER_EXE=$<TARGET_FILE:ticker>;TICKER_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
