#include "update/names.h"

#include <set>

#include "common/text.h"

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.size() > 255) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(start, end - start);
        // Windows writes "a." and "a " as "a", and "con.txt" is no file at all.
        if (part.empty() || part == "." || part == ".." || part.back() == '.' || part.back() == ' ' ||
            IsWindowsDeviceName(part))
            return false;
        // Characters no Windows name holds (":" would name a stream).
        for (char c : part)
            if (static_cast<unsigned char>(c) < 32 || std::string_view("<>:\"|?*/").find(c) != std::string_view::npos)
                return false;
        start = end + 1;
    }
    return true;
}

std::string FirstCaseTwin(const std::vector<std::string>& names) {
    std::set<std::string> seen;
    for (const std::string& name : names)
        if (!seen.insert(UpperStr(name)).second) return name;
    return {};
}

bool IsFileOfFolder(std::string_view path, std::string_view folder) {
    return IsInsideFolder(path, folder) && path.substr(folder.size()).find('\\') == std::string_view::npos;
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
    if (folder.empty() || folder.back() != '\\' || path.size() <= folder.size()) return false;
    return UpperStr(path.substr(0, folder.size())) == UpperStr(folder) && IsSafeEntryName(path.substr(folder.size()));
}
