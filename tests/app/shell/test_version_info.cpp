// The About box's version and release-date texts.
#include <gtest/gtest.h>

#include "app/shell/version_info.h"
#include "common/text.h"

TEST(VersionInfo, ReleaseDateTexts) {
    struct Case {
        const char* text;
        double date;
    };
    const Case cases[] = {
        {" 3.855386081255787E+004", 38553.86081255787},
        {"3.855386081255787E+004", 38553.86081255787},
        {"   2", 2},
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"1.5x", 0},  // not a number as a whole
        {"1,5", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ParseReleaseDate(c.text), c.date) << '"' << c.text << '"';
}

TEST(VersionInfo, VersionAndDateAsTheBoxShowsThem) {
    SetDateTimeFormats(DateTimeFormats{});
    VersionInfo info;
    EXPECT_EQ(VersionText(info), "Unknown version!");
    EXPECT_EQ(ReleaseDateText(info), "(none)");
    info.read = true;
    info.fileMajor = 1, info.fileMinor = 8, info.fileBuild = 398;
    EXPECT_EQ(VersionText(info), "Version 1.08 Build 398");
    info.fileMinor = 123;
    EXPECT_EQ(VersionText(info), "Version 1.123 Build 398");
    struct Case {
        double date;
        const char* text;
    };
    const Case cases[] = {
        {38553.86081255787, "20.07.2005 20:39:34"},
        {0.009, "(none)"},
        {-0.009, "(none)"},
        {0.01, "30.12.1899 00:14:24"},
    };
    for (const Case& c : cases) {
        info.releaseDate = c.date;
        EXPECT_EQ(ReleaseDateText(info), c.text) << c.date;
    }
}
