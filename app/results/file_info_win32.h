// The file information window: what the scan recorded about one file.
#pragma once

#include <windows.h>

#include <string>

#include "common/platform.h"

// Runs dialog 133 on a copy of the file's fields and its folder.
void ShowFileInfo(HWND owner, const platform::FindData& record, const std::string& folder);
