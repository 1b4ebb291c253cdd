# Cross-build for 64-bit Windows (the x64 edition) with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(mingw_triplet x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# /usr/bin/wine picks the 32-bit loader first, which a 64-bit-only kernel cannot start.
find_program(WINE_EXECUTABLE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
