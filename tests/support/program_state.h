// Puts the program's state (options, lists, the scan flag and, in the Windows
// build, the main window's catalogue, results and shortcut table) back to how
// a fresh start with a fresh installation has it, so no test leaks into the next.
#pragma once

void ResetProgramState();
