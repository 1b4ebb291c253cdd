#include "app/shell/tips.h"

namespace {

// Where record index begins, or npos when no whole record starts there.
size_t recordAt(const std::string& bytes, int32_t index) {
    size_t at = 0;
    for (int32_t k = 0;; ++k) {
        if (at + 5 > bytes.size()) return std::string::npos;
        const size_t end = at + 5 + static_cast<unsigned char>(bytes[at + 4]);
        if (end > bytes.size()) return std::string::npos;
        if (k == index) return at;
        at = end;
    }
}

}  // namespace

int32_t CountTips(const std::string& bytes) {
    int32_t count = 0;
    while (recordAt(bytes, count) != std::string::npos) ++count;
    return count;
}

std::string TipText(const std::string& bytes, int32_t index) {
    if (index < 0) return {};
    const size_t at = recordAt(bytes, index);
    if (at == std::string::npos) return {};
    return bytes.substr(at + 5, static_cast<unsigned char>(bytes[at + 4]));
}
