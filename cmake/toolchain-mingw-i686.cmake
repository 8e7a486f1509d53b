# setup.exe as shipped: 32-bit Windows, run by 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLON_MINGW_TARGET i686-w64-mingw32)
set(QUILLON_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
