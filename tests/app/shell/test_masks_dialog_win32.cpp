// The masks dialog driven in-process: groups picked and masks typed in either
// half, the move question, editing through the input dialog, deleting, OK
// and Cancel against the stored lists.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>

#include "app/options/options.h"
#include "app/shell/masks_dialog_win32.h"
#include "app/shell/settings_win32.h"
#include "common/ui/dialog_helpers.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/registry_fixture_win32.h"

namespace {

class MasksDialogTest : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        InstallDefaults();
        ExcludeHalfActive = false;
    }

    static bool run(std::vector<ModalStep> steps) {
        for (ModalStep& step : steps)
            if (step.caption.empty()) step.caption = "Files select to scan";
        ModalDriver driver(std::move(steps));
        const bool result = MasksDialog(nullptr);
        EXPECT_TRUE(driver.found());
        EXPECT_FALSE(driver.timedOut());
        return result;
    }
    static bool run(const std::function<void(HWND)>& act) { return run(std::vector<ModalStep>{{"", act}}); }

    static void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    // Moves the focus into a control of a half, as a click there does.
    static void use(HWND dialog, int id) { SetFocus(GetDlgItem(dialog, id)); }
    static void type(HWND dialog, int combo, const std::string& text) {
        SendDlgItemMessageA(dialog, combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetItemText(dialog, combo, text);
    }
    static std::vector<std::string> entries(HWND dialog, int list) {
        std::vector<std::string> out;
        const int n = static_cast<int>(SendDlgItemMessageA(dialog, list, LB_GETCOUNT, 0, 0));
        for (int k = 0; k < n; ++k) {
            char text[300] = {};
            SendDlgItemMessageA(dialog, list, LB_GETTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }
};

TEST_F(MasksDialogTest, AGroupOrTypedMasksGoToTheHalfInUseOnceEach) {
    slIncludedFiles = {"*.BMP"};
    SaveMasks();
    const bool result = run([&](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_MASK_INCLUDE_COMBO, CB_SETCURSEL, 1, 0);  // "Pictures"
        press(dialog, IDC_ADD_MASK);
        EXPECT_EQ(entries(dialog, IDC_MASK_INCLUDE_LIST),
                  (std::vector<std::string>{"*.BMP", "*.jpg", "*.jpeg", "*.gif", "*.tif", "*.pic", "*.pcx"}));
        use(dialog, IDC_MASK_EXCLUDE_LIST);
        type(dialog, IDC_MASK_EXCLUDE_COMBO, "*.txt, *.TXT");
        press(dialog, IDC_ADD_MASK);
        EXPECT_EQ(entries(dialog, IDC_MASK_EXCLUDE_LIST), (std::vector<std::string>{"*.txt"}));
        press(dialog, IDC_OK_BUTTON);
    });
    EXPECT_TRUE(result);
    EXPECT_TRUE(ExcludeHalfActive) << "the half in use is kept for the next opening";
    EXPECT_EQ(slExcludedFiles, (MaskList{"*.txt"}));
    EXPECT_EQ(slIncludedFiles.size(), 7u);
    slIncludedFiles.clear();
    slExcludedFiles.clear();
    LoadMasks();
    EXPECT_EQ(slIncludedFiles.size(), 7u);
    EXPECT_EQ(slExcludedFiles, (MaskList{"*.txt"}));
}

// OK stores both lists or neither: when the exclude list (too large for the
// key) cannot be written to its file, the stored include list stays as it was too.
TEST_F(MasksDialogTest, OkThatCannotStoreOneListStoresNeither) {
    slIncludedFiles = {"*.old"};
    slExcludedFiles = ListOfEncodedSize(16001);
    SaveMasks();
    // Another program reading the file lets no one write it meanwhile.
    HANDLE reader = CreateFileA(DatFile("slExcludedFiles").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    MessageRecorder messages;
    bool stillOpen = false;
    run([&](HWND dialog) {
        type(dialog, IDC_MASK_INCLUDE_COMBO, "*.new");
        press(dialog, IDC_ADD_MASK);
        press(dialog, IDC_OK_BUTTON);
        stillOpen = IsWindowVisible(dialog) != FALSE;
        press(dialog, IDC_CANCEL_BUTTON);
    });
    CloseHandle(reader);
    RemoveDatFile("slExcludedFiles");
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("Can not write file ", 0), 0u) << messages.shown[0].text;
    EXPECT_EQ(slIncludedFiles, (MaskList{"*.old"})) << "the lists in use";
    EXPECT_EQ(RegQueryLine("slIncludedFiles"), "slIncludedFiles REG_MULTI_SZ *.old") << "the stored list";
}

// A question quoting a long mask shortens the mask, never the question.
TEST_F(MasksDialogTest, AQuestionShortensALongMaskAndKeepsItsOwnWords) {
    const std::string mask = "*" + std::string(254, 'x');
    slIncludedFiles = {mask};
    SaveMasks();
    MessageRecorder boxes({mb::kIdNo, mb::kIdNo});
    run([&](HWND dialog) {
        use(dialog, IDC_MASK_EXCLUDE_LIST);
        type(dialog, IDC_MASK_EXCLUDE_COMBO, mask);
        press(dialog, IDC_ADD_MASK);
        use(dialog, IDC_MASK_INCLUDE_LIST);
        SendDlgItemMessageA(dialog, IDC_MASK_INCLUDE_LIST, LB_SETCURSEL, 0, 0);
        press(dialog, IDC_DELETE_MASK);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    ASSERT_EQ(boxes.shown.size(), 2u);
    const std::string shortened = mask.substr(0, 59) + "\x85";
    EXPECT_EQ(boxes.shown[0].text,
              "Sorry, but mask " + shortened + " present in anower list. Delete from anower list?");
    EXPECT_EQ(boxes.shown[1].text, "Delete mask " + shortened + " from the list?");
}

TEST_F(MasksDialogTest, AMaskOfTheOtherListMovesOnlyOnYes) {
    slIncludedFiles = {"*.tmp", "*.log"};
    SaveMasks();
    for (int answer : {mb::kIdNo, mb::kIdYes}) {
        MessageRecorder boxes({answer});
        run([&](HWND dialog) {
            use(dialog, IDC_MASK_EXCLUDE_COMBO);
            type(dialog, IDC_MASK_EXCLUDE_COMBO, "*.tmp, *.bak");
            press(dialog, IDC_ADD_MASK);
            using List = std::vector<std::string>;
            const bool moved = answer == mb::kIdYes;
            const List include = moved ? List{"*.log"} : List{"*.tmp", "*.log"};
            const List exclude = moved ? List{"*.tmp", "*.bak"} : List{"*.bak"};
            EXPECT_EQ(entries(dialog, IDC_MASK_INCLUDE_LIST), include);
            EXPECT_EQ(entries(dialog, IDC_MASK_EXCLUDE_LIST), exclude);
            press(dialog, IDC_CANCEL_BUTTON);
        });
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Sorry, but mask *.tmp present in anower list. Delete from anower list?");
        EXPECT_EQ(boxes.shown[0].caption, "Please confirm...");
    }
    EXPECT_EQ(slIncludedFiles, (MaskList{"*.tmp", "*.log"})) << "Cancel kept the lists in use";
}

TEST_F(MasksDialogTest, EditThroughTheInputDialogAndDelete) {
    slIncludedFiles = {"*.old", "*.keep"};
    SaveMasks();
    MessageRecorder boxes({mb::kIdOk, mb::kIdOk, mb::kIdYes});
    const bool result = run(std::vector<ModalStep>{
        {"",
         [&](HWND dialog) {
             press(dialog, IDC_EDIT_MASK);  // nothing selected
             press(dialog, IDC_DELETE_MASK);
             SendDlgItemMessageA(dialog, IDC_MASK_INCLUDE_LIST, LB_SETCURSEL, 0, 0);
             press(dialog, IDC_EDIT_MASK);  // the input dialog: the next step
             EXPECT_EQ(entries(dialog, IDC_MASK_INCLUDE_LIST), (std::vector<std::string>{"*.keep", "*.a", "*.b"}));
             SendDlgItemMessageA(dialog, IDC_MASK_INCLUDE_LIST, LB_SETCURSEL, 0, 0);
             press(dialog, IDC_DELETE_MASK);
             press(dialog, IDC_OK_BUTTON);
         }},
        {"Edit mask...",
         [&](HWND input) {
             EXPECT_EQ(GetItemText(input, IDC_INPUT_PROMPT), "Please modify this mask:");
             EXPECT_EQ(GetItemText(input, IDC_INPUT_EDIT), "*.old");
             SetItemText(input, IDC_INPUT_EDIT, "*.a, *.b");
             press(input, IDC_OK_BUTTON);
         }},
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(slIncludedFiles, (MaskList{"*.a", "*.b"}));
    EXPECT_EQ(RegQueryLine("slIncludedFiles"), "slIncludedFiles REG_MULTI_SZ *.a\\0*.b");
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text,
              "Noting to edit! Please select mask in one of the list and click \"Edit\" button again.");
    EXPECT_NE(boxes.shown[0].owner, nullptr);
    EXPECT_EQ(boxes.shown[1].owner, nullptr);
    EXPECT_EQ(boxes.shown[1].caption, "Message");
    EXPECT_EQ(boxes.shown[2].text, "Delete mask *.keep from the list?");
}

}  // namespace
