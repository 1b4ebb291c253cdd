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

int ShowMessageBoxUtf8(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style) {
    // The first 255 characters, never part of one.
    size_t end = 0;
    for (int characters = 0; end < text.size() && characters < 255; ++characters)
        do ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80);
    const std::string shown = text.substr(0, end);
    if (const auto& handler = currentHandler()) return handler(owner, shown, caption, style);
    return platform::systemMessageBoxUtf8(owner, shown, caption, style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}
