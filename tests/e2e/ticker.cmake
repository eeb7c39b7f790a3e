add_wine_script_test(ticker_window_e2e ${CMAKE_CURRENT_LIST_DIR}/ticker_window_e2e.py)
add_wine_script_test(watch_cycle_e2e ${CMAKE_CURRENT_LIST_DIR}/watch_cycle_e2e.py)
