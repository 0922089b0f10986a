# Settings of every Windows build, MinGW-w64 (cross or native) and MSVC.

if(MINGW)
  # Self-contained binaries: libstdc++, libgcc and winpthread are linked in,
  # so that the DLLs and programs import only DLLs of Windows itself.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Release builds ship without the symbol table.
  add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
elseif(MSVC)
  # The same for MSVC: the C and C++ runtime linked in.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  add_compile_options(/W4 /utf-8 $<$<COMPILE_LANGUAGE:CXX>:/permissive->)
endif()

# Test programs built on another system run under wine, each in the build's
# own wine prefix (created at the first run, kept in the build folder).
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(KELVANE_WINE wine)
  if(KELVANE_WINE)
    set(KELVANE_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)
    set(KELVANE_WINE_RUN sh ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${KELVANE_WINE_PREFIX})
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KELVANE_WINE_RUN})
  endif()
endif()

# kelvane_runs_under_wine(<test>...): the tests start Windows programs under
# wine, with the build's one wineserver up. They carry the label "wine", by
# which scripts/test-windows.sh leaves them out of a 32-bit build on a host
# that cannot run 32-bit programs.
function(kelvane_runs_under_wine)
  if(KELVANE_WINE_PREFIX)
    set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine LABELS wine)
  endif()
endfunction()
