// Answers a modal window (a message box or dialog) shown on this thread:
// a thread timer looks for it while the modal loop runs, and a watchdog
// closes it if the answer never comes, so a stuck test fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class ModalDriver {
public:
    // action is called once with the window whose caption matches; it should
    // press a button. Returns through found()/text() what it saw.
    ModalDriver(std::string caption, std::function<void(HWND)> action, int maxTicks = 100);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    ~ModalDriver();

    bool found() const { return found_; }
    bool timedOut() const { return timedOut_; }

    // The text of a control of a window (0xFFFF is a message box's text).
    static std::string ControlText(HWND window, int id);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void tick();

    std::string caption_;
    std::function<void(HWND)> action_;
    int ticksLeft_;
    bool found_ = false;
    bool timedOut_ = false;
    UINT_PTR timer_ = 0;
    static ModalDriver* active_;
};
