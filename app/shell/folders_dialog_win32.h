// The folders dialog: edits the list of folders a scan walks.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog; true when the user confirmed (the list is then stored),
// false when the edits were discarded.
bool FoldersDialog(HWND owner);

// The list box operations, on the dialog's list box 171; paths are UTF-8.
// AddFolder refuses (and, unless quiet, tells the user of) a path longer than
// 255 characters, and one the stored list could not keep.
bool AddFolder(HWND dialog, const std::string& path, bool quiet = false);
void AddTree(HWND dialog, const std::string& path);
void RemoveTree(HWND dialog, const std::string& root);
