# Cross-compiling for Windows with Debian's mingw-w64, posix thread model
# (the win32 one has no std::mutex in GCC 12). Included by the two
# architecture files, which set MNEMORA_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MNEMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MNEMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MNEMORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MNEMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# GoogleTest is built for the target into a folder of the build tree and
# named with GTest_DIR.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# One file that runs wherever it is copied: the compiler's own libraries and
# the thread library go into the program, which then imports only DLLs that
# Windows ships.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under wine (64-bit wine runs 32-bit programs only where
# its 32-bit half is installed).
find_program(MNEMORA_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
if(MNEMORA_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MNEMORA_WINE64})
endif()
