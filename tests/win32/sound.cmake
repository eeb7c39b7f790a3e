# The clip player under Wine, on an ALSA sink that writes each output stream to a WAV file of its
# own (stream.wav, stream.wav.0001, ... in the order the streams were opened), so that two playbacks
# sounding at once can be told apart. A single truncating file, as WINE_ALSA_SINK gives, would hold
# the bytes of concurrent streams written over each other.
set(sound_sink_dir ${CMAKE_CURRENT_BINARY_DIR}/sound_sink)
set(sound_sink_home ${CMAKE_CURRENT_BINARY_DIR}/sound_sink_home)
file(MAKE_DIRECTORY ${sound_sink_dir})
file(WRITE ${sound_sink_home}/.asoundrc
     "pcm.!default { type file; slave.pcm \"null\"; file \"${sound_sink_dir}/stream.wav\"; truncate false; format \"wav\" }\n")
# A home with no ALSA settings: on a machine without a sound card there is then no audio device.
set(no_device_home ${CMAKE_CURRENT_BINARY_DIR}/sound_no_device_home)
file(MAKE_DIRECTORY ${no_device_home})

add_executable(sound_player_test ${CMAKE_CURRENT_LIST_DIR}/sound_player_test.cpp)
target_link_libraries(sound_player_test PRIVATE ticker_platform GTest::gtest_main)
target_compile_options(sound_player_test PRIVATE -Wall -Wextra)
target_compile_definitions(sound_player_test PRIVATE TICKER_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

add_wine_test(sound_player_on_a_file_sink sound_player_test
              ENVIRONMENT HOME=${sound_sink_home} SOUND_SINK_DIR=${sound_sink_dir} GTEST_FILTER=ClipPlayer.*:BuiltInClips.*)
add_wine_test(sound_player_without_audio_device sound_player_test
              ENVIRONMENT HOME=${no_device_home} GTEST_FILTER=ClipPlayerWithoutDevice.*)

# Prints how long playClip keeps the calling thread; it asserts nothing about time.
add_executable(play_clip_bench ${PROJECT_SOURCE_DIR}/bench/play_clip_bench_win32.cpp)
target_link_libraries(play_clip_bench PRIVATE ticker_platform)
target_compile_options(play_clip_bench PRIVATE -Wall -Wextra)
add_wine_test(play_clip_bench play_clip_bench ENVIRONMENT WINE_ALSA_SINK=${CMAKE_CURRENT_BINARY_DIR}/play_clip_bench.wav)
