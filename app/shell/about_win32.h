// The About box, and the start-up reading of the program's version resource.
#pragma once

#include <windows.h>

#include <string>

// Fills ProgramVersion from the version resource of the file at path.
void ReadVersionInfo(const std::string& path);

// Shows the About box; false when it could not be shown.
bool AboutBox(HWND owner);
