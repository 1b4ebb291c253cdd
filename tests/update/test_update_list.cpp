// The update list as the offer dialog shows it.
#include <gtest/gtest.h>

#include "common/text.h"
#include "update/update_list.h"

TEST(UpdateList, EmptyMeansTheLatestVersionAndNothingElseIsRead) {
    const UpdateListView view = ReadUpdateList("EMPTY\r\nTotalSize:##5\r\n");
    EXPECT_TRUE(view.empty);
    EXPECT_EQ(view.shown, "");
    EXPECT_FALSE(view.complete());
    EXPECT_FALSE(ReadUpdateList("EMPTY but more").empty);
}

TEST(UpdateList, EachKindOfLineAsShown) {
    SetDateTimeFormats(DateTimeFormats{});
    struct Case {
        const char* line;
        const char* shown;
    };
    const Case cases[] = {
        {"UpdateID:##Varnok scan 1.1", "Recent changes on Varnok scan 1.1\n"},
        {"Size:##150000", "Update size : 146Kbytes\n"},
        {"Size:##99999", "Update size : 99999bytes\n"},
        {"Size:##lots", "Update size : lotsbytes\n"},
        {"TotalSize:##150000", "Totally update size : 146Kbytes\n"},
        {"Last:##15-03-2004", "Last update now : 15.03.2004\n"},
        {"Version:##1.1##build 7", "Version:\t1.1\tbuild 7\n"},
        {"15-03-2004##Fixed<p>more", "15.03.2004\tFixed\n\t\tmore\n"},
        {"no marks<p>here", "no marks<p>here\n"},
        {"soon##Faster", "soon\tFaster\n"},  // no date before the marks: kept as it came
    };
    for (const Case& c : cases) EXPECT_EQ(ReadUpdateList(c.line).shown, c.shown) << c.line;
}

TEST(UpdateList, LinesSizeAndDateMakeTheOffer) {
    const UpdateListView view =
        ReadUpdateList(std::string("TotalSize:##150000\r\n\r\n\nLast:##15-03-2004\n15-03-2004##A\0ignored", 60));
    EXPECT_TRUE(view.complete());
    EXPECT_EQ(view.totalSize, "146Kbytes");
    EXPECT_EQ(view.lastDate, "15.03.2004");
    EXPECT_EQ(view.shown, "Totally update size : 146Kbytes\nLast update now : 15.03.2004\n15.03.2004\tA\n");
    EXPECT_FALSE(ReadUpdateList("TotalSize:##1\n").complete());
    EXPECT_FALSE(ReadUpdateList("Last:##15-03-2004\n").complete());
    // A line is cut to 255 characters.
    EXPECT_EQ(ReadUpdateList(std::string(300, 'x')).shown, std::string(255, 'x') + "\n");
}
