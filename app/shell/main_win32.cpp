// VarnokScan.exe: start-up, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/shell/about_win32.h"
#include "applier/placement_win32.h"
#include "app/shell/main_window_win32.h"
#include "app/shell/update_command_win32.h"
#include "app/shell/shortcuts_win32.h"
#include "app/shell/tips_win32.h"
#include "resources/VarnokScan/resource.h"
#include "common/messagebox.h"
#include "common/ui/link_control.h"
#include "common/win32/module.h"
#include "common/win32/registry.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // An update stopped while its files were being replaced: the applier
    // finishes or undoes it once this program has ended, and starts it again.
    if (HandCutPlacementToApplier(ProgramFolder(), "\"" + ModuleFileName() + "\"")) return 0;
    RemoveLeftUpdateCopies();
    // A broken installation ends the program: nothing sensible can follow.
    SetProgramEndHandler([](unsigned code) { ExitProcess(code); });
    InitializeProgram();
    if (!RegisterLinkControl(instance)) {
        ShowMessageBox(nullptr, "LinkControl class not registered!", "Error", mb::kOk);
        return 1;
    }
    ReadVersionInfo(ModuleFileName());
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
    // Restarted by the applier: record the update, then show what it brought.
    if (__argc > 1 && SecondStageAtStart(__argv[1])) {
        PostMessageA(window, WM_COMMAND, IDM_ABOUT, 0);
        ShowWindow(window, SW_SHOWDEFAULT);
    }
    return RunMessageLoop();
}
