#include "common/win32/module.h"

#include <cstring>
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

VersionResource::VersionResource(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
}

const VS_FIXEDFILEINFO* VersionResource::Fixed() const {
    void* info = nullptr;
    UINT length = 0;
    if (data_.empty() || !VerQueryValueA(data_.data(), "\\", &info, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(info);
}

std::optional<std::string> VersionResource::Value(const std::string& name) const {
    void* text = nullptr;
    UINT length = 0;
    if (data_.empty() || !VerQueryValueA(data_.data(), name.c_str(), &text, &length) || !text) return std::nullopt;
    const char* chars = static_cast<const char*>(text);
    return std::string(chars, strnlen(chars, length));
}

std::optional<FileVersion> ReadFileVersion(HMODULE module) {
    const VersionResource resource(ModuleFileName(module));
    const VS_FIXEDFILEINFO* info = resource.Fixed();
    if (!info) return std::nullopt;
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
