#include "string_list.h"

std::string EncodeStringList(const StringList& list) {
    if (list.empty()) return std::string(2, '\0');
    std::string out;
    for (const std::string& s : list) {
        if (s.empty()) continue;
        out += s.substr(0, s.find('\0'));
        out += '\0';
    }
    out += '\0';  // a list of only empty strings is this one zero byte
    return out;
}

void DecodeStringList(const std::string& encoded, StringList& list, size_t limit) {
    size_t at = 0;
    do {
        size_t end = encoded.find('\0', at);
        if (end == std::string::npos) end = encoded.size();  // an unterminated last string ends the block
        if (end > at) list.push_back(encoded.substr(at, std::min(end - at, limit)));
        at = end + 1;
    } while (at < encoded.size() && encoded[at] != '\0');
}
