# A console program that looks at the running ticker from outside: its resource counts and how
# long its window takes to answer. The long-running and fault tests drive it.
add_executable(process_probe ${CMAKE_CURRENT_LIST_DIR}/process_probe.cpp)
target_compile_definitions(process_probe PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(process_probe PRIVATE -Wall -Wextra)
target_link_options(process_probe PRIVATE -municode -static)
target_link_libraries(process_probe PRIVATE user32 psapi)
set_target_properties(process_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
