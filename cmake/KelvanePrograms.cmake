# The programs that load the library at run time (KelvaneCLI, kelvane).

# kelvane_add_program(<target> <sources...>): a console program in bin/,
# next to the library file that it loads from its own folder, with wmain as
# its entry on MinGW, and a copy beside the virtual-chip flavour of the
# library (virtual/), which talks to virtual chips when run there.
function(kelvane_add_program target)
  add_executable(${target} ${ARGN})
  if(MINGW)
    # wmain: the wide argument vector of the process.
    target_link_options(${target} PRIVATE -municode)
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(TARGET kelvane_virtual_dll)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVANE_VIRTUAL_DIR}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${KELVANE_VIRTUAL_DIR}/
      VERBATIM)
  endif()
endfunction()

# kelvane_add_man_page(<target> <page file name> <generator target>): the
# manual page man/<page>, written at build time by a generator that runs on
# the build machine and takes the file to write as its argument.
function(kelvane_add_man_page target page generator)
  set(_page ${PROJECT_BINARY_DIR}/man/${page})
  add_custom_command(OUTPUT ${_page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${generator} ${_page}
    DEPENDS ${generator}
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${_page})
endfunction()
