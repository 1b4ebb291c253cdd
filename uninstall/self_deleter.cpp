#include "uninstall/self_deleter.h"

#include "common/text.h"

std::string SelfDeleterText(const std::string& uninstaller, const std::string& temporary) {
    const size_t slash = uninstaller.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : uninstaller.substr(0, slash);
    const std::string self = BatchQuoted(uninstaller);
    std::string text = "set VarnokTries=0\r\n:ContWait\r\n";
    // /f: a read-only uninstaller would keep the loop going for ever.
    text += "del /f " + self + "\r\n";
    text += "if not exist " + self + " goto Removed\r\n";
    // The uninstaller may be held open (a second one runs): a pause of about a
    // second between tries (ping waits a second between its two echoes), and
    // after about a minute the file is left where it is.
    text += "set /a VarnokTries+=1\r\n";
    text += "if %VarnokTries% geq 60 goto Removed\r\n";
    text += "ping -n 2 127.0.0.1 >nul\r\n";
    text += "goto ContWait\r\n";
    text += ":Removed\r\n";
    text += "rmdir " + BatchQuoted(folder) + "\r\n";
    text += "del " + BatchQuoted(temporary + kSelfDeleterName) + "\r\n";
    return text;
}
