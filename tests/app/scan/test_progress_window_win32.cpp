// The real progress window in its own thread, driven as a user would.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/scan/progress_window_win32.h"
#include "common/text.h"
#include "resources/VarnokScan/resource.h"
#include "tests/app/scan/scan_fixture.h"

namespace {

// Waits (pumping nothing: the window has its own thread) until cond holds.
template <class Cond>
bool waitFor(Cond cond, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (cond()) return true;
        Sleep(10);
    }
    return cond();
}

std::string itemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

class ProgressWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        tracker.Destroy();
        ScanRunning = false;
        SetDateTimeFormats(DateTimeFormats{});
    }

    HWND openWindow(int64_t total = 10) {
        tracker.Create(total);
        EXPECT_TRUE(waitFor([] { return ProgressWindowHandle.load() != nullptr; }));
        return ProgressWindowHandle;
    }

    ProgressWindow window;
    TTIMEORACLE tracker{&window};
};

TEST_F(ProgressWindowTest, ShowsTheSnapshotTextsAndTheBar) {
    SetDateTimeFormats({"dd.MM.yyyy", "HH:mm:ss", "Am", "Pm"});
    HWND dialog = openWindow(4);
    ASSERT_NE(dialog, nullptr);
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Please wait...");
    EXPECT_EQ(itemText(dialog, IDC_STAT_FREEABLE), "n/a");
    EXPECT_EQ(GetWindowContextHelpId(dialog), static_cast<DWORD>(IDH_PROGRESS));
    EXPECT_EQ(itemText(dialog, IDC_STOP_SEARCH), "Stop search!!!");

    tracker.Step(7, 1234, 5, 2, 3000000);  // the first step always refreshes
    EXPECT_EQ(itemText(dialog, IDC_STAT_FOLDERS), "7");
    EXPECT_EQ(itemText(dialog, IDC_STAT_FILES), "1234");
    EXPECT_EQ(itemText(dialog, IDC_STAT_CHECKED), "5");
    EXPECT_EQ(itemText(dialog, IDC_STAT_DUPLICATES), "2");
    EXPECT_EQ(itemText(dialog, IDC_STAT_FREEABLE), "2929K");
    EXPECT_EQ(itemText(dialog, IDC_TIME_STARTED), TimeText(FileTimeToTimeStamp(tracker.Start)));
    EXPECT_EQ(itemText(dialog, IDC_TIME_ELAPSED).size(), 8u);
    HWND bar = FindWindowExA(dialog, nullptr, PROGRESS_CLASSA, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 250);  // 1 of 4 steps
    EXPECT_TRUE(ScanRunning);
}

TEST_F(ProgressWindowTest, StopButtonClearsTheFlagAndClosesTheWindow) {
    HWND dialog = openWindow();
    ASSERT_NE(dialog, nullptr);
    SendMessageA(GetDlgItem(dialog, IDC_STOP_SEARCH), BM_CLICK, 0, 0);
    EXPECT_FALSE(ScanRunning);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(ProgressWindowHandle.load(), nullptr);
    tracker.Destroy();  // nothing left to close
    EXPECT_FALSE(ScanRunning);
}

TEST_F(ProgressWindowTest, CloseBoxActsLikeStop) {
    HWND dialog = openWindow();
    ASSERT_NE(dialog, nullptr);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(ScanRunning);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
}

TEST_F(ProgressWindowTest, DestroyingTheTrackerClosesAnOpenWindow) {
    HWND dialog = openWindow();
    ASSERT_NE(dialog, nullptr);
    tracker.Destroy();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(ScanRunning);
    EXPECT_EQ(ProgressWindowHandle.load(), nullptr);
}

TEST_F(ProgressWindowTest, DestroyRightAfterCreateNeverHangs) {
    for (int k = 0; k < 20; ++k) {
        tracker.Create(1);
        tracker.Step(1, 1, 0, 0, 0);
        tracker.Destroy();
        EXPECT_FALSE(ScanRunning);
    }
    EXPECT_TRUE(waitFor([] { return ProgressWindowHandle.load() == nullptr; }));
}

// Presses "Stop search!!!" in the real window once detection has taken a step.
class StopAfterFirstStep : public ScanProgress {
public:
    explicit StopAfterFirstStep(TTIMEORACLE& tracker) : tracker_(tracker) {}
    void Create(int64_t total) override {
        tracker_.Create(total);
        waitFor([] { return ProgressWindowHandle.load() != nullptr; });
    }
    void SetRemaining(int64_t n) override { tracker_.SetRemaining(n); }
    void Step(int32_t a, int32_t b, int32_t c, int32_t d, int64_t e) override {
        tracker_.Step(a, b, c, d, e);
        if (++steps == 1)
            if (HWND dialog = ProgressWindowHandle) SendMessageA(GetDlgItem(dialog, IDC_STOP_SEARCH), BM_CLICK, 0, 0);
    }
    void Destroy() override { tracker_.Destroy(); }
    int steps = 0;

private:
    TTIMEORACLE& tracker_;
};

using ProgressScan = ScanFixture;

TEST_F(ProgressScan, StopDuringComparisonShowsTheGroupsFoundSoFar) {
    folder.write("a1", "aaaa");
    folder.write("a2", "aaaa");
    folder.write("b1", "bbb");
    folder.write("b2", "bbb");
    auto files = collect();
    ProgressWindow window;
    TTIMEORACLE tracker(&window);
    StopAfterFirstStep stopper(tracker);
    auto results = FindDuplicates(*files, &stopper);
    EXPECT_EQ(stopper.steps, 1);
    EXPECT_EQ(groupNames(*results, *files), "a1 a2");
    EXPECT_FALSE(ScanRunning);
    EXPECT_EQ(ProgressWindowHandle.load(), nullptr);
}

TEST_F(ProgressScan, AFolderReachedByTwoPathsGivesNoDuplicates) {
    std::string longFolder = folder.makeFolder("a folder with a long name");
    folder.write("a folder with a long name/one.txt", "same text");
    folder.write("a folder with a long name/two.txt", "other text");
    char shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(longFolder.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortPath), longFolder);
    slFoldersToScan = {longFolder, shortPath};
    auto files = collect();
    ASSERT_EQ(files->Count(), 4);
    auto results = FindDuplicates(*files);
    EXPECT_EQ(results->Count(), 0);

    folder.write("copy.txt", "same text");
    slFoldersToScan = {longFolder, shortPath, folder.entry()};
    files = collect();
    results = FindDuplicates(*files);
    EXPECT_EQ(results->Count(), 2) << groupNames(*results, *files);
}

}  // namespace
