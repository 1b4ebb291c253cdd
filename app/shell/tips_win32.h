// The tips and tricks window and whether it opens at start.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The shown tip's index, kept between openings in one run (-1: none chosen).
extern int32_t TipIndex;

// Reads the tips file whole; the number of tips, or -1 when it cannot be read
// or is larger than a tips file can be.
int32_t LoadTips(const std::string& fileName);
// Shows the window starting at startIndex (-1: a random tip); false when the
// window could not be shown.
bool ShowTips(HWND owner, int32_t startIndex);
// Whether the window opens at start: bShowTips is 1, or the key cannot be opened.
bool ShowTipsAtStart();
