# The help, usage and about windows under Wine, opened in the test process itself.
add_executable(info_windows_test ${CMAKE_CURRENT_LIST_DIR}/info_windows_test.cpp)
target_link_libraries(info_windows_test PRIVATE ticker_platform GTest::gtest_main)
target_compile_options(info_windows_test PRIVATE -Wall -Wextra)
add_wine_test(info_windows_under_wine info_windows_test)

# Opens one of the windows by name for tools/info-screenshots.
add_executable(info_showcase ${CMAKE_CURRENT_LIST_DIR}/info_showcase.cpp)
target_link_libraries(info_showcase PRIVATE ticker_platform)
target_compile_options(info_showcase PRIVATE -Wall -Wextra)
