// Answers the message boxes other processes show, from a thread of its own,
// by caption and in order, keeping their texts.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class BoxAnswerer {
public:
    struct Step {
        const char* caption;
        int button;
    };
    explicit BoxAnswerer(std::vector<Step> steps) : steps_(std::move(steps)) {
        thread_ = std::thread([this] {
            for (int tick = 0; tick < 300 && next_ < steps_.size(); ++tick) {
                if (HWND box = FindWindowA(nullptr, steps_[next_].caption)) {
                    char text[2048] = {};
                    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                    texts.push_back(text);
                    PostMessageA(box, WM_COMMAND, steps_[next_].button, 0);
                    ++next_;
                    Sleep(300);  // the box is gone before the next one is looked for
                }
                Sleep(100);
            }
        });
    }
    ~BoxAnswerer() { join(); }
    // The texts of the boxes answered, once every step was taken or given up.
    std::vector<std::string> join() {
        if (thread_.joinable()) thread_.join();
        return texts;
    }
    std::vector<std::string> texts;

private:
    std::vector<Step> steps_;
    std::atomic<size_t> next_{0};
    std::thread thread_;
};
