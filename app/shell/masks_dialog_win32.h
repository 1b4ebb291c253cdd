// The masks dialog: the include and exclude mask lists, and the small input
// dialog that edits one text.
#pragma once

#include <windows.h>

#include <string>

// Which half of the masks dialog acts on the buttons: false for the include
// half. Kept between openings of the dialog.
extern bool ExcludeHalfActive;

// Shows the dialog on the stored lists; true when the user confirmed (both
// lists then apply and are stored), false when nothing changed.
bool MasksDialog(HWND owner);

// Asks for one line of text (at most 255 characters); text changes only when
// the user confirms.
bool InputDialog(HWND owner, const std::string& title, const std::string& prompt, DWORD helpId, std::string& text);
