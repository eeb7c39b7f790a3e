# Fetching a quote over WinINet under Wine, through the local quote service as the HTTP proxy.
# tools/with-quote-service starts the service for one test run and stops it whatever the outcome.
add_executable(quote_fetch_test ${CMAKE_CURRENT_LIST_DIR}/quote_fetch_test.cpp)
target_link_libraries(quote_fetch_test PRIVATE ticker_platform GTest::gtest_main ws2_32)
target_compile_options(quote_fetch_test PRIVATE -Wall -Wextra)

add_wine_script_test(quote_fetch_under_wine ${PROJECT_SOURCE_DIR}/tools/with-quote-service --demo --max-seconds 300
  -- ${PROJECT_SOURCE_DIR}/tools/wine-run $<TARGET_FILE:quote_fetch_test> --gtest_filter=FetchQuoteText.*)

# A proxy that never accepts the connection, as a host that has gone dead.
add_wine_script_test(quote_fetch_unresponsive_under_wine ${PROJECT_SOURCE_DIR}/tools/with-quote-service --unresponsive
  --max-seconds 300 -- env QUOTE_PROXY_IS_DEAD=1
  ${PROJECT_SOURCE_DIR}/tools/wine-run $<TARGET_FILE:quote_fetch_test> --gtest_filter=FetchQuoteTextFromADeadProxy.*)

# Nothing listens on port 1 of the loopback address, so the proxy refuses every connection.
add_wine_test(quote_fetch_refused_under_wine quote_fetch_test
  ENVIRONMENT http_proxy=http://127.0.0.1:1 QUOTE_PROXY_IS_DEAD=1 GTEST_FILTER=FetchQuoteTextFromADeadProxy.*)
