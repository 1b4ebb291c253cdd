// Every message box of the program goes through ShowMessageBox, so that
// tests can see what would be shown and answer it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// MessageBoxA styles and answers the program uses (same values as Win32).
namespace mb {
inline constexpr uint32_t kOk = 0x0000;
inline constexpr uint32_t kOkCancel = 0x0001;
inline constexpr uint32_t kRetryCancel = 0x0005;
inline constexpr uint32_t kYesNoCancel = 0x0003;
inline constexpr uint32_t kYesNo = 0x0004;
inline constexpr uint32_t kIconHand = 0x0010;
inline constexpr uint32_t kIconQuestion = 0x0020;
inline constexpr uint32_t kIconExclamation = 0x0030;
inline constexpr uint32_t kIconInformation = 0x0040;
inline constexpr uint32_t kTaskModal = 0x2000;
inline constexpr uint32_t kHelp = 0x4000;
inline constexpr uint32_t kSetForeground = 0x10000;
inline constexpr uint32_t kTopMost = 0x40000;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

// An opaque window handle (an HWND on Windows); nullptr is "no owner".
using WindowHandle = void*;

// Shows a modal message box and returns the button pressed. Texts longer than
// 255 characters are cut to their first 255, as every message is a short string.
int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style);
// The same for a text in UTF-8: a message that names a file by its own name,
// which the ANSI code page may not spell. The caption stays ANSI.
int ShowMessageBoxUtf8(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style);

// Replaces what ShowMessageBox does; returns the previous handler. An empty
// handler restores the system's message box.
using MessageBoxHandler =
    std::function<int(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
