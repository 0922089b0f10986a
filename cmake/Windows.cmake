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
