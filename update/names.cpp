#include "update/names.h"

#include "common/text.h"

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.size() > 255) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        for (char c : part)
            if (static_cast<unsigned char>(c) < 32 || c == ':') return false;
        start = end + 1;
    }
    return true;
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
    if (folder.empty() || folder.back() != '\\' || path.size() <= folder.size()) return false;
    return UpperStr(path.substr(0, folder.size())) == UpperStr(folder) && IsSafeEntryName(path.substr(folder.size()));
}
