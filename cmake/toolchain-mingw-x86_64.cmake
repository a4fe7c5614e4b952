# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix threading
# flavour): the same sources as the 32-bit program, for machines whose kernel
# cannot run 32-bit x86 code, so that the Windows code is still tested there.
# Test programs run under 64-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
# cmake/wine-run reads this from the cache to choose the Wine for the build.
set(KESTRIMO_WINE_ARCH win64 CACHE INTERNAL "the architecture of the Wine prefix that runs this build")
