# What both editions' toolchains share: mingw-w64 for the triplet the
# including file names (mingw_triplet), posix thread model, static runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER  ${mingw_triplet}-windres)
set(CMAKE_DLLTOOL /usr/bin/${mingw_triplet}-dlltool CACHE FILEPATH "")
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# -static: without it every exe imports libwinpthread-1.dll and fails to start under Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
