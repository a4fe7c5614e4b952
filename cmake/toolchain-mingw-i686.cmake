# Cross build of the program: 32-bit Windows.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTRIMO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
# cmake/wine-run reads this from the cache to choose the Wine for the build.
set(KESTRIMO_WINE_ARCH win32 CACHE INTERNAL "the architecture of the Wine prefix that runs this build")
