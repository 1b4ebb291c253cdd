#include "common/ui/help.h"

std::string HelpFilePath() {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file(path, n);
    auto dot = file.rfind('.');
    auto slash = file.rfind('\\');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.erase(dot);
    return file + ".hlp";
}

void ShowContextHelp(HWND window, DWORD contextId) {
    WinHelpA(window, HelpFilePath().c_str(), HELP_CONTEXT, contextId);
}
