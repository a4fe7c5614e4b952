# Cross build for 64-bit Windows: the same sources as the 32-bit program, for
# machines whose kernel cannot run 32-bit x86 code, so that the Windows code is
# still tested there. Test programs run under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KESTRIMO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
# cmake/wine-run reads this from the cache to choose the Wine for the build.
set(KESTRIMO_WINE_ARCH win64 CACHE INTERNAL "the architecture of the Wine prefix that runs this build")
