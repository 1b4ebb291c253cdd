#include "text.h"

#include <array>
#include <cmath>
#include <cstdio>


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

std::string DurationText(int64_t fileTime) { return TimeText(FileTimeToTimeStamp(fileTime)); }

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerDay = 86400 * kTicksPerSecond;
constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr int64_t kDaysFrom1601To1899 = 109205;  // to 30 December 1899, day 0 of OLE dates

// Days since 1 January 1970 of a date of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

}  // namespace

int64_t TimeStampToFileTime(const platform::TimeStamp& t) {
    int64_t days = daysFromCivil(t.Year, t.Month, t.Day) + kDaysFrom1601To1970;
    int64_t seconds = t.Hour * 3600 + t.Minute * 60 + t.Second;
    return days * kTicksPerDay + seconds * kTicksPerSecond + t.Milliseconds * int64_t{10000};
}

platform::TimeStamp FileTimeToTimeStamp(int64_t fileTime) {
    if (fileTime < 0) fileTime = 0;
    const int64_t days = fileTime / kTicksPerDay;
    const int64_t rest = fileTime % kTicksPerDay;
    int64_t year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days - kDaysFrom1601To1970, year, month, day);
    platform::TimeStamp t;
    t.Year = static_cast<uint16_t>(year);
    t.Month = static_cast<uint16_t>(month);
    t.Day = static_cast<uint16_t>(day);
    t.DayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1 January 1601 was a Monday
    t.Hour = static_cast<uint16_t>(rest / (3600 * kTicksPerSecond));
    t.Minute = static_cast<uint16_t>(rest / (60 * kTicksPerSecond) % 60);
    t.Second = static_cast<uint16_t>(rest / kTicksPerSecond % 60);
    t.Milliseconds = static_cast<uint16_t>(rest / 10000 % 1000);
    return t;
}

bool IsWindowsDeviceName(std::string_view name) {
    std::string stem = UpperStr(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (stem == device) return true;
    if (stem.size() != 4 || (stem.rfind("COM", 0) != 0 && stem.rfind("LPT", 0) != 0)) return false;
    const unsigned char digit = static_cast<unsigned char>(stem[3]);
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

std::string QuotedInMessage(std::string_view text, size_t limit) {
    if (text.size() <= limit || limit == 0) return std::string(text);
    return std::string(text.substr(0, limit - 1)) + '\x85';
}

std::string BatchQuoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        out += c;
        if (c == '%') out += '%';
    }
    return out + "\"";
}

platform::TimeStamp OleDateToTimeStamp(double date) {
    // Before 1601 (and NaN) there is no file time; past 31 December 9999 no calendar.
    if (!(date > -static_cast<double>(kDaysFrom1601To1899))) return FileTimeToTimeStamp(0);
    if (date > 2958465.0) date = 2958465.0;
    double whole = std::trunc(date);
    auto milliseconds = static_cast<int64_t>(std::llround(std::fabs(date - whole) * 86400000.0));
    auto days = static_cast<int64_t>(whole);
    if (milliseconds >= 86400000) {  // rounded up to the next midnight
        milliseconds -= 86400000;
        ++days;
    }
    return FileTimeToTimeStamp((days + kDaysFrom1601To1899) * kTicksPerDay + milliseconds * 10000);
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        uint32_t c = text[k];
        if (c >= 0xD800 && c < 0xDC00 && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++k] - 0xDC00u);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size();) {
        const auto lead = static_cast<unsigned char>(text[k]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        uint32_t c = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : length == 2 ? lead & 0x1Fu : lead;
        bool valid = length > 0 && k + length <= text.size();
        for (size_t j = 1; valid && j < length; ++j) {
            const auto next = static_cast<unsigned char>(text[k + j]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3Fu);
        }
        valid = valid && (length == 1 ? true : length == 2 ? c >= 0x80 : length == 3 ? c >= 0x800 : c >= 0x10000 && c < 0x110000);
        if (!valid) {
            // A byte that begins no character (text that was never UTF-8)
            // stands as the replacement character, one for each byte.
            out += u'\xFFFD';
            ++k;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        k += length;
    }
    return out;
}
