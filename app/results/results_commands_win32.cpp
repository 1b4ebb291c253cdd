#include "app/results/results_commands_win32.h"

#include <shlobj.h>

#include "app/results/list_csv.h"
#include "common/messagebox.h"
#include "common/platform.h"
#include "common/ui/save_dialog.h"
#include "common/ui/shell_open.h"
#include "common/win32/syserror.h"
#include "common/win32/unique_handle.h"
#include "common/win32/wide.h"

namespace {

// Whether the shell reads an item back as this very name (its MAX_PATH
// characters at most): not "aux" for "aux.c", not "dir" for "dir.".
bool namesExactly(const ITEMIDLIST* item, const std::wstring& path) {
    wchar_t back[MAX_PATH] = {};
    return item && SHGetPathFromIDListW(item, back) && lstrcmpiW(back, path.c_str()) == 0;
}

// The shell's item for a file, made from its exact name: as the shell parses
// it where that reads back as the name, else built from the name's parts as
// they are (a name ending in a dot or a blank, or a device's, which parsing
// reads as another). Null when none names the file.
ITEMIDLIST* itemOf(const std::wstring& path) {
    ITEMIDLIST* item = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr)) && namesExactly(item, path))
        return item;
    if (item) ILFree(item);
    // Looked up, not imported: older shells export it by number only.
    using Simple = ITEMIDLIST*(WINAPI*)(const wchar_t*);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    FARPROC simple = shell ? GetProcAddress(shell, "SHSimpleIDListFromPath") : nullptr;
    if (shell && !simple) simple = GetProcAddress(shell, MAKEINTRESOURCEA(162));
    item = simple ? reinterpret_cast<Simple>(reinterpret_cast<void*>(simple))(path.c_str()) : nullptr;
    if (namesExactly(item, path)) return item;
    if (item) ILFree(item);
    return nullptr;
}

}  // namespace

void OpenContainingFolder(HWND owner, const TFILEINFO& file) {
    const std::string path = file.FullPath();
    const std::wstring wide = Wide(path);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ITEMIDLIST* item = itemOf(wide);
    const HRESULT result = item ? ShellSelectItem(owner, item) : E_FAIL;
    if (item) ILFree(item);
    if (SUCCEEDED(com)) CoUninitialize();
    if (SUCCEEDED(result)) return;
    // A shell without the call (an old Wine) still has Explorer's command
    // line, which reads a plain name as it is; it reads the others as other
    // files, so those are not given to it.
    if (SystemPath(path) == wide) {
        // Quoted whole: a comma in the path would end Explorer's /select argument.
        const INT_PTR run = ShellRun(owner, "explorer.exe", "/select,\"" + path + "\"", SW_SHOWNORMAL);
        if (run <= 32) ShowMessageBox(owner, ShellOpenErrorText(run), "Error", mb::kIconHand);
        return;
    }
    ShowMessageBoxUtf8(owner,
                       "Can not open the folder of " + path + " with that file selected: " +
                           (item ? platform::fromAnsi(SysErrorText(static_cast<uint32_t>(result)))
                                 : std::string("Explorer has no name for it.")),
                       "Error", mb::kIconHand);
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
