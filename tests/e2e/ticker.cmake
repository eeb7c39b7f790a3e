add_wine_script_test(ticker_window_e2e ${CMAKE_CURRENT_LIST_DIR}/ticker_window_e2e.py)
add_wine_script_test(watch_cycle_e2e ${CMAKE_CURRENT_LIST_DIR}/watch_cycle_e2e.py)
add_wine_script_test(alarm_sound_e2e ${CMAKE_CURRENT_LIST_DIR}/alarm_sound_e2e.py)
add_wine_script_test(help_window_e2e ${CMAKE_CURRENT_LIST_DIR}/help_window_e2e.py)

# Not inside the shared session: this one starts and stops sessions of its own.
add_test(NAME wine_session_starts_and_stops_twice COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine_session_test.sh)
set_tests_properties(wine_session_starts_and_stops_twice PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
