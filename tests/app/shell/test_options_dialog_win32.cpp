// The other options dialog driven in-process: track bars moved, boxes
// clicked, the stored values and the options in use read back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/options/options.h"
#include "app/scan/masks.h"
#include "app/shell/options_dialog_win32.h"
#include "app/shell/settings_win32.h"
#include "common/ui/dialog_helpers.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/registry_fixture_win32.h"

namespace {

class OptionsDialogTest : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        InstallDefaults();
    }

    static bool run(const std::function<void(HWND)>& act) {
        ModalDriver driver("Other settings", act);
        const bool result = OptionsDialog(nullptr);
        EXPECT_TRUE(driver.found());
        EXPECT_FALSE(driver.timedOut());
        return result;
    }

    // The two track bars, in creation order: standard, then advanced.
    static HWND bar(HWND dialog, int which) {
        HWND found = FindWindowExA(dialog, nullptr, TRACKBAR_CLASSA, nullptr);
        return which == 0 ? found : FindWindowExA(dialog, found, TRACKBAR_CLASSA, nullptr);
    }
    static void slide(HWND dialog, int which, int position) {
        SendMessageA(bar(dialog, which), TBM_SETPOS, TRUE, position);
        SendMessageA(dialog, WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(bar(dialog, which)));
    }
    static void press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
};

TEST_F(OptionsDialogTest, ShowsTheStoredValuesAndCancelChangesNothing) {
    SetRawDword("lStandartBufferSize", 1);
    SetRawDword("lAdvancedBufferSize", 2048);
    SetRawDword("bEnableAdvanced", 0);
    SetRawDword("bCreateUndo", 0);
    SetRawDword("bEnhancedUndo", 0);
    SetRawDword("bUnixWildCard", 1);
    SetRawDword("lSkipFilesSmallerThan", 4096);
    SetRawDword("bSkipEmptyFiles", 1);
    // In use, the options differ from the stored ones (as after a failed save).
    lStandartBufferSize = 64;
    bWarnInternet = true;
    const bool result = run([&](HWND dialog) {
        EXPECT_EQ(SendMessageA(bar(dialog, 0), TBM_GETPOS, 0, 0), 1);
        EXPECT_EQ(SendMessageA(bar(dialog, 1), TBM_GETPOS, 0, 0), 2048);
        EXPECT_EQ(GetItemText(dialog, IDC_OPT_STANDARD_TEXT), "  0.5 Kb");
        EXPECT_EQ(GetItemText(dialog, IDC_OPT_ADVANCED_TEXT), "1024.0 Kb");
        EXPECT_FALSE(IsWindowEnabled(bar(dialog, 1)));
        for (int id : {IDC_OPT_ADVANCED_LABEL, IDC_OPT_ADVANCED_TEXT, IDC_OPT_SIMPLE_UNDO, IDC_OPT_ENHANCED_UNDO})
            EXPECT_FALSE(enabled(dialog, id)) << id;
        EXPECT_TRUE(IsChecked(dialog, IDC_OPT_SIMPLE_UNDO));
        EXPECT_TRUE(IsChecked(dialog, IDC_OPT_UNIX));
        EXPECT_FALSE(IsChecked(dialog, IDC_OPT_WARN_INTERNET));
        EXPECT_EQ(GetItemText(dialog, IDC_OPT_SKIP_SMALLER), "4096");
        EXPECT_TRUE(IsChecked(dialog, IDC_OPT_SKIP_EMPTY));
        slide(dialog, 0, 300);
        EXPECT_EQ(GetItemText(dialog, IDC_OPT_STANDARD_TEXT), "150.0 Kb");
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(lStandartBufferSize, 64);
    EXPECT_EQ(lSkipSmallerThan, 0);
    EXPECT_TRUE(bWarnInternet);
    EXPECT_FALSE(UnixWildcards);
    EXPECT_EQ(RawDword("lStandartBufferSize"), 1u);
}

TEST_F(OptionsDialogTest, OkAppliesAndStoresAllEight) {
    const bool result = run([&](HWND dialog) {
        slide(dialog, 0, 1);
        slide(dialog, 1, 2048);
        press(dialog, IDC_OPT_ADVANCED);  // on: the advanced bar with it
        EXPECT_TRUE(IsWindowEnabled(bar(dialog, 1)));
        EXPECT_TRUE(enabled(dialog, IDC_OPT_ADVANCED_TEXT));
        press(dialog, IDC_OPT_ADVANCED);  // off again: the position stays
        EXPECT_FALSE(IsWindowEnabled(bar(dialog, 1)));
        press(dialog, IDC_OPT_SIMPLE_UNDO);
        press(dialog, IDC_OPT_UNDO);  // off: both kinds disabled, the choice kept
        EXPECT_FALSE(enabled(dialog, IDC_OPT_SIMPLE_UNDO));
        press(dialog, IDC_OPT_KEEP_LAST);
        press(dialog, IDC_OPT_WARN_INTERNET);
        press(dialog, IDC_OPT_UNIX);
        press(dialog, IDC_OK_BUTTON);
    });
    EXPECT_TRUE(result);
    struct Case {
        const char* name;
        DWORD stored;
    } cases[] = {{"lStandartBufferSize", 1}, {"lAdvancedBufferSize", 2048}, {"bEnableAdvanced", 0},
                 {"bNotDeleteLastCopy", 0}, {"bCreateUndo", 0},          {"bEnhancedUndo", 0},
                 {"bWarnInternet", 1},      {"bUnixWildCard", 1}};
    for (const Case& c : cases) EXPECT_EQ(RawDword(c.name), c.stored) << c.name;
    // As the system's own tool lists them: double words, not strings.
    EXPECT_EQ(RegQueryLine("lAdvancedBufferSize"), "lAdvancedBufferSize REG_DWORD 0x800");
    EXPECT_EQ(RegQueryLine("bWarnInternet"), "bWarnInternet REG_DWORD 0x1");
    EXPECT_EQ(RegQueryLine("bEnableAdvanced"), "bEnableAdvanced REG_DWORD 0x0");
    EXPECT_EQ(lStandartBufferSize, 1);
    EXPECT_EQ(lAdvancedBufferSize, 2048);
    EXPECT_FALSE(bNotDeleteLastCopy);
    EXPECT_FALSE(bEnhancedUndo);
    EXPECT_TRUE(bWarnInternet);
    EXPECT_TRUE(UnixWildcards);
}

}  // namespace
