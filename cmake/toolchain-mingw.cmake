# The part of the MinGW-w64 cross builds that both toolchain files share: Debian's
# compilers of the posix threading flavour (which has std::thread and std::mutex)
# for KESTRIMO_MINGW_TRIPLET, test programs run under Wine through wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KESTRIMO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIMO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIMO_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIMO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
