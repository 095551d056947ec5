# Cross-compiles Talvo for 64-bit Windows with Debian's mingw-w64 (the posix
# threading flavour, for std::thread and std::mutex), with the C and C++
# runtimes linked in statically so that talvo.exe needs no DLL of its own.
#   cmake -S . -B build-win -G Ninja --toolchain cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TALVO_MINGW_PREFIX x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${TALVO_MINGW_PREFIX}-gcc-posix ${TALVO_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TALVO_MINGW_PREFIX}-g++-posix ${TALVO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TALVO_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TALVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run as Windows programs under Wine.
find_program(TALVO_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT TALVO_WINE)
  find_program(TALVO_WINE NAMES wine64 wine)
endif()
if(TALVO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TALVO_WINE})
endif()
