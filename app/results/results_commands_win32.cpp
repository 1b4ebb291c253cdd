#include "app/results/results_commands_win32.h"

#include "app/results/list_csv.h"
#include "common/messagebox.h"
#include "common/platform.h"
#include "common/ui/save_dialog.h"
#include "common/ui/shell_open.h"
#include "common/win32/syserror.h"
#include "common/win32/unique_handle.h"
#include "common/win32/wide.h"

void OpenContainingFolder(HWND owner, const TFILEINFO& file) {
    // Quoted whole: a comma in the path would end Explorer's /select argument.
    const INT_PTR result = ShellRun(owner, "explorer.exe", "/select,\"" + file.FullPath() + "\"", SW_SHOWNORMAL);
    if (result <= 32) ShowMessageBox(owner, ShellOpenErrorText(result), "Error", mb::kIconHand);
}

namespace {

std::string listText(TRESVIEW& view) {
    std::string text = ListCsvHeader();
    int32_t group = 0;
    for (const TRESVIEW::Node& node : view.Nodes()) {
        if (!node.file) {
            ++group;
            continue;
        }
        if (!node.item) continue;
        const TFILEINFO& f = *node.file;
        text += ListCsvLine({group, f.Size, f.FullPath(), f.Written, node.bold, node.image == 1,
                             node.image == TRESVIEW::kProtectedImage});
    }
    return text;
}

// Written beside the chosen file and moved over it once whole, so a file the
// user already had is replaced only by a complete list. The name beside it is
// one that did not exist: a file of the user's that bears it stays as it is.
// The long form is chosen for that name, longer than the chosen one.
DWORD writeWhole(const std::string& path, const std::string& text) {
    const std::wstring target = SystemPath(path);
    std::wstring part;
    unique_file file;
    for (int n = 0;; ++n) {
        part = SystemPath(path + (n ? "." + std::to_string(n) : std::string()) + ".part");
        file.reset(CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) break;
        if (const DWORD error = GetLastError(); error != ERROR_FILE_EXISTS || n == 99) return error;
    }
    DWORD written = 0, error = 0;
    if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !FlushFileBuffers(file.get()))
        error = GetLastError() ? GetLastError() : ERROR_DISK_FULL;
    file.reset();
    if (!error && !MoveFileExW(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) DeleteFileW(part.c_str());
    return error;
}

}  // namespace

bool SaveListCommand(HWND owner, TRESVIEW& view) {
    using namespace std::string_literals;
    std::string path = "Duplicates.csv";
    if (!ChooseSaveFile(owner, {"CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0\0"s, "csv", true}, path)) return false;
    if (const DWORD error = writeWhole(path, listText(view))) {
        ShowMessageBoxUtf8(owner, "Can not save the list to " + path + ": " + platform::fromAnsi(SysErrorText(error)),
                           "Error", mb::kIconHand);
        return false;
    }
    return true;
}
