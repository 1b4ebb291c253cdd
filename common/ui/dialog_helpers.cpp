#include "common/ui/dialog_helpers.h"

#include <utility>
#include <vector>

void SetWaitCursor(bool busy) { SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

ItemRect GetItemRect(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(dialog, &topLeft);
    return {topLeft.x, topLeft.y, r.right - r.left, r.bottom - r.top};
}

int ScaledPixels(int pixels) {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int caps = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
        return caps > 0 ? caps : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}

void ShowNamesInAnyScript(HWND control) {
    LOGFONTW face{};
    const auto current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    if (!current || !GetObjectW(current, sizeof face, &face)) return;
    lstrcpynW(face.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    // One font per size, kept while the program runs (a few at most).
    static std::vector<std::pair<LONG, HFONT>> made;
    HFONT font = nullptr;
    for (const auto& [height, f] : made)
        if (height == face.lfHeight) font = f;
    if (!font && (font = CreateFontIndirectW(&face)) != nullptr) made.emplace_back(face.lfHeight, font);
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void SetItemText(HWND dialog, int id, const std::string& text) { SetWindowTextA(GetDlgItem(dialog, id), text.c_str()); }

std::string GetItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetItemNumber(HWND dialog, int id, int64_t value) { SetItemText(dialog, id, std::to_string(value)); }

void SetCheck(HWND dialog, int id, bool on) { SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? 1 : 0, 0); }

bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == 1; }

void SetStatusText(HWND statusBar, int part, const std::string& text) {
    SendMessageA(statusBar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

void SetStatusText(HWND dialog, int id, int part, const std::string& text) {
    SetStatusText(GetDlgItem(dialog, id), part, text);
}

void FillComboFromStrings(HWND dialog, int id, UINT firstId) {
    for (UINT sid = firstId;; ++sid) {
        char text[256] = {};
        if (LoadStringA(GetModuleHandleA(nullptr), sid, text, sizeof text) <= 0) break;
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

namespace {

template <class Wanted>
void walk(HWND tree, TreeCallback callback, void* context, Wanted wanted) {
    for (HTREEITEM group = TreeView_GetRoot(tree); group; group = TreeView_GetNextSibling(tree, group))
        for (HTREEITEM child = TreeView_GetChild(tree, group); child; child = TreeView_GetNextSibling(tree, child))
            if (wanted(child)) callback(tree, child, context);  // the next sibling is read after the call
}

}  // namespace

void ForEachTreeChild(HWND tree, TreeCallback callback, void* context) {
    walk(tree, callback, context, [](HTREEITEM) { return true; });
}

void ForEachBoldTreeChild(HWND tree, TreeCallback callback, void* context) {
    walk(tree, callback, context, [tree](HTREEITEM item) {
        TVITEMA record{};
        record.stateMask = TVIS_BOLD;
        return GetTreeItem(tree, item, TVIF_STATE, record) && (record.state & TVIS_BOLD);
    });
}

void ForEachTreeChildWithImage(HWND tree, TreeCallback callback, void* context) {
    walk(tree, callback, context, [tree](HTREEITEM item) {
        TVITEMA record{};
        return GetTreeItem(tree, item, TVIF_IMAGE, record) && record.iImage == 2;
    });
}

bool GetTreeItem(HWND tree, HTREEITEM item, UINT mask, TVITEMA& record) {
    if (!item) return false;
    record.hItem = item;
    record.mask = mask;
    return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record)) != FALSE;
}

void SetTreeItemState(HWND tree, HTREEITEM item, UINT state, UINT stateMask) {
    TVITEMA record{};
    record.hItem = item;
    record.mask = TVIF_STATE;
    record.state = state;
    record.stateMask = stateMask;
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&record));
}
