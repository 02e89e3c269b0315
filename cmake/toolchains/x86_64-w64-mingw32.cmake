# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (g++-mingw-w64-x86-64-posix:
# the POSIX thread model, which std::thread needs) and zlib (libz-mingw-w64-dev). Where Wine
# is installed (wine64), programs of the build run under it through wine-run.sh: the tests,
# and the generator of the pattern lookup indexes during the build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(quellix_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${quellix_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${quellix_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${quellix_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${quellix_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(QUELLIX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUELLIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
endif()
