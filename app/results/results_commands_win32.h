// The results window's later commands: the folder that holds a file, and the
// list of duplicates saved for a spreadsheet or a script.
#pragma once

#include <windows.h>

#include "app/results/results_window_win32.h"

// Opens Explorer at the file's folder, with the file selected.
void OpenContainingFolder(HWND owner, const TFILEINFO& file);
// Asks where (any name), then writes every group of the view as CSV; true when written.
bool SaveListCommand(HWND owner, TRESVIEW& view);
