// The results window's toolbar made as at 96, 144 and 192 DPI: its images
// grow with the screen, as its dialogs' fonts do, and are drawn, not blank.
#include "common/ui/toolbar.h"

#include <gtest/gtest.h>

#include "resources/VarnokScan/resource.h"

TEST(Toolbar, ImagesGrowWithTheScreensScale) {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    for (int dpi : {96, 144, 192}) {
        HWND toolbar = CreateButtonToolbar(parent, 1000, {{IDB_RESULTS_TOOLBAR, 7}, {IDB_RESULTS_TOOLBAR_MORE, 3}},
                                           {{0, 0, 20}, {IDC_MARK, 1}, {IDC_UNMARK, 2}, {IDC_HELP_BUTTON, 5},
                                            {IDC_SAVE_LIST, 8}},
                                           dpi);
        ASSERT_NE(toolbar, nullptr) << dpi;
        const int width = MulDiv(16, dpi, 96), height = MulDiv(15, dpi, 96);
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(toolbar, TB_GETIMAGELIST, 0, 0));
        ASSERT_NE(images, nullptr) << dpi;
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        EXPECT_EQ(cx, width) << dpi;
        EXPECT_EQ(cy, height) << dpi;
        EXPECT_EQ(ImageList_GetImageCount(images), 10) << dpi;  // the second strip's numbered on
        const DWORD button = static_cast<DWORD>(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
        EXPECT_GE(LOWORD(button), width) << dpi;
        EXPECT_GE(HIWORD(button), height) << dpi;
        EXPECT_EQ(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0), 5) << dpi;

        // The help image drawn on white: its ink reaches into the last third of
        // the grown width, so it was stretched, not placed in a corner.
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        HGDIOBJ previous = SelectObject(dc, canvas);
        RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ImageList_Draw(images, 5, dc, 0, 0, ILD_TRANSPARENT);
        int inkedRight = -1;
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                if (GetPixel(dc, x, y) != RGB(255, 255, 255)) inkedRight = x;
        EXPECT_GE(inkedRight, width * 2 / 3) << dpi;
        SelectObject(dc, previous);
        DeleteObject(canvas);
        DeleteDC(dc);
        DestroyWindow(toolbar);
    }
    DestroyWindow(parent);
}
