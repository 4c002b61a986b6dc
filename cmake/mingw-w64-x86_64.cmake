# Cross-building nestwalk.exe for 64-bit Windows with Debian's mingw-w64 (the posix thread model,
# which has std::thread), linked statically so the program imports system DLLs only. The test
# programs run under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread go into the executable instead of beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian puts no wine64 on PATH; this is the loader of 64-bit programs.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
