#include "update/dates.h"

#include <cmath>
#include <cstdio>

#include "common/text.h"

namespace {

constexpr double kTicksPerDay = 864000000000.0;
constexpr int64_t kDaysFrom1601To1899 = 109205;

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

double EncodeDate(int year, int month, int day) {
    // Year 1601 is where file times begin; earlier days are no update's.
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return 0;
    platform::TimeStamp t;
    t.Year = static_cast<uint16_t>(year);
    t.Month = static_cast<uint16_t>(month);
    t.Day = static_cast<uint16_t>(day);
    return std::floor(static_cast<double>(TimeStampToFileTime(t)) / kTicksPerDay) -
           static_cast<double>(kDaysFrom1601To1899);
}

std::string WireDate(double date) {
    const platform::TimeStamp t = OleDateToTimeStamp(std::trunc(date));
    char text[16];
    std::snprintf(text, sizeof text, "%2.2d-%2.2d-%4.4d", t.Day % 100, t.Month % 100, t.Year % 10000);
    return text;
}

double UpDateToDate(std::string_view text) {
    int numbers[3] = {0, 0, 0};
    size_t at = 0;
    for (int& number : numbers) {
        while (at < text.size() && (text[at] < '0' || text[at] > '9')) ++at;
        int digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            if (digits < 4) number = number * 10 + (text[at] - '0');
            ++digits;
        }
    }
    return EncodeDate(numbers[2], numbers[1], numbers[0]);
}

std::string DateToUpDate(double date) { return DateText(OleDateToTimeStamp(std::trunc(date))); }
