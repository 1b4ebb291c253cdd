#include "common/ui/dialog.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "resources/VarnokScan/resource.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"

namespace {

// Runs on the file information template; which handler throws is the test's choice.
class Probe : public Dialog {
public:
    bool throwInInit = false;
    bool throwInCommand = false;
    int commands = 0;
    INT_PTR Run(HWND owner) { return Dialog::Run(owner, IDD_FILE_INFO); }
    HWND CreateModeless() { return Dialog::Create(nullptr, MAKEINTRESOURCEA(IDD_FILE_INFO)); }

private:
    bool OnInit() override {
        if (throwInInit) throw std::runtime_error("init failed");
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override {
        ++commands;
        if (id == IDC_OK_BUTTON) {
            if (throwInCommand) throw std::runtime_error("command failed");
            End(IDC_OK_BUTTON);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }
};

const char kCaption[] = "File information";

}  // namespace

TEST(DialogBase, RunReturnsTheEndCodeAndCancelEndsWith102) {
    struct Case {
        int command;
        INT_PTR expected;
    } cases[] = {{IDC_OK_BUTTON, IDC_OK_BUTTON}, {IDCANCEL, IDC_CANCEL_BUTTON}, {IDC_CANCEL_BUTTON, IDC_CANCEL_BUTTON}};
    for (const Case& c : cases) {
        Probe probe;
        ModalDriver driver(kCaption, [&](HWND dialog) {
            EXPECT_EQ(probe.handle(), dialog);
            SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(c.command), 0);
        });
        EXPECT_EQ(probe.Run(nullptr), c.expected) << c.command;
        EXPECT_TRUE(driver.found());
        EXPECT_EQ(probe.handle(), nullptr) << "the object forgets its window once it is gone";
    }
}

TEST(DialogBase, AnExceptionInAHandlerIsReportedAndTheDialogGoesOn) {
    Probe probe;
    probe.throwInInit = true;
    probe.throwInCommand = true;
    MessageRecorder boxes;
    ModalDriver driver(kCaption, [&](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDC_OK_BUTTON, 0);  // throws: the dialog stays
        EXPECT_TRUE(IsWindow(dialog));
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(probe.Run(nullptr), IDC_CANCEL_BUTTON);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "init failed");
    EXPECT_EQ(boxes.shown[1].text, "command failed");
    EXPECT_EQ(boxes.shown[1].caption, "Error");
}

TEST(DialogBase, AModelessWindowOutlivedByNothingCallsNoDeadObject) {
    HWND window = nullptr;
    {
        Probe probe;
        window = probe.CreateModeless();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetWindowLongPtrA(window, DWLP_USER), reinterpret_cast<LONG_PTR>(&probe));
        const int before = probe.commands;
        SendMessageA(window, WM_COMMAND, IDC_HELP_BUTTON, 0);
        EXPECT_EQ(probe.commands, before + 1);
    }
    // The object is gone; its window must no longer reach it.
    EXPECT_EQ(GetWindowLongPtrA(window, DWLP_USER), 0);
    SendMessageA(window, WM_COMMAND, IDC_OK_BUTTON, 0);
    EXPECT_TRUE(DestroyWindow(window));
}
