// The system's folder browser, behind one replaceable function so that
// tests can answer it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// BIF_EDITBOX | BIF_VALIDATE: an edit box whose typed names are checked.
extern UINT FolderBrowserFlags;

// Shows the browser starting at path; on a choice, path becomes the folder
// (ending with a backslash) and the result is true. Paths are UTF-8.
bool BrowseForFolder(HWND owner, const std::string& title, std::string& path);

// A typed name the browser could not find: asks whether to create it and
// does so on Yes; true when the name is to be taken.
bool AcceptTypedFolder(HWND browser, const std::string& typed);

using FolderBrowser = std::function<bool(HWND owner, const std::string& title, std::string& path)>;
// Replaces the browser; an empty one restores the system's. Returns the previous.
FolderBrowser SetFolderBrowser(FolderBrowser browser);
