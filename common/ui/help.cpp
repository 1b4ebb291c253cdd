#include "common/ui/help.h"

#include "common/win32/module.h"

std::string HelpFilePath() {
    std::string file = ModuleFileName();
    auto dot = file.rfind('.');
    auto slash = file.rfind('\\');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.erase(dot);
    return file + ".hlp";
}

void ShowContextHelp(HWND window, DWORD contextId) {
    WinHelpA(window, HelpFilePath().c_str(), HELP_CONTEXT, contextId);
}
