// Names an update may write.
#include <gtest/gtest.h>

#include "update/names.h"

TEST(UpdateNames, OnlyPathsInsideTheFolder) {
    struct Case {
        const char* name;
        bool safe;
    };
    const Case cases[] = {
        {"VarnokScan.exe", true},
        {"docs\\read me.txt", true},
        {"..\\evil.exe", false},
        {"docs\\..\\..\\evil.exe", false},
        {"docs/../evil.exe", false},
        {"docs/a.txt", false},  // only backslashes part a name
        {"aux.txt", false},
        {"docs\\COM1", false},
        {"con", false},
        {"console.txt", true},
        {"COM10.txt", true},
        {"COM\xB9", false},  // superscript digits name devices too
        {"docs\\LPT\xB2.txt", false},
        {"CONOUT$", false},
        {"conin$.log", false},
        {"COM\xB4.txt", true},  // an acute accent is no digit
        {"a<b.txt", false},
        {"a>b.txt", false},
        {"say \"hi\".txt", false},
        {"a|b.txt", false},
        {"what?.txt", false},
        {"star*.txt", false},
        {"tab\tname.txt", false},
        {"VarnokScan.exe.", false},  // Windows would write VarnokScan.exe
        {"blank ", false},
        {"..", false},
        {"C:\\Windows\\evil.exe", false},
        {"C:evil.exe", false},
        {"\\\\server\\share\\evil.exe", false},
        {"\\evil.exe", false},
        {"/evil.exe", false},
        {"file.txt:stream", false},
        {"docs\\\\twice.txt", false},
        {"docs\\", false},
        {"", false},
        {"tab\there", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.name;
    EXPECT_FALSE(IsSafeEntryName(std::string(256, 'a')));

    EXPECT_EQ(FirstCaseTwin({"Old.txt", "docs\\a.txt", "old.TXT"}), "old.TXT");
    EXPECT_EQ(FirstCaseTwin({"a.txt", "docs\\a.txt", "b.txt"}), "");

    const char folder[] = "C:\\Program Files\\Varnok Scan\\";
    EXPECT_TRUE(IsInsideFolder("C:\\Program Files\\Varnok Scan\\tips.dat", folder));
    EXPECT_TRUE(IsInsideFolder("c:\\program files\\varnok scan\\docs\\a.txt", folder));
    EXPECT_FALSE(IsInsideFolder("C:\\Program Files\\Varnok Scan\\..\\evil.exe", folder));
    EXPECT_FALSE(IsInsideFolder("C:\\Program Files\\Varnok Scanner\\a.exe", folder));
    EXPECT_FALSE(IsInsideFolder("C:\\Program Files\\Varnok Scan\\", folder));
    EXPECT_FALSE(IsInsideFolder("C:\\evil.exe", "C:\\Program Files\\Varnok Scan"));  // a folder without its backslash
    EXPECT_TRUE(IsFileOfFolder("c:\\program files\\varnok scan\\VarnokScan.exe", folder));
    EXPECT_FALSE(IsFileOfFolder("C:\\Program Files\\Varnok Scan\\VarnokScan.exe", "C:\\"));  // only a folder above it
    EXPECT_FALSE(IsFileOfFolder("C:\\Program Files\\Varnok Scan\\docs\\VarnokScan.exe", folder));
}
