#include "progress_window_win32.h"

#include <commctrl.h>

#include <cmath>

#include "common/ui/dialog.h"
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

class ProgressDialog : public Dialog {
public:
    // Creates the window on the calling thread; false when the system could not.
    bool Create() { return Dialog::Create(nullptr, "PROCESSDLG") != nullptr; }
    using Dialog::RunMessages;

private:
    // Esc, the close box and the stop button all stop the scan.
    void OnCancel() override { Stop(); }

    bool OnInit() override {
        bar_ = std::make_unique<TPROGRESSBAR>(handle(), IDC_PROGRESS_PLACEHOLDER);
        SetWindowContextHelpId(handle(), IDH_PROGRESS);
        // Published before the flag is read: a tracker destroyed meanwhile
        // either sees this window and stops it, or this sees the flag cleared.
        ProgressWindowHandle = handle();
        if (!ScanRunning) Stop();
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDM_PROGRESS_SNAPSHOT:
            // The snapshot's address comes where a control's handle would.
            if (control) OnSnapshot(*reinterpret_cast<const TSNAPSHOT*>(control));
            return true;
        case IDC_STOP_SEARCH:
            Stop();
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }

    void OnSnapshot(const TSNAPSHOT& snapshot) {
        auto texts = SnapshotTexts(snapshot);
        for (size_t k = 0; k < texts.size(); ++k)
            SetDlgItemTextA(handle(), IDC_STAT_FOLDERS + static_cast<int>(k), texts[k].c_str());
        if (bar_) bar_->SetPercent(snapshot.Percent);
    }

    // Ends the scan and this window's thread.
    void Stop() {
        ScanRunning = false;
        if (stopped_) return;
        stopped_ = true;
        ProgressWindowHandle = nullptr;
        bar_.reset();
        Close();
    }

    std::unique_ptr<TPROGRESSBAR> bar_;
    bool stopped_ = false;
};

}  // namespace

ProgressWindow::~ProgressWindow() { Close(); }

DWORD WINAPI ProgressWindow::ThreadMain(LPVOID) {
    ProgressDialog window;
    if (!window.Create()) return 1;
    window.RunMessages();
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
