#include "common/win32/module.h"

#include <vector>

std::string ModuleFileName(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, n < MAX_PATH ? n : 0);
}

std::string ProgramFolder() {
    const std::string module = ModuleFileName();
    char full[MAX_PATH] = {};
    char* namePart = nullptr;
    DWORD n = GetFullPathNameA(module.c_str(), MAX_PATH, full, &namePart);
    std::string folder = n > 0 && n < MAX_PATH ? std::string(full, namePart ? namePart - full : n) : module;
    if (namePart == nullptr) {
        auto slash = folder.rfind('\\');
        if (slash != std::string::npos) folder.erase(slash + 1);
    }
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

std::optional<FileVersion> ReadFileVersion(HMODULE module) {
    const std::string path = ModuleFileName(module);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return std::nullopt;
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return std::nullopt;
    return FileVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS),
                       LOWORD(info->dwFileVersionLS)};
}

std::string LoadStr(UINT id, HMODULE module) {
    char text[256] = {};
    const int n = LoadStringA(module ? module : GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string ResourceBytes(UINT id, UINT type, HMODULE module) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}
