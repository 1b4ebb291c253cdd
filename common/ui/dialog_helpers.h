// Thin helpers over dialog controls, the status bar, string tables and the
// two-level results tree, shared by every dialog of the program.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "common/ui/dialog_ids.h"
#include "common/win32/module.h"

// Hourglass while busy, the arrow otherwise; takes effect at once.
void SetWaitCursor(bool busy);

// Shows the wait cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { SetWaitCursor(true); }
    ~WaitCursor() { SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A control's rectangle in the dialog's client coordinates: left, top, width, height.
struct ItemRect {
    int32_t left, top, width, height;
};
ItemRect GetItemRect(HWND dialog, int id);
// A length in pixels of a screen of 96 DPI, on this screen: the program is
// DPI-aware, so what it places by pixels beside dialog-unit controls must grow
// with them.
int ScaledPixels(int pixels);

// Gives a control that shows file names the dialog's font as "MS Shell Dlg":
// the system maps it to a TrueType face whose font links hold every script,
// where the bitmap "MS Sans Serif" shows a box for each letter it lacks.
void ShowNamesInAnyScript(HWND control);

void SetItemText(HWND dialog, int id, const std::string& text);
std::string GetItemText(HWND dialog, int id);
void SetItemNumber(HWND dialog, int id, int64_t value);
void SetCheck(HWND dialog, int id, bool on);
// True only for a box that is exactly checked (an indeterminate one is not).
bool IsChecked(HWND dialog, int id);
void SetStatusText(HWND dialog, int id, int part, const std::string& text);
void SetStatusText(HWND statusBar, int part, const std::string& text);

// Adds strings firstId, firstId + 1, ... to a combo box, up to the first missing one.
void FillComboFromStrings(HWND dialog, int id, UINT firstId);

// Tree walks over the second level (the files of each group). A callback may
// change an item's state or image but must not delete it.
using TreeCallback = void (*)(HWND tree, HTREEITEM item, void* context);
void ForEachTreeChild(HWND tree, TreeCallback callback, void* context);
void ForEachBoldTreeChild(HWND tree, TreeCallback callback, void* context);
void ForEachTreeChildWithImage(HWND tree, TreeCallback callback, void* context);  // image 2
// False for a null item, without asking the control.
bool GetTreeItem(HWND tree, HTREEITEM item, UINT mask, TVITEMA& record);
void SetTreeItemState(HWND tree, HTREEITEM item, UINT state, UINT stateMask);
