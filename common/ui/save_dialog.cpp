#include "common/ui/save_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "common/win32/wide.h"

namespace {

SaveFileChooser& replacement() {
    static SaveFileChooser chooser;
    return chooser;
}

bool systemChooseSaveFileW(HWND owner, const SaveFileRequest& request, std::string& path) {
    // The filter's zeros and the extension convert as they are.
    const std::wstring filter = Wide(request.filter), extension = Wide(request.defaultExtension);
    std::wstring file(32768, L'\0');
    const std::wstring start = Wide(path);
    start.copy(file.data(), std::min(start.size(), file.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&ofn)) return false;
    path = Utf8(file.c_str());
    return true;
}

bool systemChooseSaveFile(HWND owner, const SaveFileRequest& request, std::string& path) {
    if (request.anyName) return systemChooseSaveFileW(owner, request, path);
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
