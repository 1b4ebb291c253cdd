// Deleting the marked files of the results window, with an undo batch file.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/results/results_window_win32.h"

// How long a deletion runs before its progress window with Stop! shows.
extern DWORD DeletionProgressDelayMs;

// The whole command; true when the window then purges and closes, false when
// the user confirmed but every marked file was kept back (nothing changed).
bool DeleteCommand(HWND window, TRESVIEW& view);

// The save dialog for the undo file: starts at path's name, true with path set
// to the choice.
bool ChooseUndoFile(HWND owner, std::string& path);

// "Version 1.00 Build 1" from the program's version information, or "Unknown version!".
std::string VersionText();
// The enhanced undo file's script, from resource type 1002, identifier 104.
std::string UndoScriptText();
