// Update dates: the texts the server, the package and the restart carry.
#include <gtest/gtest.h>

#include "common/text.h"
#include "update/dates.h"

TEST(UpdateDates, DateTextsAreReadByTheirFirstThreeRunsOfDigits) {
    const double march15 = EncodeDate(2004, 3, 15);
    struct Case {
        const char* text;
        double date;
    };
    const Case cases[] = {
        {"15-03-2004", march15},
        {"15.03.2004", march15},
        {"15/3/2004", march15},
        {"abc15x03y2004", march15},
        {"15-03-20041", march15},  // a fifth digit is dropped
        {"0015-0003-2004", march15},
        {"30-12-1899", 0},
        {"29-02-2004", EncodeDate(2004, 2, 29)},
        {"29-02-2100", 0},  // no such day
        {"31-04-2004", 0},
        {"15-13-2004", 0},
        {"15-03", 0},  // no year
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(UpDateToDate(c.text), c.date) << c.text;
    EXPECT_EQ(march15, 38061);
}

TEST(UpdateDates, WireAndDisplayForms) {
    EXPECT_EQ(WireDate(0), "30-12-1899");
    EXPECT_EQ(WireDate(38061.75), "15-03-2004");  // whole days only
    EXPECT_EQ(WireDate(EncodeDate(2026, 12, 8)), "08-12-2026");
    struct Case {
        const char* pattern;
        const char* text;
    };
    const Case cases[] = {{"dd.MM.yyyy", "15.03.2004"}, {"d/M/yy", "15/3/04"}};
    for (const Case& c : cases) {
        DateTimeFormats formats;
        formats.date = c.pattern;
        SetDateTimeFormats(formats);
        EXPECT_EQ(DateToUpDate(38061.75), c.text) << c.pattern;
    }
    SetDateTimeFormats(DateTimeFormats{});
}
