// Replacing marked copies by hard links to the copy their group keeps: the
// space comes back and every path still opens the same bytes.
#pragma once

#include <windows.h>

#include "app/results/results_window_win32.h"

// Asks first; then, group by group, checks each marked file against the kept
// copy byte for byte and puts a hard link to it in the file's place, never
// leaving the path without a file. Tells what was freed and which files
// stayed as they were, and why. A linked file loses its mark.
void LinkMarkedCommand(HWND owner, TRESVIEW& view);
