// Opening an address or a file with whatever the system has for it
// (ShellExecuteA with the verb "open"), behind one replaceable function so
// that tests can see what would be opened and answer for the shell.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

// The shell's result: above 32 on success, else its error code.
INT_PTR ShellOpen(HWND owner, const std::string& address, int show);

// The text that tells the user why the shell could not open something.
std::string ShellOpenErrorText(INT_PTR result);

using ShellOpener = std::function<INT_PTR(HWND owner, const std::string& address, int show)>;
// Replaces the shell (empty: the shell again); returns the previous one.
ShellOpener SetShellOpener(ShellOpener opener);

// Runs a program with its parameters (ShellExecuteW; both in UTF-8), behind a
// replaceable function as well. Same result as ShellOpen.
INT_PTR ShellRun(HWND owner, const std::string& program, const std::string& parameters, int show);
using ShellRunner =
    std::function<INT_PTR(HWND owner, const std::string& program, const std::string& parameters, int show)>;
ShellRunner SetShellRunner(ShellRunner runner);

// Opens Explorer at the folder that holds an item of the shell's namespace,
// the item selected (SHOpenFolderAndSelectItems; item: a full ID list), behind
// a replaceable function as well. The shell's HRESULT comes back.
HRESULT ShellSelectItem(HWND owner, const ITEMIDLIST* item);
using ItemSelector = std::function<HRESULT(HWND owner, const ITEMIDLIST* item)>;
ItemSelector SetItemSelector(ItemSelector selector);
