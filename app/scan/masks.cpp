#include "masks.h"

#include <algorithm>
#include <bitset>
#include <cstdint>

#include "common/text.h"

bool UnixWildcards = false;

namespace {

using Matcher = bool (*)(std::string_view, std::string_view);
Matcher activeMatcher = DosMatch;

unsigned char up(char c) { return static_cast<unsigned char>(UpperChar(c)); }

// One match of a mask against a name. Cursors j (mask) and i (name) are
// 0-based. A "*" tries every rest of the name in turn; each (mask position,
// name position) pair that has failed once is remembered, so masks with many
// stars cannot make a scan crawl. Remembering changes no result: a pair's
// outcome depends on nothing else.
class MaskMatch {
public:
    MaskMatch(std::string_view mask, std::string_view name, bool unix) : m_(mask), n_(name), unix_(unix) {}

    bool run() { return from(0, 0); }

private:
    bool from(size_t j, size_t i) {
        const size_t m = m_.size();
        const size_t n = n_.size();
        if (m - j == 1 && m_[j] == '*') return true;
        while (i < n && j < m) {
            const char c = m_[j];
            if (c == '*') {
                if (j == m - 1) return true;
                // The empty rest of the name is never tried.
                for (size_t k = i; k < n; ++k) {
                    if (knownToFail(j + 1, k)) continue;
                    if (from(j + 1, k)) return true;
                    rememberFailure(j + 1, k);
                }
                return false;
            }
            if (c == '?') {
                ++i;
                ++j;
            } else if (c == '[' && unix_) {
                if (!matchClass(j, up(n_[i]))) return false;
                ++i;
            } else {
                if (up(c) != up(n_[i])) return false;
                ++i;
                ++j;
            }
        }
        if (j >= m) return i >= n;
        return m - j == 1 && m_[j] == '*';
    }

    // Tests ch against the class that starts at the "[" at j and moves j past
    // its "]". A class without "]" matches nothing: the user most likely
    // mistyped the mask, and no file should be taken or dropped on a guess.
    bool matchClass(size_t& j, unsigned char ch) {
        const size_t m = m_.size();
        std::bitset<256> set;
        bool negative = false;
        bool hasPrevious = false;
        unsigned char previous = 0;
        ++j;
        while (j < m && m_[j] != ']') {
            const char c = m_[j];
            if (c == '!' || c == '^') {
                negative = true;
            } else if (c == '-') {
                if (j + 1 >= m) return false;  // "-" at the end: the class is not closed
                const unsigned char high = up(m_[++j]);
                if (hasPrevious)
                    for (unsigned code = previous; code <= high; ++code) set.set(up(static_cast<char>(code)));
            } else {
                previous = up(c);
                hasPrevious = true;
                set.set(previous);
            }
            ++j;
        }
        if (j >= m) return false;
        ++j;  // past "]"
        return set.test(ch) != negative;
    }

    bool knownToFail(size_t j, size_t i) const { return !failed_.empty() && failed_[j * (n_.size() + 1) + i]; }

    void rememberFailure(size_t j, size_t i) {
        if (failed_.empty()) failed_.assign((m_.size() + 1) * (n_.size() + 1), false);
        failed_[j * (n_.size() + 1) + i] = true;
    }

    std::string_view m_;
    std::string_view n_;
    bool unix_;
    std::vector<bool> failed_;
};

}  // namespace

// Each matcher keeps its own dialect after a "*"; the program only calls the
// active one, through Match.
bool DosMatch(std::string_view mask, std::string_view name) { return MaskMatch(mask, name, false).run(); }

bool UnixMatch(std::string_view mask, std::string_view name) { return MaskMatch(mask, name, true).run(); }

void SetUnixWildcards(bool flag) {
    UnixWildcards = flag;
    activeMatcher = flag ? UnixMatch : DosMatch;
}

bool Match(std::string_view mask, std::string_view name) { return activeMatcher(mask, name); }

bool MatchList(const MaskList& list, std::string_view name, bool whenEmpty) {
    if (list.empty()) return whenEmpty;
    for (const std::string& mask : list)
        if (Match(mask, name)) return true;
    return false;
}

bool AcceptFileName(std::string_view name) {
    return MatchList(slIncludedFiles, name, true) && !MatchList(slExcludedFiles, name, false);
}

MaskList SplitMaskText(std::string_view text) {
    auto isSeparator = [](char c) { return c == ' ' || c == ','; };
    while (!text.empty() && isSeparator(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSeparator(text.back())) text.remove_suffix(1);
    MaskList masks;
    while (!text.empty()) {
        size_t comma = text.find(',');
        masks.emplace_back(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma);
        while (!text.empty() && isSeparator(text.front())) text.remove_prefix(1);
    }
    return masks;
}

namespace {

MaskList::iterator findMask(MaskList& list, const std::string& mask) {
    const std::string upper = UpperStr(mask);
    return std::find_if(list.begin(), list.end(), [&](const std::string& m) { return UpperStr(m) == upper; });
}

}  // namespace

void AddMaskText(std::string_view text, MaskList& thisList, MaskList& otherList,
                 const std::function<bool(const std::string& mask)>& moveFromOther) {
    for (const std::string& mask : SplitMaskText(text)) {
        if (findMask(thisList, mask) != thisList.end()) continue;
        if (auto other = findMask(otherList, mask); other != otherList.end()) {
            if (!moveFromOther(mask)) continue;
            otherList.erase(other);
        }
        thisList.push_back(mask);
    }
}
