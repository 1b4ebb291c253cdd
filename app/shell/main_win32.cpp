// VarnokScan.exe: start-up, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/shell/main_window_win32.h"
#include "app/shell/shortcuts_win32.h"
#include "app/shell/tips_win32.h"
#include "resources/VarnokScan/resource.h"
#include "common/win32/registry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // A broken installation ends the program: nothing sensible can follow.
    SetProgramEndHandler([](unsigned code) { ExitProcess(code); });
    InitializeProgram();
    FileList.reset();
    RegisterMainWindowClass(instance);
    HWND window = CreateMainWindow(instance);
    InitCommonControls();
    LoadShortcuts();
    if (window) {
        ShowWindow(window, show);
        UpdateWindow(window);
        if (ShowTipsAtStart()) PostMessageA(window, WM_COMMAND, IDM_TIPS, 0);
    }
    return RunMessageLoop();
}
