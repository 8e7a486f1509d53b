# Cross-build for Windows with Debian's mingw-w64 compilers and windres. The including toolchain
# file names the target (QUILLON_MINGW_TARGET) and the Wine loader that runs its programs.
set(CMAKE_SYSTEM_NAME Windows)
set(TOOLCHAIN_PREFIX ${QUILLON_MINGW_TARGET})

# The win32 thread model: no winpthread in setup.exe, which would also make it import
# GetTickCount64 and so fail to start on Windows XP.
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the cross-built test programs through the Wine loader of their word size, never
# through the wrapper, which picks the 32-bit loader whenever it is installed.
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLON_WINE_LOADER})
