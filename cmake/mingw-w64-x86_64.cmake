# Cross-build for 64-bit Windows with Debian's mingw-w64. The posix thread model is the
# one whose libstdc++ has std::thread; everything links statically, so the programs run
# on Windows (and under Wine) without any of the compiler's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CHROMIX_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
