#include "update/names.h"

#include "common/text.h"

namespace {

// Names Windows opens as devices, whatever extension follows.
bool isDevice(std::string_view part) {
    const std::string stem = UpperStr(part.substr(0, part.find('.')));
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices)
        if (stem == device) return true;
    return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.size() > 255) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(start, end - start);
        // Windows writes "a." and "a " as "a", and "con.txt" is no file at all.
        if (part.empty() || part == "." || part == ".." || part.back() == '.' || part.back() == ' ' || isDevice(part))
            return false;
        for (char c : part)
            if (static_cast<unsigned char>(c) < 32 || c == ':' || c == '/') return false;
        start = end + 1;
    }
    return true;
}

bool IsFileOfFolder(std::string_view path, std::string_view folder) {
    return IsInsideFolder(path, folder) && path.substr(folder.size()).find('\\') == std::string_view::npos;
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
    if (folder.empty() || folder.back() != '\\' || path.size() <= folder.size()) return false;
    return UpperStr(path.substr(0, folder.size())) == UpperStr(folder) && IsSafeEntryName(path.substr(folder.size()));
}
