# The 64-bit twin of setup.exe and its tests, for hosts where 32-bit Wine cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLON_MINGW_TARGET x86_64-w64-mingw32)
set(QUILLON_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
