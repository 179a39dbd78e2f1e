# Cross-building plok for 64-bit Windows with Debian's mingw-w64 (posix thread model: std::thread needs it):
#   cmake -S . -B build-win -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
# The programs link the C and C++ runtimes statically and import only system DLLs. Tests run under wine64
# (cmake/WindowsTests.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLOK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLOK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLOK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PLOK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PLOK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe per program: no libstdc++, libgcc or winpthread DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
