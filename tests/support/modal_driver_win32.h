// Answers modal windows (message boxes, dialogs) shown on this thread, in
// order: a thread timer looks for the next expected window while the modal
// loop runs and hands it to that step's action. An action may open further
// modal windows; the timer goes on inside their loops. A watchdog closes the
// thread's dialogs if a step never comes, so a stuck test fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

struct ModalStep {
    std::string caption;  // empty: any dialog of this thread
    std::function<void(HWND)> action;
};

class ModalDriver {
public:
    ModalDriver(std::string caption, std::function<void(HWND)> action, int maxTicks = 100);
    explicit ModalDriver(std::vector<ModalStep> steps, int maxTicks = 100);
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;
    ~ModalDriver();

    // Every step found its window.
    bool found() const { return next_ == steps_.size(); }
    size_t stepsDone() const { return next_; }
    bool timedOut() const { return timedOut_; }

    // The text of a control of a window (0xFFFF is a message box's text).
    static std::string ControlText(HWND window, int id);

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void tick();

    std::vector<ModalStep> steps_;
    size_t next_ = 0;
    int maxTicks_;
    int ticksLeft_;
    bool timedOut_ = false;
    std::set<HWND> handled_;
    UINT_PTR timer_ = 0;
    static ModalDriver* active_;
};
