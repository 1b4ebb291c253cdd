#include "files.h"

#include "platform.h"
#include "text.h"

bool DeleteFileForced(const std::string& path, WindowHandle owner) {
    if (platform::removeFile(path)) return true;
    uint32_t error = platform::lastError();
    if (error == platform::kErrorAccessDenied) {
        platform::clearAttributes(path);
        if (platform::removeFile(path)) return true;
        error = platform::lastError();
    }
    ShowMessageBoxUtf8(owner, "Can not delete file " + path + " Error code : " + std::to_string(error),
                       "This is error message! I am sorry...", mb::kIconHand);
    return false;
}

size_t SystemLength(const std::string& utf8) { return Utf16FromUtf8(utf8).size(); }
