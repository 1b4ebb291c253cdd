#include "app/scan/progress.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace {

constexpr int64_t kSecond = 10000000;

struct FakeWindow : ProgressWindowLink {
    void Open() override { ++opened; }
    void Show(const TSNAPSHOT& s) override { shown.push_back(s); }
    void Close() override { ++closed; }
    int opened = 0, closed = 0;
    std::vector<TSNAPSHOT> shown;
};

class TrackerTest : public ::testing::Test {
protected:
    void TearDown() override {
        ScanRunning = false;
        SetDateTimeFormats(DateTimeFormats{});
    }
    int64_t now = 1000 * kSecond;
    FakeWindow window;
    TTIMEORACLE tracker{&window, [this] { return now; }};
};

TEST_F(TrackerTest, CreateStartsTheWindowAndSetsTheRunningFlag) {
    tracker.Create(10);
    EXPECT_TRUE(ScanRunning);
    EXPECT_EQ(window.opened, 1);
    EXPECT_EQ(tracker.Total, 10);
    EXPECT_EQ(tracker.Done, 0);
    EXPECT_EQ(tracker.Start, now);
    EXPECT_EQ(tracker.LastUpdate, 0);
    tracker.Destroy();
    EXPECT_FALSE(ScanRunning);
    EXPECT_EQ(window.closed, 1);
    tracker.Destroy();  // a second destroy does nothing
    EXPECT_EQ(window.closed, 1);
}

TEST_F(TrackerTest, RefreshesOnTheFirstStepThenAtMostOnceASecond) {
    tracker.Create(8);
    tracker.Step(3, 9, 0, 0, 0);
    ASSERT_EQ(window.shown.size(), 1u);
    now += kSecond;  // exactly one second is not more than one second
    tracker.Step(3, 9, 1, 0, 0);
    EXPECT_EQ(window.shown.size(), 1u);
    now += 1;
    tracker.Step(3, 9, 2, 1, 3000000);
    ASSERT_EQ(window.shown.size(), 2u);
    const TSNAPSHOT& s = window.shown[1];
    EXPECT_EQ(tracker.Done, 3);
    EXPECT_DOUBLE_EQ(s.Percent, 37.5);
    EXPECT_EQ(s.Folders, 3);
    EXPECT_EQ(s.Files, 9);
    EXPECT_EQ(s.Checked, 2);
    EXPECT_EQ(s.Duplicates, 1);
    EXPECT_EQ(s.Freeable, 3000000);
    EXPECT_EQ(s.Elapsed, kSecond + 1);
    EXPECT_EQ(s.TotalEstimate, ((kSecond + 1) / 3) * 8);  // integer division first
    EXPECT_EQ(s.Remaining, s.TotalEstimate - s.Elapsed);
    EXPECT_EQ(s.Finish, s.Start + s.TotalEstimate);
    EXPECT_EQ(tracker.LastUpdate, static_cast<double>(now));
}

TEST_F(TrackerTest, SetRemainingCountsFromTheStepsDone) {
    tracker.Create(20);
    for (int k = 0; k < 6; ++k) tracker.Step(1, k, 0, 0, 0);
    tracker.SetRemaining(4);
    EXPECT_EQ(tracker.Total, 10);
}

TEST_F(TrackerTest, ZeroTotalShowsAFullBarAndNoEstimate) {
    tracker.Create(0);
    tracker.Step(1, 1, 0, 0, 0);
    ASSERT_EQ(window.shown.size(), 1u);
    EXPECT_DOUBLE_EQ(window.shown[0].Percent, 100.0);
    EXPECT_EQ(window.shown[0].TotalEstimate, 0);
    EXPECT_EQ(window.shown[0].Remaining, 0);
}

TEST_F(TrackerTest, WorksWithoutAWindow) {
    TTIMEORACLE alone(nullptr, [this] { return now; });
    alone.Create(2);
    alone.Step(1, 1, 0, 0, 0);
    alone.Destroy();
    EXPECT_FALSE(ScanRunning);
}

TEST_F(TrackerTest, SnapshotTexts) {
    SetDateTimeFormats({"dd.MM.yyyy", "h:mm:ss tt", "AM", "PM"});
    TSNAPSHOT s;
    s.Folders = 12;
    s.Files = 34567;
    s.Checked = 0;
    s.Duplicates = 89;
    s.Freeable = 3000000;
    s.Start = TimeStampToFileTime({2026, 12, 1, 7, 13, 5, 9, 0});
    s.TotalEstimate = (12 * 3600 + 30 * 60) * kSecond;
    s.Elapsed = 10 * 60 * kSecond;
    s.Remaining = s.TotalEstimate - s.Elapsed;
    s.Finish = s.Start + s.TotalEstimate;
    auto texts = SnapshotTexts(s);
    const std::array<std::string, 10> expected = {"12",         "34567",       "0",           "89",
                                                  "2929K",      "1:05:09 PM",  "12:30:00 PM", "12:10:00 AM",
                                                  "12:20:00 PM", "1:35:09 AM"};
    EXPECT_EQ(texts, expected);
    s.Freeable = 99999;
    s.Remaining = -kSecond;  // an estimate already overtaken shows as zero
    texts = SnapshotTexts(s);
    EXPECT_EQ(texts[4], "99999");
    EXPECT_EQ(texts[8], "12:00:00 AM");
}

}  // namespace
