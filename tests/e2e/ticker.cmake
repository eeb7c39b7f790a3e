add_wine_script_test(ticker_window_e2e ${CMAKE_CURRENT_LIST_DIR}/ticker_window_e2e.py)
add_wine_script_test(watch_cycle_e2e ${CMAKE_CURRENT_LIST_DIR}/watch_cycle_e2e.py)
add_wine_script_test(alarm_sound_e2e ${CMAKE_CURRENT_LIST_DIR}/alarm_sound_e2e.py)
add_wine_script_test(help_window_e2e ${CMAKE_CURRENT_LIST_DIR}/help_window_e2e.py)
