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

// One bitmap strip of 16 x 15 images.
struct ToolbarStrip {
    UINT bitmapId;
    int images;
};
// The same with images from several strips, numbered on from one strip to the
// next: a toolbar that gains commands keeps its first strip as it was.
HWND CreateButtonToolbar(HWND parent, int id, std::initializer_list<ToolbarStrip> strips,
                         std::initializer_list<ToolbarEntry> entries, int dpi = 0);
