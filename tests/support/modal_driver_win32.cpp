#include "modal_driver_win32.h"

ModalDriver* ModalDriver::active_ = nullptr;

ModalDriver::ModalDriver(std::string caption, std::function<void(HWND)> action, int maxTicks)
    : ModalDriver(std::vector<ModalStep>{{std::move(caption), std::move(action)}}, maxTicks) {}

ModalDriver::ModalDriver(std::vector<ModalStep> steps, int maxTicks)
    : steps_(std::move(steps)), maxTicks_(maxTicks), ticksLeft_(maxTicks) {
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

namespace {

struct Search {
    const std::string* caption;
    const std::set<HWND>* handled;
    HWND found = nullptr;
};

BOOL CALLBACK findDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    char cls[16] = {}, text[256] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(window) || search->handled->count(window)) return TRUE;
    GetWindowTextA(window, text, sizeof text);
    if (!search->caption->empty() && *search->caption != text) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK closeDialog(HWND window, LPARAM) {
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770") {
        EndDialog(window, IDCANCEL);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

}  // namespace

void ModalDriver::tick() {
    if (next_ < steps_.size()) {
        Search search{&steps_[next_].caption, &handled_};
        EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            handled_.insert(search.found);
            ticksLeft_ = maxTicks_;
            const size_t step = next_++;
            steps_[step].action(search.found);  // may run nested modal loops, and this again
            return;
        }
    }
    if (--ticksLeft_ <= 0 && !timedOut_) {
        timedOut_ = true;
        EnumThreadWindows(GetCurrentThreadId(), closeDialog, 0);
    }
}

std::string ModalDriver::ControlText(HWND window, int id) {
    char text[1024] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}
