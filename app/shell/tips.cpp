#include "app/shell/tips.h"

namespace {

// Where the whole record after the one at `at` begins, or npos when none does.
size_t nextRecord(const std::string& bytes, size_t at) {
    if (at + 5 > bytes.size()) return std::string::npos;
    const size_t end = at + 5 + static_cast<unsigned char>(bytes[at + 4]);
    return end > bytes.size() ? std::string::npos : end;
}

// Where record index begins, or npos when no whole record starts there.
size_t recordAt(const std::string& bytes, int32_t index) {
    size_t at = 0;
    for (int32_t k = 0; k < index && at != std::string::npos; ++k) at = nextRecord(bytes, at);
    return at != std::string::npos && nextRecord(bytes, at) != std::string::npos ? at : std::string::npos;
}

}  // namespace

// One walk over the file: counting by looking each record up from the first
// took minutes on a large file, at every start.
int32_t CountTips(const std::string& bytes) {
    int32_t count = 0;
    for (size_t at = nextRecord(bytes, 0); at != std::string::npos; at = nextRecord(bytes, at)) ++count;
    return count;
}

std::string TipText(const std::string& bytes, int32_t index) {
    if (index < 0) return {};
    const size_t at = recordAt(bytes, index);
    if (at == std::string::npos) return {};
    return bytes.substr(at + 5, static_cast<unsigned char>(bytes[at + 4]));
}
