#include "modal_driver_win32.h"

ModalDriver* ModalDriver::active_ = nullptr;

ModalDriver::ModalDriver(std::string caption, std::function<void(HWND)> action, int maxTicks)
    : caption_(std::move(caption)), action_(std::move(action)), ticksLeft_(maxTicks) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 50, OnTimer);
}

ModalDriver::~ModalDriver() {
    if (timer_) KillTimer(nullptr, timer_);
    active_ = nullptr;
}

void CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active_) active_->tick();
}

void ModalDriver::tick() {
    // An empty caption takes any dialog of this thread.
    HWND window = FindWindowA("#32770", caption_.empty() ? nullptr : caption_.c_str());
    if (window && GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) window = nullptr;
    if (window && !found_) {
        found_ = true;
        action_(window);
        return;
    }
    if (--ticksLeft_ <= 0 && !timedOut_) {
        timedOut_ = true;
        if (window) EndDialog(window, IDCANCEL);
        if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

std::string ModalDriver::ControlText(HWND window, int id) {
    char text[1024] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}
