// The main window: an empty frame with the menu from which everything starts.
#pragma once

#include <windows.h>

#include <memory>

#include "app/scan/catalogue.h"
#include "app/scan/results.h"

extern HWND MainWindow;
// The last scan's catalogue and groups; absent until a scan and after clearing.
extern std::unique_ptr<TFILELIST> FileList;
extern std::unique_ptr<TRESULTS> Results;

// Everything the program reads before its window exists, in start-up order.
void InitializeProgram();
bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
// One message as the program's loop handles it: accelerators first.
void HandleProgramMessage(MSG& msg);
// The message loop with the accelerator table; returns the quit code.
int RunMessageLoop();

void EnableResultItems(bool enable);
void ClearResults();
void ExitProgram(bool confirm);
