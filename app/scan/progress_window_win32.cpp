#include "progress_window_win32.h"

#include <commctrl.h>

#include <cmath>

#include "common/ui/help.h"
#include "resources/VarnokScan/resource.h"

std::atomic<HWND> ProgressWindowHandle{nullptr};

TPROGRESSBAR::TPROGRESSBAR(HWND dialog, int placeholderId) {
    RECT r{};
    HWND placeholder = GetDlgItem(dialog, placeholderId);
    GetWindowRect(placeholder, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bar_, PBM_SETRANGE32, 0, 1000);
    // The placeholder only lends its rectangle; above it the bar would be hidden.
    ShowWindow(placeholder, SW_HIDE);
    SetWindowPos(bar_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

TPROGRESSBAR::~TPROGRESSBAR() {
    if (bar_) DestroyWindow(bar_);
}

void TPROGRESSBAR::SetPercent(double percent) {
    // Past 100 % (the last step of a scan) or before 0 the bar just shows full or empty.
    double position = std::trunc(10.0 * percent);
    if (!(position >= 0)) position = 0;
    if (position > 1000) position = 1000;
    SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

namespace {

class ProgressDialog {
public:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ProgressDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (message == WM_INITDIALOG) {
            self = new ProgressDialog(dialog);
            SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            self->OnInit();
            return TRUE;
        }
        if (!self) return FALSE;
        switch (message) {
        case WM_COMMAND:
            return self->OnCommand(LOWORD(wParam), lParam);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                self->Stop();
                return TRUE;
            }
            return FALSE;
        case WM_HELP:
            ShowContextHelp(dialog, IDH_PROGRESS);
            return TRUE;
        case WM_NCDESTROY:
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            delete self;
            return FALSE;
        }
        return FALSE;
    }

private:
    explicit ProgressDialog(HWND dialog) : dialog_(dialog) {}

    void OnInit() {
        bar_ = std::make_unique<TPROGRESSBAR>(dialog_, IDC_PROGRESS_PLACEHOLDER);
        SetWindowContextHelpId(dialog_, IDH_PROGRESS);
        // Published before the flag is read: a tracker destroyed meanwhile
        // either sees this window and stops it, or this sees the flag cleared.
        ProgressWindowHandle = dialog_;
        if (!ScanRunning) Stop();
    }

    INT_PTR OnCommand(int id, LPARAM lParam) {
        switch (id) {
        case IDM_PROGRESS_SNAPSHOT:
            if (lParam) OnSnapshot(*reinterpret_cast<const TSNAPSHOT*>(lParam));
            return TRUE;
        case IDC_STOP_SEARCH:
        case IDCANCEL:  // Esc
            Stop();
            return TRUE;
        case IDC_HELP_BUTTON:
            ShowContextHelp(dialog_, IDH_PROGRESS);
            return TRUE;
        }
        return FALSE;
    }

    void OnSnapshot(const TSNAPSHOT& snapshot) {
        auto texts = SnapshotTexts(snapshot);
        for (size_t k = 0; k < texts.size(); ++k)
            SetDlgItemTextA(dialog_, IDC_STAT_FOLDERS + static_cast<int>(k), texts[k].c_str());
        if (bar_) bar_->SetPercent(snapshot.Percent);
    }

    // Ends the scan and this window's thread.
    void Stop() {
        ScanRunning = false;
        if (stopped_) return;
        stopped_ = true;
        ProgressWindowHandle = nullptr;
        bar_.reset();
        DestroyWindow(dialog_);
        PostQuitMessage(0);
    }

    HWND dialog_;
    std::unique_ptr<TPROGRESSBAR> bar_;
    bool stopped_ = false;
};

}  // namespace

ProgressWindow::~ProgressWindow() { Close(); }

DWORD WINAPI ProgressWindow::ThreadMain(LPVOID) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), "PROCESSDLG", nullptr, ProgressDialog::Procedure, 0);
    if (!dialog) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}

void ProgressWindow::Open() {
    Close();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    DWORD id = 0;
    thread_.reset(CreateThread(nullptr, 0, ThreadMain, nullptr, 0, &id));
    if (thread_) SetThreadPriority(thread_.get(), THREAD_PRIORITY_LOWEST);
}

void ProgressWindow::Show(const TSNAPSHOT& snapshot) {
    // Snapshots sent before the window exists are lost.
    if (HWND window = ProgressWindowHandle)
        SendMessageA(window, WM_COMMAND, IDM_PROGRESS_SNAPSHOT, reinterpret_cast<LPARAM>(&snapshot));
}

void ProgressWindow::Close() {
    if (!thread_) return;
    ScanRunning = false;
    if (HWND window = ProgressWindowHandle) SendMessageA(window, WM_COMMAND, IDC_STOP_SEARCH, 0);
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
}
