#include "common/files.h"
#include "common/text.h"

#include <gtest/gtest.h>

#include "tests/support/message_recorder.h"
#include "tests/support/temp_folder.h"

namespace {

// The code page the tests assume for accented letters: Windows-1252, which
// is what Wine gives an English or C locale and what the host build maps.
TEST(CaseConversion, FollowsTheAnsiCodePage) {
    struct Case {
        const char* text;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {"", "", ""},
        {"abc XYZ 123-_.", "ABC XYZ 123-_.", "abc xyz 123-_."},
        {"\xE9t\xE9", "\xC9T\xC9", "\xE9t\xE9"},               // ete with e acute
        {"\xC0\xD6\xDE", "\xC0\xD6\xDE", "\xE0\xF6\xFE"},       // A grave, O diaeresis, thorn
        {"\xFF\x9A\x9C\x9E", "\x9F\x8A\x8C\x8E", "\xFF\x9A\x9C\x9E"},
        {"\xF7\xD7", "\xF7\xD7", "\xF7\xD7"},                   // division and multiplication signs
        {"\xDF", "\xDF", "\xDF"},                               // sharp s has no upper case here
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpperStr(c.text), c.upper) << c.text;
        EXPECT_EQ(LowerStr(c.upper), LowerStr(c.text)) << c.text;
        EXPECT_EQ(LowerStr(c.text), c.lower) << c.text;
    }
    EXPECT_EQ(UpperChar('q'), 'Q');
    EXPECT_EQ(UpperChar('\xE7'), '\xC7');
    EXPECT_EQ(UpperChar('7'), '7');
}

TEST(SizeText, Table) {
    struct Case {
        int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {1, "1"},
        {99999, "99999"},
        {100000, "97K"},
        {150000, "146K"},
        {3000000, "2929K"},
        {102399999, "99999K"},
        {102400000, "97M"},
        {104857599999LL, "99999M"},
        {104857600000LL, "97G"},
        {INT64_MAX, "8589934591G"},  // G is the last unit, however large
    };
    for (const Case& c : cases) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

class DateTimeTextTest : public ::testing::Test {
protected:
    void TearDown() override { SetDateTimeFormats(DateTimeFormats{}); }

    static platform::TimeStamp at(int year, int month, int day, int hour, int minute, int second) {
        platform::TimeStamp t;
        t.Year = static_cast<uint16_t>(year);
        t.Month = static_cast<uint16_t>(month);
        t.Day = static_cast<uint16_t>(day);
        t.Hour = static_cast<uint16_t>(hour);
        t.Minute = static_cast<uint16_t>(minute);
        t.Second = static_cast<uint16_t>(second);
        return t;
    }
};

TEST_F(DateTimeTextTest, DefaultsAreDayMonthYearAnd24Hours) {
    EXPECT_EQ(DateText(at(2026, 3, 5, 0, 0, 0)), "05.03.2026");
    EXPECT_EQ(TimeText(at(2026, 3, 5, 7, 8, 9)), "07:08:09");
    EXPECT_EQ(DateTimeText(at(1999, 12, 31, 23, 59, 58)), "31.12.1999 23:59:58");
    EXPECT_EQ(CurrentDateTimeFormats().am, "Am");
    EXPECT_EQ(CurrentDateTimeFormats().pm, "Pm");
}

TEST_F(DateTimeTextTest, DateFormats) {
    struct Case {
        const char* format;
        int year, month, day;
        const char* text;
    };
    const Case cases[] = {
        {"M/d/yyyy", 2026, 3, 5, "3/5/2026"},
        {"MM/dd/yy", 2026, 3, 5, "03/05/26"},
        {"d.M.y", 2005, 11, 25, "25.11.5"},
        {"yy-MM-dd", 2000, 1, 9, "00-01-09"},
        {"yyyy-MM-dd", 987, 1, 9, "0987-01-09"},
        {"dd/MM", 2026, 12, 7, "07/12"},
        {"yyyy yyyy", 2026, 1, 1, "2026 yyyy"},  // only the first token of a field
    };
    for (const Case& c : cases) {
        SetDateTimeFormats({c.format, "HH:mm:ss", "Am", "Pm"});
        EXPECT_EQ(DateText(at(c.year, c.month, c.day, 0, 0, 0)), c.text) << c.format;
    }
}

TEST_F(DateTimeTextTest, TimeFormats) {
    struct Case {
        const char* format;
        int hour, minute, second;
        const char* text;
    };
    const Case cases[] = {
        {"h:mm:ss tt", 13, 5, 9, "1:05:09 PM"},
        {"h:mm:ss tt", 12, 30, 0, "12:30:00 PM"},
        {"h:mm:ss tt", 0, 10, 0, "12:10:00 AM"},
        {"h:mm:ss tt", 11, 59, 59, "11:59:59 AM"},
        {"hh:mm t", 9, 5, 0, "09:05 A"},
        {"hh:mm t", 23, 5, 0, "11:05 P"},
        {"H:m:s", 9, 5, 3, "9:5:3"},
        {"HH.mm", 0, 0, 0, "00.00"},
        {"HH:mm:ss tt", 15, 0, 0, "15:00:00 PM"},  // a 24-hour clock may still carry a designator
    };
    for (const Case& c : cases) {
        SetDateTimeFormats({"dd.MM.yyyy", c.format, "AM", "PM"});
        EXPECT_EQ(TimeText(at(2026, 1, 1, c.hour, c.minute, c.second)), c.text) << c.format;
    }
}

TEST_F(DateTimeTextTest, DurationsShowAsTimeOfDay) {
    const int64_t second = 10000000;
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(-5 * second), "00:00:00");
    EXPECT_EQ(DurationText(second - 1), "00:00:00");
    EXPECT_EQ(DurationText(3723 * second), "01:02:03");
    EXPECT_EQ(DurationText((25 * 3600 + 1) * second), "01:00:01");  // modulo 24 hours
    SetDateTimeFormats({"dd.MM.yyyy", "h:mm:ss tt", "AM", "PM"});
    EXPECT_EQ(DurationText(90 * second), "12:01:30 AM");
}

TEST_F(DateTimeTextTest, FileTimesConvertBothWays) {
    struct Case {
        int64_t fileTime;
        int year, month, day, hour, minute, second, ms, weekday;
    };
    const Case cases[] = {
        {0, 1601, 1, 1, 0, 0, 0, 0, 1},
        {116444736000000000LL, 1970, 1, 1, 0, 0, 0, 0, 4},
        {125911584000000000LL, 2000, 1, 1, 0, 0, 0, 0, 6},
        {125963012967890000LL, 2000, 2, 29, 12, 34, 56, 789, 2},
        {134116991999990000LL, 2025, 12, 31, 23, 59, 59, 999, 3},
    };
    for (const Case& c : cases) {
        platform::TimeStamp t = FileTimeToTimeStamp(c.fileTime);
        EXPECT_EQ(t.Year, c.year) << c.fileTime;
        EXPECT_EQ(t.Month, c.month) << c.fileTime;
        EXPECT_EQ(t.Day, c.day) << c.fileTime;
        EXPECT_EQ(t.Hour, c.hour) << c.fileTime;
        EXPECT_EQ(t.Minute, c.minute) << c.fileTime;
        EXPECT_EQ(t.Second, c.second) << c.fileTime;
        EXPECT_EQ(t.Milliseconds, c.ms) << c.fileTime;
        EXPECT_EQ(t.DayOfWeek, c.weekday) << c.fileTime;
        EXPECT_EQ(TimeStampToFileTime(t), c.fileTime);
    }
}

TEST_F(DateTimeTextTest, OleDatesCountDaysFrom30December1899) {
    struct Case {
        double date;
        const char* text;
    };
    const Case cases[] = {
        {0, "30.12.1899 00:00:00"},
        {2.5, "01.01.1900 12:00:00"},
        {-1.25, "29.12.1899 06:00:00"},  // the fraction counts forward on days before day 0 too
        {38553.86081255787, "20.07.2005 20:39:34"},
        {0.99999999999, "31.12.1899 00:00:00"},  // rounds to the next midnight, not to 24:00
        {-1e9, "01.01.1601 00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(DateTimeText(OleDateToTimeStamp(c.date)), c.text) << c.date;
}

TEST_F(DateTimeTextTest, LoadedFormatsAreNeverEmpty) {
    LoadDateTimeFormats();
    const DateTimeFormats& f = CurrentDateTimeFormats();
    EXPECT_FALSE(f.date.empty());
    EXPECT_FALSE(f.time.empty());
    EXPECT_FALSE(f.am.empty());
    EXPECT_FALSE(f.pm.empty());
    EXPECT_FALSE(DateTimeText(platform::localTime()).empty());
}

TEST(DeleteFileForced, DeletesAnOrdinaryFile) {
    TempFolder folder;
    std::string path = folder.write("plain.txt", "x");
    MessageRecorder messages;
    EXPECT_TRUE(DeleteFileForced(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DeleteFileForced, ClearsReadOnlyAndRetries) {
    TempFolder folder;
    std::string path = folder.write("locked.txt", "x");
    SetReadOnly(path, true);
    MessageRecorder messages;
    EXPECT_TRUE(DeleteFileForced(path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DeleteFileForced, ReportsAFailureWithItsErrorCode) {
    TempFolder folder;
    std::string path = folder.path("never-there.txt");
    MessageRecorder messages;
    EXPECT_FALSE(DeleteFileForced(path));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].owner, nullptr);
    EXPECT_EQ(messages.shown[0].text, "Can not delete file " + path + " Error code : 2");
    EXPECT_EQ(messages.shown[0].caption, "This is error message! I am sorry...");
    EXPECT_EQ(messages.shown[0].style, 0x10u);
}

}  // namespace

// Every name the system can give comes back as itself, a lone surrogate too;
// bytes that were never UTF-8 stand as U+FFFD, one each.
TEST(NameText, Utf16AndUtf8RoundTrip) {
    struct Case {
        std::u16string wide;
        std::string utf8;
    };
    const Case cases[] = {
        {u"plain.txt", "plain.txt"},
        {u"caf\u00E9 \u65E5\u672C", "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"x", "\xED\xA0\x80x"},  // a lone high surrogate
        {std::u16string(1, char16_t(0xDC00)), "\xED\xB0\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8FromUtf16(c.wide), c.utf8) << c.utf8;
        EXPECT_EQ(Utf16FromUtf8(c.utf8), c.wide) << c.utf8;
    }
    EXPECT_EQ(Utf16FromUtf8("a\xE9z\xC3"), u"a\uFFFDz\uFFFD");
    EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // an overlong "/" is no "/"
}
