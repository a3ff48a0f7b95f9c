# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix): the
# posix thread model, so that std::thread and std::mutex work, and a static runtime, so that
# each .exe runs with no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread linked in; the system's own DLLs (kernel32, winmm) stay.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Wide-character Windows calls by default; the API is used with UTF-16 paths throughout.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

# ctest in the Windows build tree runs the tests through Wine.
find_program(QUORVEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT QUORVEL_WINE)
    find_program(QUORVEL_WINE NAMES wine64 wine)
endif()
if(QUORVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEL_WINE})
endif()
