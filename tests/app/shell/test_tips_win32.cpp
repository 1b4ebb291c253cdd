// The tips and tricks window driven in-process on a tips file of the test's
// own beside the test program, and bShowTips in the product's key.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "app/shell/tips.h"
#include "app/shell/tips_win32.h"
#include "common/ui/dialog_helpers.h"
#include "common/win32/module.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/registry_fixture_win32.h"

namespace {

const char kCaption[] = "Tips and tricks\x85";

class TipsTest : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        InstallDefaults();
    }
    void TearDown() override {
        DeleteFileA(file().c_str());
        RegistryFixture::TearDown();
    }
    static std::string file() { return ProgramFolder() + "tips.dat"; }
    static void writeTips(const std::vector<std::string>& tips) {
        std::ofstream out(file(), std::ios::binary);
        for (const std::string& tip : tips) out << std::string(4, '\0') << static_cast<char>(tip.size()) << tip;
    }
    static void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    static bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
};

TEST_F(TipsTest, StepsThroughTheTipsAndStoresTheStartChoice) {
    writeTips({"first", "", "last"});
    ModalDriver driver(kCaption, [&](HWND dialog) {
        EXPECT_EQ(GetItemText(dialog, IDC_TIP_TEXT), "last");
        EXPECT_TRUE(enabled(dialog, IDC_TIP_PREVIOUS));
        EXPECT_FALSE(enabled(dialog, IDC_TIP_NEXT));
        EXPECT_TRUE(IsChecked(dialog, IDC_TIP_AT_START));
        press(dialog, IDC_TIP_PREVIOUS);
        EXPECT_EQ(GetItemText(dialog, IDC_TIP_TEXT), "");  // an empty record is a tip too
        EXPECT_TRUE(enabled(dialog, IDC_TIP_NEXT));
        press(dialog, IDC_TIP_PREVIOUS);
        EXPECT_EQ(GetItemText(dialog, IDC_TIP_TEXT), "first");
        EXPECT_FALSE(enabled(dialog, IDC_TIP_PREVIOUS));
        SendDlgItemMessageA(dialog, IDC_TIP_AT_START, BM_CLICK, 0, 0);
        press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(ShowTips(nullptr, 2));
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(TipIndex, 0);
    EXPECT_EQ(RawDword("bShowTips"), 0u);
    EXPECT_FALSE(ShowTipsAtStart());
}

TEST_F(TipsTest, OneTipDisablesBothButtonsAndARandomStartStaysInRange) {
    writeTips({"only"});
    ModalDriver driver(kCaption, [&](HWND dialog) {
        EXPECT_EQ(GetItemText(dialog, IDC_TIP_TEXT), "only");
        EXPECT_FALSE(enabled(dialog, IDC_TIP_PREVIOUS));
        EXPECT_FALSE(enabled(dialog, IDC_TIP_NEXT));
        press(dialog, IDOK);
    });
    EXPECT_TRUE(ShowTips(nullptr, -1));
    EXPECT_EQ(TipIndex, 0);
    EXPECT_EQ(RawDword("bShowTips"), 1u);
}

// A tips file that cannot be shown turns the tips off, so the next start is not held up by it again.
TEST_F(TipsTest, WithoutAFileToShowTheErrorShowsAndTheWindowNoLongerOpensAtStart) {
    const struct {
        const char* what;
        size_t emptyRecords;  // of 5 bytes each; 0: no file at all
    } cases[] = {{"no file", 0}, {"a file past the largest a tips file can be", kMaxTipsFileBytes / 5 + 1}};
    for (const auto& c : cases) {
        if (c.emptyRecords) writeTips(std::vector<std::string>(c.emptyRecords));
        SetRawDword("bShowTips", 1);
        MessageRecorder boxes;
        ModalDriver driver(kCaption, [&](HWND dialog) { press(dialog, IDCANCEL); }, 10);
        ShowTips(nullptr, -1);
        EXPECT_FALSE(driver.found()) << c.what;
        ASSERT_EQ(boxes.shown.size(), 1u) << c.what;
        EXPECT_EQ(boxes.shown[0].text, "Can not read tips and tricks base file!");
        EXPECT_EQ(boxes.shown[0].caption, "Error");
        EXPECT_EQ(boxes.shown[0].owner, nullptr);
        EXPECT_EQ(RawDword("bShowTips"), 0u) << c.what;
    }
}

TEST_F(TipsTest, CloseClosesEvenWhenTheChoiceCannotBeStored) {
    writeTips({"only"});
    MessageRecorder boxes;
    bool closed = false;
    ModalDriver driver(kCaption, [&](HWND dialog) {
        SetProductKeyAccess(kNoWriting);
        press(dialog, IDCANCEL);
        closed = !IsWindow(dialog) || !IsWindowVisible(dialog);
        if (!closed) EndDialog(dialog, IDCANCEL);
    });
    EXPECT_TRUE(ShowTips(nullptr, -1));
    SetProductKeyAccess(kFullAccess);
    EXPECT_TRUE(closed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Can not save the choice of showing tips at startup: the program's registry key can not be opened.");
}

TEST_F(TipsTest, OpensAtStartOnlyForExactlyOne) {
    const std::pair<DWORD, bool> cases[] = {{1, true}, {0, false}, {5, false}};
    for (auto [stored, opens] : cases) {
        SetRawDword("bShowTips", stored);
        EXPECT_EQ(ShowTipsAtStart(), opens) << stored;
    }
}

}  // namespace
