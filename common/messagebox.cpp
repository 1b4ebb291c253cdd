#include "messagebox.h"

#include <utility>

#include "platform.h"

namespace {

MessageBoxHandler& currentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style) {
    std::string shown = text.substr(0, 255);
    if (const auto& handler = currentHandler()) return handler(owner, shown, caption, style);
    return platform::systemMessageBox(owner, shown, caption, style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}
