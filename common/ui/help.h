// The program's WinHelp file: named like the executable, with ".hlp".
#pragma once

#include <windows.h>

#include <string>

std::string HelpFilePath();
// Opens the help file on a context help identifier.
void ShowContextHelp(HWND window, DWORD contextId);
