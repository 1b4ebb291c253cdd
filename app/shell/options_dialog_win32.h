// The other options dialog: buffer sizes, advanced compare, deleting and
// undo files, the Internet warning and the wildcard dialect.
#pragma once

#include <windows.h>

// Shows the dialog on the stored options; true when the user confirmed (the
// options then apply and are stored), false when nothing changed.
bool OptionsDialog(HWND owner);
