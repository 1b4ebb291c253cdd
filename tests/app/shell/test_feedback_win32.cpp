// The feedback form driven in-process: its checks, the address it hands to the
// shell (answered by the test), the Internet warning, and its resizing.
#include "app/shell/feedback_win32.h"

#include <gtest/gtest.h>

#include "app/options/options.h"
#include "app/shell/feedback.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/shell_open.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/program_state.h"
#include "tests/support/temp_folder.h"

namespace {

const char kCaption[] = "Varnok Com support department feedback form";

class FeedbackFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        previous = SetShellOpener([this](HWND owner, const std::string& address, int show) -> INT_PTR {
            EXPECT_EQ(owner, nullptr);
            EXPECT_EQ(show, SW_SHOWNORMAL);
            opened.push_back(address);
            return shellResult;
        });
    }
    void TearDown() override {
        SetShellOpener(std::move(previous));
        ResetProgramState();
    }
    static void fill(HWND form, const std::string& name, const std::string& mail, const std::string& message) {
        SetItemText(form, IDC_FEEDBACK_NAME, name);
        SetItemText(form, IDC_FEEDBACK_MAIL, mail);
        SetItemText(form, IDC_FEEDBACK_MESSAGE, message);
    }
    static void press(HWND form, int id) { SendMessageA(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    std::vector<std::string> opened;
    INT_PTR shellResult = 42;
    ShellOpener previous;
};

RECT rectOf(HWND form, int id) {
    RECT r;
    GetWindowRect(GetDlgItem(form, id), &r);
    return r;
}

}  // namespace

TEST_F(FeedbackFormTest, RefusedFieldsKeepTheFormOpenAndTheTextAsTypedAndFourThousandNinetySixIsSent) {
    MessageRecorder boxes;
    const std::string tooLong(4097, 'm');
    ModalDriver driver(kCaption, [&](HWND form) {
        EXPECT_EQ(GetItemText(form, IDC_FEEDBACK_NAME), "");
        EXPECT_EQ(SendDlgItemMessageA(form, IDC_FEEDBACK_MAIL, EM_GETLIMITTEXT, 0, 0), 255);
        press(form, IDOK);
        fill(form, "ab", "", "");
        press(form, IDOK);
        fill(form, "ab", "", tooLong);
        press(form, IDOK);
        EXPECT_EQ(GetItemText(form, IDC_FEEDBACK_MESSAGE), tooLong);
        EXPECT_TRUE(IsWindow(form));
        SetItemText(form, IDC_FEEDBACK_MESSAGE, tooLong.substr(1));
        press(form, IDOK);  // 4096 is within the limit
    });
    FeedbackForm(nullptr);
    EXPECT_TRUE(driver.found());
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, "You are not enter yours name or nickname. Please enter or cancel post...");
    EXPECT_EQ(boxes.shown[1].text, "You are not enter text of yours message. Please enter or cancel post...");
    EXPECT_NE(boxes.shown[2].text.find("equal 4097 characters"), std::string::npos);
    for (const ShownMessage& box : boxes.shown) {
        EXPECT_EQ(box.caption, "Feedback form check...");
        EXPECT_EQ(box.style, mb::kOk);
        EXPECT_NE(box.owner, nullptr);
    }
    // Too long for the shell: it gets a page of ours that goes on to the whole address.
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_LE(opened[0].size(), kMaxShellAddress);
    const std::string page = ReadWholeFile(opened[0]);
    const std::string address = FeedbackAddress("ab", "", tooLong.substr(1));
    EXPECT_EQ(address.size(),
              std::string("http://www.varnok.com/cgi-bin/support_add.pl?name=%61%62%00&mail=&text=").size() + 4097 * 3);
    EXPECT_NE(page.find("location.replace(\"" + address + "\")"), std::string::npos) << page.substr(0, 300);
}

// The real shell, not the test's, at the longest address the form hands it
// (Wine 8's shell ends the program past 983 characters).
TEST_F(FeedbackFormTest, TheLongestAddressHandedOverLeavesTheProgramRunning) {
    ShellOpener stub = SetShellOpener(nullptr);
    MessageRecorder boxes;
    // Each character takes three in the address, so the longest is within three of the limit.
    std::string message = "m";
    while (FeedbackAddress("n", "", message + 'm').size() <= kMaxShellAddress) message += 'm';
    const std::string name = "n";
    ASSERT_GT(FeedbackAddress(name, "", message).size(), kMaxShellAddress - 3);
    ModalDriver driver(kCaption, [&](HWND form) {
        fill(form, name, "", message);
        press(form, IDOK);
    });
    FeedbackForm(nullptr);
    SetShellOpener(std::move(stub));
    EXPECT_TRUE(driver.found());
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
}

TEST_F(FeedbackFormTest, SendingHandsTheAddressToTheShellAfterTheWarning) {
    struct Case {
        bool warn;
        int answer;
        INT_PTR shellResult;
        bool opens;
        const char* lastCaption;  // of the last box shown, none: no box
    };
    const Case cases[] = {
        {false, 0, 42, true, nullptr},
        {true, mb::kIdNo, 42, false, "Warning!"},
        {true, mb::kIdYes, 42, true, "Warning!"},
        {false, 0, 2, true, "Error on attempting to internet..."},
    };
    for (const Case& c : cases) {
        bWarnInternet = c.warn;
        shellResult = c.shellResult;
        opened.clear();
        MessageRecorder boxes({c.answer});
        ModalDriver driver(kCaption, [&](HWND form) {
            fill(form, "ab", "", "x");
            press(form, IDOK);
        });
        FeedbackForm(nullptr);
        EXPECT_TRUE(driver.found());
        if (c.opens) {
            EXPECT_EQ(opened, std::vector<std::string>{
                                  "http://www.varnok.com/cgi-bin/support_add.pl?name=%61%62%00&mail=&text=%78%00"});
        } else {
            EXPECT_TRUE(opened.empty());
        }
        if (!c.lastCaption) {
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        ASSERT_FALSE(boxes.shown.empty());
        EXPECT_EQ(boxes.shown.back().caption, c.lastCaption);
        EXPECT_EQ(boxes.shown.back().owner, nullptr);
        if (c.warn) {
            EXPECT_EQ(boxes.shown[0].text,
                      "Program is trying send data from your PC to www.varnok.com internet site.\rProceed?");
            EXPECT_EQ(boxes.shown[0].style, mb::kYesNo | mb::kIconExclamation);
        }
    }
}

TEST_F(FeedbackFormTest, ControlsKeepTheirDistancesAndDraggingStopsAtTheMinimum) {
    ModalDriver driver(kCaption, [&](HWND form) {
        RECT before;
        GetWindowRect(form, &before);
        const RECT send = rectOf(form, IDOK), message = rectOf(form, IDC_FEEDBACK_MESSAGE),
                   name = rectOf(form, IDC_FEEDBACK_NAME);
        SetWindowPos(form, nullptr, 0, 0, before.right - before.left + 100, before.bottom - before.top + 50,
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT after;
        GetWindowRect(form, &after);
        const LONG dx = after.right - before.right, dy = after.bottom - before.bottom;
        EXPECT_EQ(dx, 100);
        const RECT send2 = rectOf(form, IDOK), message2 = rectOf(form, IDC_FEEDBACK_MESSAGE),
                   name2 = rectOf(form, IDC_FEEDBACK_NAME);
        EXPECT_EQ(send2.left - send.left, dx);  // moved, same size
        EXPECT_EQ(send2.top - send.top, dy);
        EXPECT_EQ(send2.right - send2.left, send.right - send.left);
        EXPECT_EQ(message2.left, message.left);  // grown both ways
        EXPECT_EQ(message2.right - message.right, dx);
        EXPECT_EQ(message2.bottom - message.bottom, dy);
        EXPECT_EQ(name2.top, name.top);  // wider only
        EXPECT_EQ(name2.right - name.right, dx);
        EXPECT_EQ(name2.bottom, name.bottom);

        struct Drag {
            WPARAM edge;
            RECT proposed, kept;
        };
        const Drag drags[] = {
            {WMSZ_LEFT, {300, 100, 500, 400}, {106, 100, 500, 400}},
            {WMSZ_RIGHT, {300, 100, 500, 400}, {300, 100, 694, 400}},
            {WMSZ_BOTTOMLEFT, {0, 100, 500, 200}, {0, 100, 500, 340}},
            {WMSZ_TOP, {0, 100, 500, 200}, {0, -40, 500, 200}},
            {WMSZ_TOPRIGHT, {0, 0, 394, 240}, {0, 0, 394, 240}},
        };
        for (const Drag& d : drags) {
            RECT r = d.proposed;
            SendMessageA(form, WM_SIZING, d.edge, reinterpret_cast<LPARAM>(&r));
            EXPECT_TRUE(EqualRect(&r, &d.kept))
                << d.edge << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        }
        press(form, IDCANCEL);
    });
    FeedbackForm(nullptr);
    EXPECT_TRUE(driver.found());
    EXPECT_TRUE(opened.empty());
}
