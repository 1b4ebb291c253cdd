#include "uninstall/self_deleter.h"

#include "common/text.h"

std::string SelfDeleterText(const std::string& uninstaller, const std::string& temporary) {
    const size_t slash = uninstaller.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : uninstaller.substr(0, slash);
    const std::string self = BatchQuoted(uninstaller);
    std::string text = ":ContWait\r\n";
    // /f: a read-only uninstaller would keep the loop going for ever.
    text += "del /f " + self + "\r\n";
    text += "if exist " + self + " goto ContWait\r\n";
    text += "rmdir " + BatchQuoted(folder) + "\r\n";
    text += "del " + BatchQuoted(temporary + kSelfDeleterName) + "\r\n";
    return text;
}
