# What the MinGW-w64 toolchain files share: the compilers of the target
# KELVANE_MINGW_TRIPLET (the -posix flavour first: it carries the C++ thread
# support library, linked statically like the rest of the runtime, so that
# nothing of MinGW is needed at run time) and the target's root for
# libraries, headers and packages.
set(CMAKE_SYSTEM_NAME Windows)
find_program(CMAKE_C_COMPILER NAMES ${KELVANE_MINGW_TRIPLET}-gcc-posix ${KELVANE_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KELVANE_MINGW_TRIPLET}-g++-posix ${KELVANE_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KELVANE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KELVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
