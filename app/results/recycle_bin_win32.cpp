#include "app/results/recycle_bin_win32.h"

#include <shellapi.h>


#include "app/scan/catalogue.h"
#include "common/files.h"
#include "common/win32/wide.h"

namespace {

DWORD readDword(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return 0;
    if (RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    RegCloseKey(opened);
    return value;
}

// The user's settings for the bin of a volume: "Don't move files to the
// Recycle Bin" per volume (since Vista), for all drives or per drive (before).
bool deletesAtOnce(const std::wstring& root) {
    const std::wstring bitBucket = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket";
    if (readDword(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                  L"NoRecycleFiles"))
        return true;
    wchar_t volume[64] = {};
    if (GetVolumeNameForVolumeMountPointW(root.c_str(), volume, 64)) {
        const std::wstring name = volume;  // the volume by its {guid} name
        const size_t open = name.find(L'{'), close = name.find(L'}');
        if (open != std::wstring::npos && close != std::wstring::npos &&
            readDword(HKEY_CURRENT_USER, bitBucket + L"\\Volume\\" + name.substr(open, close - open + 1),
                      L"NukeOnDelete"))
            return true;
    }
    if (readDword(HKEY_LOCAL_MACHINE, bitBucket, L"UseGlobalSettings"))
        return readDword(HKEY_LOCAL_MACHINE, bitBucket, L"NukeOnDelete") != 0;
    return readDword(HKEY_LOCAL_MACHINE, bitBucket + L"\\" + root.substr(0, 1), L"NukeOnDelete") != 0;
}

}  // namespace

bool RecycleBinCheck::takes(const std::string& path) {
    // The shell takes no "\\?\" path: past MAX_PATH it would delete for good or
    // fail, and a name it would read otherwise (a trailing dot or blank, a
    // device name such as "aux.c") could send another file to the bin.
    if (SystemLength(path) >= MAX_PATH) return false;
    for (size_t start = path.find('\\'), end; start != std::string::npos; start = end) {
        end = path.find('\\', start + 1);
        const std::string name = path.substr(start + 1, end == std::string::npos ? end : end - start - 1);
        if (!UsableName(name, false) || IsDeviceName(name)) return false;
    }
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(Wide(path).c_str(), root, MAX_PATH)) return false;
    const auto [at, fresh] = volumes_.try_emplace(root, false);
    if (!fresh) return at->second;
    // Network shares, removable and optical drives have no bin.
    at->second = GetDriveTypeW(root) == DRIVE_FIXED && !deletesAtOnce(root);
    return at->second;
}

void RecycleFiles(HWND owner, const std::vector<std::string>& paths) {
    std::wstring from;
    for (const std::string& path : paths) {
        from += Wide(path);
        from += L'\0';
    }
    from += L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
    SHFileOperationW(&operation);
}
