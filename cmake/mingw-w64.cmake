# Cross build of the Windows program with the MinGW-w64 compiler (Debian: g++-mingw-w64-x86-64).
#
# The -posix variant of the compiler is used because only it has std::thread and std::mutex (GoogleTest
# and the standard library's <filesystem> need them), and the runtime is linked statically so that the
# program and the test executables run on a bare Windows (or under Wine) without MinGW's DLLs.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRELVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRELVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRELVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRELVANE_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW tree only, never from the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${TRELVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The JSON library is header-only, so the build machine's copy serves the Windows build as well.
# It is reached through a small package file of our own (see mingw-w64/nlohmann_json), because adding
# the build machine's /usr/include to the search path would put glibc's C headers before MinGW's.
set(nlohmann_json_DIR "${CMAKE_CURRENT_LIST_DIR}/mingw-w64/nlohmann_json" CACHE PATH
    "The JSON library's package files for the MinGW build")

# Lets CTest run the Windows test executables under Wine when it is installed.
find_program(TRELVANE_WINE wine)
if(TRELVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TRELVANE_WINE})
endif()
