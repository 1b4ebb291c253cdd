# Cross-build for 32-bit Windows (the x86 edition) with mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(mingw_triplet i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Debian's Wine first: scripts/wine-vm runs this build's tests in a Debian
# machine that has it there, and only there.
find_program(WINE_EXECUTABLE wine HINTS /usr/bin REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
