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
bool addScaledStrip(HIMAGELIST list, UINT bitmapId, int images, int width, int height) {
    unique_gdi_object strip(CreateMappedBitmap(GetModuleHandleA(nullptr), bitmapId, 0, nullptr, 0));
    if (!strip) return false;
    window_dc screen(nullptr);
    unique_dc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    unique_gdi_object grown(CreateCompatibleBitmap(screen.get(), width * images, height));
    if (!from || !to || !grown) return false;
    HGDIOBJ previousFrom = SelectObject(from.get(), strip.get());
    HGDIOBJ previousTo = SelectObject(to.get(), grown.get());
    // Whole pixels, not blended ones: the images are drawn pixel by pixel.
    SetStretchBltMode(to.get(), COLORONCOLOR);
    StretchBlt(to.get(), 0, 0, width * images, height, from.get(), 0, 0, kImageWidth * images, kImageHeight, SRCCOPY);
    SelectObject(from.get(), previousFrom);
    SelectObject(to.get(), previousTo);
    return ImageList_AddMasked(list, static_cast<HBITMAP>(grown.get()), GetSysColor(COLOR_BTNFACE)) >= 0;
}

HIMAGELIST scaledImages(std::initializer_list<ToolbarStrip> strips, int width, int height) {
    static std::map<std::pair<std::vector<UINT>, int>, HIMAGELIST> made;
    std::vector<UINT> ids;
    int images = 0;
    for (const ToolbarStrip& s : strips) {
        ids.push_back(s.bitmapId);
        images += s.images;
    }
    HIMAGELIST& list = made[{ids, width}];
    if (list) return list;
    HIMAGELIST grown = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, images, 0);
    if (!grown) return nullptr;
    for (const ToolbarStrip& s : strips)
        if (!addScaledStrip(grown, s.bitmapId, s.images, width, height)) {
            ImageList_Destroy(grown);
            return nullptr;
        }
    return list = grown;
}

}  // namespace

HWND CreateButtonToolbar(HWND parent, int id, UINT bitmapId, int images, std::initializer_list<ToolbarEntry> entries,
                         int dpi) {
    return CreateButtonToolbar(parent, id, {{bitmapId, images}}, entries, dpi);
}

HWND CreateButtonToolbar(HWND parent, int id, std::initializer_list<ToolbarStrip> strips,
                         std::initializer_list<ToolbarEntry> entries, int dpi) {
    const ToolbarStrip first = *strips.begin();
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
    HIMAGELIST grown = width > kImageWidth ? scaledImages(strips, width, height) : nullptr;
    if (!grown) {
        HWND toolbar = CreateToolbarEx(parent, style, static_cast<UINT>(id), first.images, GetModuleHandleA(nullptr),
                                       first.bitmapId, buttons.data(), static_cast<int>(buttons.size()), kImageWidth,
                                       kImageHeight, kImageWidth, kImageHeight, sizeof(TBBUTTON));
        // Each further strip's images are numbered on from the last one's.
        for (auto s = strips.begin() + 1; toolbar && s != strips.end(); ++s) {
            TBADDBITMAP more{GetModuleHandleA(nullptr), s->bitmapId};
            SendMessageA(toolbar, TB_ADDBITMAP, static_cast<WPARAM>(s->images), reinterpret_cast<LPARAM>(&more));
        }
        return toolbar;
    }
    HWND toolbar = CreateToolbarEx(parent, style, static_cast<UINT>(id), 0, nullptr, 0, nullptr, 0, width, height, width,
                                   height, sizeof(TBBUTTON));
    if (!toolbar) return nullptr;
    SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(grown));
    SendMessageA(toolbar, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}
