#include "common/ui/toolbar.h"

#include <vector>

HWND CreateButtonToolbar(HWND parent, int id, UINT bitmapId, int images, std::initializer_list<ToolbarEntry> entries) {
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
    return CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS, static_cast<UINT>(id), images,
                           GetModuleHandleA(nullptr), bitmapId, buttons.data(), static_cast<int>(buttons.size()), 16, 15,
                           16, 15, sizeof(TBBUTTON));
}
