# Cross-compiling for Windows with MinGW-w64 (i686), as packaged by Debian
# (g++-mingw-w64-i686).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KELVANE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
