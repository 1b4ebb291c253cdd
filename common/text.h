// Case conversion by the system's ANSI rules, and the texts of sizes, dates,
// times and durations that every window shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform.h"

std::string UpperStr(std::string_view text);
std::string LowerStr(std::string_view text);
char UpperChar(char c);

// "146K" for 150000: the count in bytes, K, M or G, never above five digits
// until G is reached.
std::string SizeText(int64_t bytes);

// The formats dates and times are shown in.
struct DateTimeFormats {
    std::string date = "dd.MM.yyyy";
    std::string time = "HH:mm:ss";
    std::string am = "Am";
    std::string pm = "Pm";
};

// Reads the user's formats from the system; called once at start. Fields the
// system leaves empty keep their defaults.
void LoadDateTimeFormats();
void SetDateTimeFormats(const DateTimeFormats& formats);
const DateTimeFormats& CurrentDateTimeFormats();

std::string DateText(const platform::TimeStamp& t);
std::string TimeText(const platform::TimeStamp& t);
std::string DateTimeText(const platform::TimeStamp& t);
// A duration in 100-ns units, shown as a time of day (so modulo 24 hours).
// Negative durations show as zero.
std::string DurationText(int64_t fileTime);

// FILETIME values (100-ns units since 1 January 1601) and the broken-down
// times they stand for, as FileTimeToSystemTime and SystemTimeToFileTime
// convert them; no time zone is applied. Negative values give 1 January 1601.
int64_t TimeStampToFileTime(const platform::TimeStamp& t);
platform::TimeStamp FileTimeToTimeStamp(int64_t fileTime);
// An OLE date: days since 30 December 1899, the fraction the time of day,
// counted forward from midnight also on days before that one (-1.25 is
// 29 December 1899, 06:00). Dates before 1601 give 1 January 1601.
platform::TimeStamp OleDateToTimeStamp(double date);

// Whether Windows opens a name as a device whatever extension follows:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM1-9 and LPT1-9, the digits
// 1, 2 and 3 also as superscripts (ANSI \xB9, \xB2, \xB3); case and blanks
// before the extension do not matter.
bool IsWindowsDeviceName(std::string_view name);

// A text quoted inside a message: at most `limit` characters, a longer one cut
// and ended with an ellipsis (the ANSI "\x85"), so the message around it is
// never cut and its box never grows wider than the screen.
std::string QuotedInMessage(std::string_view text, size_t limit = 60);

// A path as a quoted argument of a batch file: "%" doubled so the batch
// reads it back as itself; quotes keep "&", "^", "(" and ")" literal.
std::string BatchQuoted(const std::string& path);

// Paths travel through the program as UTF-8, so that a name the ANSI code
// page cannot spell still names its file. The system's names are UTF-16 and
// may hold a lone surrogate: it is carried in the three bytes UTF-8 would
// give it, so that every name comes back as itself.
std::string Utf8FromUtf16(std::u16string_view text);
std::u16string Utf16FromUtf8(std::string_view text);
