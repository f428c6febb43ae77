# What both mingw-w64 toolchain files share; they set CHROMIX_MINGW_TRIPLET first.
set(CMAKE_C_COMPILER ${CHROMIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CHROMIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CHROMIX_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CHROMIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in: a test or chromix.exe runs from any folder.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# ctest runs the programs under Wine. Debian keeps the 64-bit loader out of PATH, and its
# "wine" script always prefers the 32-bit one.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(CHROMIX_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(CHROMIX_WINE NAMES wine64 wine)
else()
  find_program(CHROMIX_WINE NAMES wine)
endif()
if(CHROMIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CHROMIX_WINE})
endif()
