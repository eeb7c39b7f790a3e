# The program under the quote service's faults, over a long watch, and at each of its ends.
if(NOT LONG_WATCH_REFRESHES)
  set(LONG_WATCH_REFRESHES 1200)
endif()
add_wine_script_test(quote_faults_e2e ${CMAKE_CURRENT_LIST_DIR}/quote_faults_e2e.py $<TARGET_FILE:process_probe>)
add_wine_script_test(program_ends_e2e ${CMAKE_CURRENT_LIST_DIR}/program_ends_e2e.py $<TARGET_FILE:process_probe>)
add_wine_script_test(long_watch_e2e ${CMAKE_CURRENT_LIST_DIR}/long_watch_e2e.py
                     $<TARGET_FILE:process_probe> $<TARGET_FILE:ticker_fast_refresh> ${LONG_WATCH_REFRESHES})
