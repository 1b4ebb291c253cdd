// Records what ShowMessageBox would show and answers from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/messagebox.h"

struct ShownMessage {
    WindowHandle owner;
    std::string text;
    std::string caption;
    uint32_t style;
};

class MessageRecorder {
public:
    // Each box takes the next answer; once they run out, boxes answer IDOK.
    explicit MessageRecorder(std::deque<int> answers = {}) : answers_(std::move(answers)) {
        previous_ = SetMessageBoxHandler(
            [this](WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style) {
                shown.push_back({owner, text, caption, style});
                if (onShow) onShow(shown.back());
                if (answers_.empty()) return mb::kIdOk;
                int answer = answers_.front();
                answers_.pop_front();
                return answer;
            });
    }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    ~MessageRecorder() { SetMessageBoxHandler(std::move(previous_)); }

    std::vector<ShownMessage> shown;
    // Runs while a box is "up", as the user's other actions would.
    std::function<void(const ShownMessage&)> onShow;

private:
    std::deque<int> answers_;
    MessageBoxHandler previous_;
};
