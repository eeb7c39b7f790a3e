# Import libraries whose DLL is loaded at the first call of one of its functions rather than when
# the program starts. The ticker's window should appear as soon as it can; WinINet and the audio
# system (and everything they pull in) are not needed before the first refresh or the first clip.
#
#   add_delay_loaded_library(<target> <def file>)
#
# The def file names the DLL and the functions called. A function missing from it still links,
# from the system's ordinary import library, which loads the DLL at start-up again.
function(add_delay_loaded_library target def)
  get_filename_component(name ${def} NAME_WE)
  set(archive ${CMAKE_BINARY_DIR}/delay-load/lib${name}_delayed.a)
  add_custom_command(
    OUTPUT ${archive}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay-load
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${archive}
    DEPENDS ${def}
    VERBATIM)
  add_custom_target(${target}_archive DEPENDS ${archive})
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE ${archive} ${name})
  add_dependencies(${target} ${target}_archive)
endfunction()
