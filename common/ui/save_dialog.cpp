#include "common/ui/save_dialog.h"

#include <commdlg.h>

#include <utility>

namespace {

SaveFileChooser& replacement() {
    static SaveFileChooser chooser;
    return chooser;
}

bool systemChooseSaveFile(HWND owner, const SaveFileRequest& request, std::string& path) {
    char file[MAX_PATH] = {};
    lstrcpynA(file, path.c_str(), MAX_PATH);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = request.filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&ofn)) return false;
    path = file;
    return true;
}

}  // namespace

bool ChooseSaveFile(HWND owner, const SaveFileRequest& request, std::string& path) {
    if (const auto& chooser = replacement()) return chooser(owner, request, path);
    return systemChooseSaveFile(owner, request, path);
}

SaveFileChooser SetSaveFileChooser(SaveFileChooser chooser) { return std::exchange(replacement(), std::move(chooser)); }
