#include "uninstall/self_deleter.h"

std::string BatchLiteral(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        quoted += c;
        if (c == '%') quoted += '%';
    }
    return quoted + "\"";
}

std::string SelfDeleterText(const std::string& uninstaller, const std::string& temporary) {
    const size_t slash = uninstaller.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : uninstaller.substr(0, slash);
    const std::string self = BatchLiteral(uninstaller);
    return ":ContWait\r\n"
           "del " +
           self +
           "\r\n"
           "if exist " +
           self +
           " goto ContWait\r\n"
           "rmdir " +
           BatchLiteral(folder) +
           "\r\n"
           "del " +
           BatchLiteral(temporary + kSelfDeleterName) + "\r\n";
}
