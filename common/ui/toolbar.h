// A toolbar of 16 x 15 buttons from one bitmap strip, with tool tips. On a
// screen finer than 96 DPI (or at dpi, when given) the images grow with it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

// One entry: a command with its image, or a separator (command 0) of a width.
struct ToolbarEntry {
    int command;
    int image;
    int separatorWidth = 0;
};

HWND CreateButtonToolbar(HWND parent, int id, UINT bitmapId, int images, std::initializer_list<ToolbarEntry> entries,
                         int dpi = 0);
