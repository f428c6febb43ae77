# Cross-build for 32-bit Windows with Debian's mingw-w64: the word size of FTDI's
# FTCSPI.dll. See mingw-w64-common.cmake for the compiler and link choices.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CHROMIX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
