// The progress window: a modeless dialog in a thread of its own at the
// lowest priority, refreshed by the tracker and able to stop the scan.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "app/scan/progress.h"
#include "common/errors.h"
#include "common/win32/unique_handle.h"

// The open progress window, or null.
extern std::atomic<HWND> ProgressWindowHandle;

// A progress bar control over a placeholder of a dialog, range 0 to 1000.
class TPROGRESSBAR : public TERRORCLASS {
public:
    TPROGRESSBAR(HWND dialog, int placeholderId);
    ~TPROGRESSBAR() override;
    TPROGRESSBAR(const TPROGRESSBAR&) = delete;
    TPROGRESSBAR& operator=(const TPROGRESSBAR&) = delete;

    void SetPercent(double percent);
    HWND Window() const { return bar_; }

private:
    HWND bar_ = nullptr;
};

class ProgressWindow : public ProgressWindowLink {
public:
    ProgressWindow() = default;
    ~ProgressWindow() override;

    void Open() override;
    void Show(const TSNAPSHOT& snapshot) override;
    void Close() override;

private:
    static DWORD WINAPI ThreadMain(LPVOID);
    unique_kernel_handle thread_;
};
