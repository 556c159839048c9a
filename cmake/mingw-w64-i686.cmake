# The release build: the system the program was made for is 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MNEMORA_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
