#include "text.h"

#include <array>
#include <cstdio>

#include "messagebox.h"

namespace {

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    CaseTables() {
        for (int c = 0; c < 256; ++c) {
            upper[c] = c == 0 ? 0 : platform::charUpper(static_cast<unsigned char>(c));
            lower[c] = c == 0 ? 0 : platform::charLower(static_cast<unsigned char>(c));
        }
    }
};

// The code page does not change while the program runs, so each character is
// asked of the system once.
const CaseTables& caseTables() {
    static const CaseTables tables;
    return tables;
}

std::string mapText(std::string_view text, const std::array<unsigned char, 256>& table) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

DateTimeFormats& formats() {
    static DateTimeFormats current;
    return current;
}

std::string number(unsigned value, bool twoDigits) {
    char text[16];
    std::snprintf(text, sizeof text, twoDigits ? "%02u" : "%u", value);
    return text;
}

// Replaces the first occurrence of the long token, or else of the short one;
// returns whether either was found.
bool replaceToken(std::string& text, std::string_view longToken, std::string_view shortToken,
                  const std::string& longValue, const std::string& shortValue) {
    if (auto at = text.find(longToken); at != std::string::npos) {
        text.replace(at, longToken.size(), longValue);
        return true;
    }
    if (auto at = text.find(shortToken); at != std::string::npos) {
        text.replace(at, shortToken.size(), shortValue);
        return true;
    }
    return false;
}

}  // namespace

std::string UpperStr(std::string_view text) { return mapText(text, caseTables().upper); }

std::string LowerStr(std::string_view text) { return mapText(text, caseTables().lower); }

char UpperChar(char c) { return static_cast<char>(caseTables().upper[static_cast<unsigned char>(c)]); }

std::string SizeText(int64_t bytes) {
    static constexpr const char* suffixes[] = {"", "K", "M", "G"};
    int unit = 0;
    while (bytes > 99999 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    return std::to_string(bytes) + suffixes[unit];
}

void LoadDateTimeFormats() {
    platform::LocaleFormats system = platform::userLocaleFormats();
    DateTimeFormats f;
    if (!system.shortDate.empty()) f.date = system.shortDate;
    if (!system.time.empty()) f.time = system.time;
    if (f.time.find('t') != std::string::npos) {
        if (!system.am.empty()) f.am = system.am;
        if (!system.pm.empty()) f.pm = system.pm;
    }
    formats() = f;
}

void SetDateTimeFormats(const DateTimeFormats& f) { formats() = f; }

const DateTimeFormats& CurrentDateTimeFormats() { return formats(); }

std::string DateText(const platform::TimeStamp& t) {
    std::string text = formats().date;
    unsigned shortYear = t.Year % 100u;
    if (auto at = text.find("yyyy"); at != std::string::npos) {
        char year[16];
        std::snprintf(year, sizeof year, "%04u", static_cast<unsigned>(t.Year));
        text.replace(at, 4, year);
    } else {
        replaceToken(text, "yy", "y", number(shortYear, true), number(shortYear, false));
    }
    replaceToken(text, "dd", "d", number(t.Day, true), number(t.Day, false));
    replaceToken(text, "MM", "M", number(t.Month, true), number(t.Month, false));
    return text;
}

std::string TimeText(const platform::TimeStamp& t) {
    const DateTimeFormats& f = formats();
    std::string text = f.time;
    if (!replaceToken(text, "HH", "H", number(t.Hour, true), number(t.Hour, false))) {
        unsigned hour12 = t.Hour % 12u == 0 ? 12u : t.Hour % 12u;
        replaceToken(text, "hh", "h", number(hour12, true), number(hour12, false));
    }
    replaceToken(text, "mm", "m", number(t.Minute, true), number(t.Minute, false));
    replaceToken(text, "ss", "s", number(t.Second, true), number(t.Second, false));
    const std::string& designator = t.Hour >= 12 ? f.pm : f.am;
    replaceToken(text, "tt", "t", designator, designator.substr(0, 1));
    return text;
}

std::string DateTimeText(const platform::TimeStamp& t) { return DateText(t) + " " + TimeText(t); }

std::string DurationText(uint64_t fileTime) {
    uint64_t seconds = fileTime / 10000000u;
    platform::TimeStamp t;
    t.Hour = static_cast<uint16_t>(seconds / 3600 % 24);
    t.Minute = static_cast<uint16_t>(seconds / 60 % 60);
    t.Second = static_cast<uint16_t>(seconds % 60);
    return TimeText(t);
}

bool DeleteFileForced(const std::string& path) {
    if (platform::removeFile(path)) return true;
    uint32_t error = platform::lastError();
    if (error == platform::kErrorAccessDenied) {
        platform::clearAttributes(path);
        if (platform::removeFile(path)) return true;
        error = platform::lastError();
    }
    ShowMessageBox(nullptr, "Can not delete file " + path + " Error code : " + std::to_string(error),
                   "This is error message! I am sorry...", mb::kIconHand);
    return false;
}
