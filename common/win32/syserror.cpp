#include "common/win32/syserror.h"

#include <windows.h>

size_t SysErrorText(uint32_t code, char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    // The inserts of messages such as "%1 is not a valid Win32 application"
    // have no arguments here; without IGNORE_INSERTS FormatMessage would read
    // arguments that were never passed.
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                             static_cast<DWORD>(size), nullptr);
    if (n >= size) n = static_cast<DWORD>(size - 1);
    buffer[n] = '\0';
    return n;
}

std::string SysErrorText(uint32_t code) {
    char buffer[1024];
    size_t n = SysErrorText(code, buffer, sizeof buffer);
    return std::string(buffer, n > 255 ? 255 : n);
}
