#include "main_window_win32.h"

#include <commctrl.h>

#include <new>

#include "app/results/results_window_win32.h"
#include "app/results/selection.h"
#include "app/results/undo_file.h"
#include "app/scan/detection.h"
#include "app/scan/masks.h"
#include "app/scan/progress_window_win32.h"
#include "app/scan/remembered.h"
#include "common/ui/folder_browser.h"
#include "app/shell/about_win32.h"
#include "app/shell/feedback_win32.h"
#include "app/shell/folders_dialog_win32.h"
#include "app/shell/masks_dialog_win32.h"
#include "app/shell/options_dialog_win32.h"
#include "app/options/options.h"
#include "app/shell/settings_win32.h"
#include "app/shell/shortcuts_win32.h"
#include "app/shell/tips_win32.h"
#include "app/shell/update_command_win32.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/help.h"
#include "common/messagebox.h"
#include "common/win32/registry.h"
#include "common/win32/remembered_place.h"
#include "common/text.h"
#include "resources/VarnokScan/resource.h"

HWND MainWindow = nullptr;
std::unique_ptr<TFILELIST> FileList;
std::unique_ptr<TRESULTS> Results;

namespace {

const char* const kClassName = "VarnokScan";
const char* const kTitle = "Varnok scan (Trellane)";

bool notEmpty(const TVARNOKLIST* list) { return list && list->Count() > 0; }

void runScan() {
    if (notEmpty(FileList.get()) || notEmpty(Results.get())) {
        if (ShowMessageBox(MainWindow, "Do you want to clear results of the previous search of files - duplicates?",
                           "Question", mb::kYesNo | mb::kIconQuestion) != mb::kIdYes)
            return;
        ClearResults();
    }
    if (slFoldersToScan.empty() && SendMessageA(MainWindow, WM_COMMAND, IDM_FOLDERS, 0) == IDC_CANCEL_BUTTON) return;
    SetWaitCursor(true);
    try {
        CatalogueLearnsVolumes = bRememberContents;
        if (!CollectFiles(FileList)) {
            SetWaitCursor(false);
            ShowMessageBox(MainWindow, "Error while reading files list!", "This is error message! I am sorry...",
                           mb::kIconHand);
            return;
        }
        if (FileList->Count() > 0) {
            // With the option off no store is looked for, read or written.
            const std::string store = bRememberContents ? RememberedContentsPath() : std::string();
            std::unique_ptr<TREMEMBERED> remembered;
            if (!store.empty()) {
                remembered = std::make_unique<TREMEMBERED>();
                remembered->Load(store);
            }
            ProgressWindow window;
            TTIMEORACLE tracker(&window);
            Results = FindDuplicates(*FileList, &tracker, remembered.get());
            // Saved after a stopped search too: what it read whole is known,
            // and the next search need not read it again.
            if (remembered) {
                MakeRememberedContentsFolder(store);
                remembered->Save(store);
            }
        }
    } catch (const std::bad_alloc&) {
        // What the search had taken is given back before a word is said.
        const int64_t listed = FileList ? FileList->Count() : 0;
        ClearResults();
        ScanRunning = false;
        SetWaitCursor(false);
        ShowMessageBox(MainWindow, OutOfMemoryText(listed), "Error", mb::kIconHand);
        return;
    }
    // What the search could not look at is never passed over in silence,
    // and said once: a tree too deep has many such folders.
    if (slFoldersLeftOut.size() == 1)
        ShowMessageBoxUtf8(MainWindow,
                           "This folder can not be scanned: its path is longer than 255 characters. " +
                               slFoldersLeftOut.front(),
                           "Error", mb::kIconHand);
    else if (!slFoldersLeftOut.empty())
        ShowMessageBoxUtf8(MainWindow,
                           "These " + std::to_string(slFoldersLeftOut.size()) +
                               " folders can not be scanned: their paths are longer than 255 characters. " +
                               slFoldersLeftOut.front(),
                           "Error", mb::kIconHand);
    if (const std::string leftOut = LeftOutText(*FileList); !leftOut.empty())
        ShowMessageBox(MainWindow, leftOut, "Information", mb::kIconInformation);
    SendMessageA(MainWindow, WM_COMMAND, IDM_VIEW_RESULTS, 0);
    SetWaitCursor(false);
}

void viewResults() {
    if (!notEmpty(Results.get())) {
        ShowMessageBox(MainWindow,
                       "I am sorry, but double files not found! Please try VarnokScan with anower settings...",
                       "I am sorry...", mb::kIconInformation | mb::kHelp);
        EnableResultItems(false);
        return;
    }
    EnableResultItems(true);
    ResultsWindow(MainWindow, *Results, *FileList);
}

LRESULT onCommand(HWND window, int id) {
    switch (id) {
    case IDM_RUN:
        runScan();
        return 0;
    case IDM_VIEW_RESULTS:
        viewResults();
        return 0;
    case IDM_CLEAR_RESULTS:
        if (ShowMessageBox(window, "Are you shure to clear last VarnokScan result?", "Question",
                           mb::kYesNo | mb::kIconQuestion | mb::kHelp) == mb::kIdYes)
            ClearResults();
        return 0;
    case IDM_EXIT:
        ExitProgram(true);
        return 0;
    case IDM_FOLDERS:
        // The command's result says how the dialog ended (101 or 102), for the scan that asked.
        return FoldersDialog(window) ? IDC_OK_BUTTON : IDC_CANCEL_BUTTON;
    case IDM_SHORTCUTS:
        ShortcutsDialog(window);
        return 0;
    case IDM_OPTIONS:
        OptionsDialog(window);
        return 0;
    case IDM_MASKS:
        MasksDialog(window);
        return 0;
    case IDM_TIPS:
        ShowTips(window, -1);
        return 0;
    case IDM_FEEDBACK:
        FeedbackForm(window);
        return 0;
    case IDM_ABOUT:
        AboutBox(window);
        return 0;
    case IDM_UPDATE:
        // The applier waits for this process to end before it replaces its files.
        if (UpdateCommand(window)) ExitProgram(false);
        return 0;
    case IDM_HELP_INDEX:
        ShowHelpContents(MainWindow);
        return 0;
    case IDM_HELP_SEARCH:
        ShowHelpIndex(MainWindow);
        return 0;
    case IDM_HELP_USING:
        ShowHelpOnHelp(MainWindow);
        return 0;
    case IDM_HELP_CONTEXT:
        // From the menu, as F1 in the window: the window's own topic.
        ShowContextHelp(window, GetWindowContextHelpId(window));
        return 0;
    }
    // Previous help (161) has no action of its own here.
    return 0;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_COMMAND:
            return onCommand(window, LOWORD(wParam));
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                ExitProgram(true);
                return 0;
            }
            break;
        case WM_HELP: {
            const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
            if (AnsweredElsewhere(info)) return TRUE;
            ShowContextHelp(window, info->dwContextId);
            return TRUE;
        }
        case WM_DESTROY:
            if (window == MainWindow) MainWindow = nullptr;
            PostQuitMessage(0);
            return 0;
        }
    } catch (const std::exception& e) {
        ShowMessageBox(window, e.what(), "Error", mb::kIconHand);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void InitializeProgram() {
    RememberProgramStart();
    HelpFilePath();
    LoadAppPath();
    SetUnixWildcards(false);
    LoadMasks();
    LoadJunkFolders();
    LoadDateTimeFormats();
    bWarnInternet = false;
    LoadSettings();
    FolderBrowserFlags = 0x30;
    LoadFolders();
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProcedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszMenuName = "LISTBOXMENU";
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateMainWindow(HINSTANCE instance) {
    // A box's Help button and F1 open the topic of the window that owns it.
    platform::setMessageBoxHelp([](void* owner, uint32_t id) { ShowContextHelp(static_cast<HWND>(owner), id); });
    MainWindow = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    return MainWindow;
}

void HandleProgramMessage(MSG& msg) {
    if (MainWindow && AcceleratorTable && TranslateAcceleratorA(MainWindow, AcceleratorTable.get(), &msg)) {
        // F1 with Shift or Ctrl opens the help's index or search. The system
        // queued its help key when F1 was taken from the queue, whatever the
        // modifiers, and that would open the window's topic over them.
        constexpr UINT kKeyF1 = 0x004D;  // WM_KEYF1
        MSG helpKey;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1)
            while (PeekMessageA(&helpKey, nullptr, kKeyF1, kKeyF1, PM_REMOVE)) {
            }
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) HandleProgramMessage(msg);
    return static_cast<int>(msg.wParam);
}

void EnableResultItems(bool enable) {
    HMENU first = GetSubMenu(GetMenu(MainWindow), 0);
    for (UINT position : {2u, 3u}) EnableMenuItem(first, position, MF_BYPOSITION | (enable ? MF_ENABLED : MF_GRAYED));
    DrawMenuBar(MainWindow);
}

void ClearResults() {
    Results.reset();
    FileList.reset();
    EnableResultItems(false);
}

void ExitProgram(bool confirm) {
    if (confirm && ShowMessageBox(MainWindow, "Are you shure to leave Varnok scan (Trellane)?", "Question",
                                  mb::kYesNo | mb::kIconQuestion | mb::kHelp) != mb::kIdYes)
        return;
    ClearResults();
    slFoldersToScan.clear();
    slIncludedFiles.clear();
    slExcludedFiles.clear();
    SendMessageA(MainWindow, WM_CLOSE, 0, 0);
}
