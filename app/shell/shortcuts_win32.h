// Keyboard shortcuts on Windows: the stored table, the live accelerator
// table of the main loop, and the dialogs that edit them.
#pragma once

#include <windows.h>

#include <string>

#include "app/results/results_window_win32.h"
#include "app/options/shortcuts.h"
#include "common/win32/unique_handle.h"

// The live accelerator table of the main message loop.
extern unique_accelerators AcceleratorTable;

void LoadShortcuts();
void BuildAccelerators();
// False when the product key cannot be opened (nothing is stored then).
bool SaveShortcuts();

// True when the user left the dialog with Apply.
bool ShortcutsDialog(HWND owner);
// True when the user confirmed; entry then holds the new flags and key.
bool EditShortcut(HWND owner, const std::string& actionName, ShortcutEntry& entry);
// False, after telling the user, when another row has the same combination.
bool CheckShortcutFree(HWND owner, size_t row, const ShortcutEntry& entry);
