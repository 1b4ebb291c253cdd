// The folders dialog: edits the list of folders a scan walks.
#pragma once

#include <windows.h>

#include <string>

// Shows the dialog; true when the user confirmed (the list is then stored),
// false when the edits were discarded.
bool FoldersDialog(HWND owner);

// The list box operations, on the dialog's list box 171. AddFolder refuses
// (and tells the user of) a path longer than 255 characters.
bool AddFolder(HWND dialog, const std::string& path);
void AddTree(HWND dialog, const std::string& path);
void RemoveTree(HWND dialog, const std::string& root);
