#include "common/ui/toolbar.h"

#include <map>
#include <vector>

#include "common/ui/dialog_helpers.h"
#include "common/win32/unique_handle.h"

namespace {

const int kImageWidth = 16, kImageHeight = 15;

// The strip grown to the screen's scale, its system colours mapped as the
// toolbar maps them at 96 DPI, the button face left transparent. Kept while
// the program runs: one list per strip and scale, shared by every toolbar.
HIMAGELIST scaledImages(UINT bitmapId, int images, int width, int height) {
    static std::map<std::pair<UINT, int>, HIMAGELIST> made;
    HIMAGELIST& list = made[{bitmapId, width}];
    if (list) return list;
    unique_gdi_object strip(CreateMappedBitmap(GetModuleHandleA(nullptr), bitmapId, 0, nullptr, 0));
    if (!strip) return nullptr;
    window_dc screen(nullptr);
    unique_dc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    unique_gdi_object grown(CreateCompatibleBitmap(screen.get(), width * images, height));
    if (!from || !to || !grown) return nullptr;
    HGDIOBJ previousFrom = SelectObject(from.get(), strip.get());
    HGDIOBJ previousTo = SelectObject(to.get(), grown.get());
    // Whole pixels, not blended ones: the images are drawn pixel by pixel.
    SetStretchBltMode(to.get(), COLORONCOLOR);
    StretchBlt(to.get(), 0, 0, width * images, height, from.get(), 0, 0, kImageWidth * images, kImageHeight, SRCCOPY);
    SelectObject(from.get(), previousFrom);
    SelectObject(to.get(), previousTo);
    list = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, images, 0);
    if (list) ImageList_AddMasked(list, static_cast<HBITMAP>(grown.get()), GetSysColor(COLOR_BTNFACE));
    return list;
}

}  // namespace

HWND CreateButtonToolbar(HWND parent, int id, UINT bitmapId, int images, std::initializer_list<ToolbarEntry> entries,
                         int dpi) {
    std::vector<TBBUTTON> buttons;
    for (const ToolbarEntry& e : entries) {
        TBBUTTON b{};
        if (e.command == 0) {
            b.iBitmap = e.separatorWidth;
            b.fsStyle = TBSTYLE_SEP;
        } else {
            b.iBitmap = e.image;
            b.idCommand = e.command;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = TBSTYLE_BUTTON;
        }
        buttons.push_back(b);
    }
    const int width = dpi ? MulDiv(kImageWidth, dpi, 96) : ScaledPixels(kImageWidth);
    const int height = dpi ? MulDiv(kImageHeight, dpi, 96) : ScaledPixels(kImageHeight);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS;
    HIMAGELIST grown = width > kImageWidth ? scaledImages(bitmapId, images, width, height) : nullptr;
    if (!grown)
        return CreateToolbarEx(parent, style, static_cast<UINT>(id), images, GetModuleHandleA(nullptr), bitmapId,
                               buttons.data(), static_cast<int>(buttons.size()), kImageWidth, kImageHeight,
                               kImageWidth, kImageHeight, sizeof(TBBUTTON));
    HWND toolbar = CreateToolbarEx(parent, style, static_cast<UINT>(id), 0, nullptr, 0, nullptr, 0, width, height, width,
                                   height, sizeof(TBBUTTON));
    if (!toolbar) return nullptr;
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(grown));
    SendMessageA(toolbar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}
