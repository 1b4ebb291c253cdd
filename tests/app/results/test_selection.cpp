#include "app/results/selection.h"

#include <gtest/gtest.h>

#include "app/results/deletion_plan.h"
#include "common/text.h"
#include "tests/support/temp_folder.h"

namespace {

class JunkScoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = JunkFolders;
        JunkFolders = {"C:\\TEMP\\", "C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS"};
    }
    void TearDown() override {
        JunkFolders = saved;
        slFoldersToScan.clear();
    }
    static double score(const char* folder, const char* name, uint32_t attributes = 0x20) {
        slFoldersToScan = {folder};
        platform::FindData d;
        d.Name = name;
        d.Attributes = attributes;
        return JunkScore(TFILEINFO(0, d));
    }
    platform::SpecialFolders saved;
};

TEST_F(JunkScoreTest, Table) {
    struct Case {
        const char* folder;
        const char* name;
        uint32_t attributes;
        double score;
    };
    const Case cases[] = {
        {"c:\\data\\", "report.doc", 0x20, 1.1},
        {"c:\\data\\", "copy of report~1.doc", 0x20, 2.1},
        {"c:\\data\\", "a~~$$^#@.txt", 0x00, 6.0},    // each character once
        {"c:\\data\\", "old.bak", 0x00, 2.0},
        {"c:\\data\\", "old.Bak.txt", 0x00, 1.0},      // only the last extension
        {"c:\\data\\", "bak", 0x00, 1.0},              // no dot, no extension
        {"c:\\temp\\", "t.txt", 0x00, 1.0},            // directly in the temporary folder: no +1
        {"c:\\temp\\sub\\", "t.txt", 0x00, 2.0},
        {"C:\\Windows\\System32\\", "x.dll", 0x20, -1.9},
        {"C:\\Windows\\", "x.ini", 0x00, 0.0},
        {"c:\\data\\", "t.tmp", 0x100, 2.0},
        {"c:\\data\\", "h.txt", 0x2 | 0x4 | 0x1, -2.0},
    };
    for (const Case& c : cases) EXPECT_NEAR(score(c.folder, c.name, c.attributes), c.score, 1e-9) << c.name;
}

TEST_F(JunkScoreTest, ANameTheSystemFindsCountsMinusOne) {
#ifdef _WIN32
    const char* known = "cmd.exe";
#else
    const char* known = "sh";
#endif
    EXPECT_NEAR(score("c:\\data\\", known, 0), -1.0, 1e-9);
    JunkFolders = {};  // no special folders: nothing matches them
    EXPECT_NEAR(score("c:\\data\\", "report.doc", 0x20), 1.1, 1e-9);
}

TEST(SmartSelection, Table) {
    struct Case {
        std::vector<double> scores;
        std::vector<bool> selected;
    };
    const Case cases[] = {
        {{1.1, 2.1}, {false, true}},
        {{2.1, 1.1}, {true, false}},
        {{1.1, 1.1}, {false, true}},      // equal and positive: the first is kept
        {{-3.9, -3.9}, {false, false}},   // equal and negative: both kept
        {{0.0, 0.0}, {false, false}},
        {{2.0, 1.0, 1.0, 1.005}, {true, false, true, true}},
        {{}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SmartSelection(c.scores), c.selected);
}

platform::TimeStamp at(int hour, int minute, int ms = 0) {
    platform::TimeStamp t;
    t.Year = 2026;
    t.Month = 12;
    t.Day = 7;
    t.Hour = static_cast<uint16_t>(hour);
    t.Minute = static_cast<uint16_t>(minute);
    t.Milliseconds = static_cast<uint16_t>(ms);
    return t;
}

TEST(TimeSelection, OldestAndNewFiles) {
    const std::vector<platform::TimeStamp> times = {at(10, 0), at(10, 0), at(11, 30)};
    EXPECT_EQ(TimeSelection(times, true), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(TimeSelection(times, false), (std::vector<bool>{false, false, true}));
    const std::vector<platform::TimeStamp> same = {at(9, 0), at(9, 0)};
    EXPECT_EQ(TimeSelection(same, true), (std::vector<bool>{false, false}));
    const std::vector<platform::TimeStamp> milliseconds = {at(9, 0, 1), at(9, 0, 2)};
    EXPECT_EQ(TimeSelection(milliseconds, true), (std::vector<bool>{true, false}));
    platform::TimeStamp otherWeekday = at(9, 0);
    otherWeekday.DayOfWeek = 5;
    EXPECT_EQ(TimeSelection({at(9, 0), otherWeekday}, false), (std::vector<bool>{false, false}));
}

TEST(FolderRules, SingleFolderAndTree) {
    struct Case {
        const char* folder;
        bool single, tree;
    };
    const Case cases[] = {
        {"c:\\data", true, true},
        {"C:\\DATA", true, true},
        {"c:\\data\\old", false, true},
        {"c:\\database", false, false},
        {"d:\\data", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InSingleFolder(c.folder, "C:\\DATA\\"), c.single) << c.folder;
        EXPECT_EQ(InFolderTree(c.folder, "C:\\DATA\\"), c.tree) << c.folder;
    }
    EXPECT_TRUE(InSingleFolder("C:", "C:\\"));  // a file in the root of drive C
}

TEST(DeletionPlan, WhoGoesWhoStaysAndTheSource) {
    using A = MemberAction;
    struct Case {
        std::vector<bool> marked;
        bool keepLast;
        std::vector<A> actions;
        int source;
        std::vector<bool> restorable = {};  // whose path the undo file can read from (all when empty)
    };
    const Case cases[] = {
        {{true, true, true}, true, {A::Delete, A::Delete, A::Spare}, 2},
        {{false, true, true}, true, {A::Keep, A::Delete, A::Delete}, 0},
        {{true, false, true}, true, {A::Delete, A::Keep, A::Delete}, 1},
        {{true, true, true}, false, {A::Delete, A::Delete, A::Delete}, -1},
        {{false, false}, true, {A::Keep, A::Keep}, 1},
        {{true, false}, false, {A::Delete, A::Keep}, 1},
        // The last kept copy has a name the undo file cannot hold (a decomposed
        // accent): another kept copy is the source.
        {{false, true, true, false}, true, {A::Keep, A::Delete, A::Delete, A::Keep}, 0, {true, true, true, false}},
        {{false, false}, true, {A::Keep, A::Keep}, 1, {false, false}},  // none can: the last, and each file is kept
    };
    for (const Case& c : cases) {
        GroupPlan plan = PlanGroupDeletion(c.marked, c.keepLast, c.restorable);
        EXPECT_EQ(plan.actions, c.actions);
        EXPECT_EQ(plan.source, c.source);
    }
}

TEST(DeletionPlan, IdenticalCopiesAreReadNow) {
    TempFolder folder;
    std::string a = folder.write("a", std::string(70000, 'x'));
    std::string b = folder.write("b", std::string(70000, 'x'));
    std::string c = folder.write("c", std::string(69999, 'x') + "y");
    std::string d = folder.write("d", std::string(70001, 'x'));
    std::filesystem::create_hard_link(a, folder.path("link"));
    EXPECT_TRUE(IdenticalCopies(a, b));
    EXPECT_FALSE(IdenticalCopies(a, c));
    EXPECT_FALSE(IdenticalCopies(a, d));
    EXPECT_FALSE(IdenticalCopies(a, folder.path("missing")));
    EXPECT_FALSE(IdenticalCopies(a, folder.path("link")));  // one file, not a copy
    EXPECT_FALSE(IdenticalCopies(a, ""));
}

}  // namespace
