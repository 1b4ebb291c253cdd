#include "common/win32/remembered_place.h"

#include <windows.h>

#include "common/win32/wide.h"

std::string RememberedContentsIn(const std::string& localAppData) {
    return localAppData + "\\Varnok Scan\\Remembered contents.dat";
}

void MakeRememberedContentsFolder(const std::string& path) {
    const std::wstring store = SystemPath(path);
    CreateDirectoryW(store.substr(0, store.rfind(L'\\')).c_str(), nullptr);
}

bool ForgetRememberedContents(const std::string& path, bool* kept) {
    if (kept) *kept = false;
    const std::wstring store = SystemPath(path);
    const std::wstring folder = store.substr(0, store.rfind(L'\\') + 1);
    bool found = false;
    const auto remove = [&](const std::wstring& name) {
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        found = true;
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(name.c_str()) && kept) *kept = true;
    };
    remove(store);
    remove(store + L".bad");
    // A search ended before it moved its new store over the old leaves it under a name of its own.
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((store + L".*.new").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do remove(folder + entry.cFileName);
        while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    return found;
}
