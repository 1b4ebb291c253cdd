// The link control driven by the messages the mouse would send, on a parent
// window of the test's own that records the commands it gets.
#include "common/ui/link_control.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/ui/shell_open.h"
#include "tests/support/message_recorder.h"

namespace {

std::vector<WORD> commandsReceived;

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) commandsReceived.push_back(LOWORD(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

class LinkControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterLinkControl(GetModuleHandleA(nullptr)));
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = parentProcedure;
        parentClass.hInstance = GetModuleHandleA(nullptr);
        parentClass.lpszClassName = "LinkParent";
        RegisterClassA(&parentClass);
        parent = CreateWindowExA(0, "LinkParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        link = CreateWindowExA(0, "LinkControl", "www.example.com", WS_CHILD | WS_VISIBLE, 10, 10, 280, 10, parent,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(link, nullptr);
        commandsReceived.clear();
        previous = SetShellOpener([this](HWND owner, const std::string& address, int show) {
            opened.push_back({owner, address, show});
            return shellResult;
        });
    }
    void TearDown() override {
        SetShellOpener(std::move(previous));
        DestroyWindow(parent);
    }

    void send(UINT message) { SendMessageA(link, message, 0, MAKELPARAM(3, 3)); }
    void click() {
        send(WM_LBUTTONDOWN);
        send(WM_LBUTTONUP);
    }

    struct Opened {
        HWND owner;
        std::string address;
        int show;
    };
    HWND parent = nullptr, link = nullptr;
    std::vector<Opened> opened;
    INT_PTR shellResult = 42;
    ShellOpener previous;
};

}  // namespace

TEST_F(LinkControlTest, HoverUnderlinesAndLeavingOrReleasingElsewhereOpensNothing) {
    SetLinkAddress(link, "http://www.example.com/");
    EXPECT_FALSE(LinkHovered(link));
    send(WM_MOUSEMOVE);
    EXPECT_TRUE(LinkHovered(link));
    send(WM_LBUTTONDOWN);
    EXPECT_TRUE(LinkPressed(link));
    send(WM_MOUSELEAVE);  // dragged off before letting go
    EXPECT_FALSE(LinkHovered(link));
    EXPECT_FALSE(LinkPressed(link));
    send(WM_LBUTTONUP);
    EXPECT_TRUE(opened.empty());
    click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].owner, parent);
    EXPECT_EQ(opened[0].address, "http://www.example.com/");
    EXPECT_EQ(opened[0].show, SW_SHOWDEFAULT);
    EXPECT_TRUE(commandsReceived.empty());
}

TEST_F(LinkControlTest, ACommandGoesToTheParentAndABareControlDoesNothing) {
    click();
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(commandsReceived.empty());
    SetLinkCommand(link, 163);
    click();
    EXPECT_EQ(commandsReceived, std::vector<WORD>{163});
    EXPECT_TRUE(opened.empty());
}

TEST_F(LinkControlTest, FirstPaintSizesTheControlToItsText) {
    EXPECT_FALSE(LinkSized(link));
    RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(LinkSized(link));
    RECT r;
    GetWindowRect(link, &r);
    EXPECT_LT(r.right - r.left, 280);
    EXPECT_GT(r.right - r.left, 20);
    EXPECT_GE(r.bottom - r.top, 10);  // the underlined font's whole height
}

TEST_F(LinkControlTest, AnAddressTheShellCannotOpenIsExplained) {
    SetLinkAddress(link, "mailto:someone@example.com");
    struct Case {
        INT_PTR result;
        const char* text;
    };
    const Case cases[] = {
        {0, "The operating system is out of memory or resources."},
        {2, "The specified file was not found. "},
        {31,
         "There is no application associated with the given file name extension. This error will also be returned if "
         "you attempt to print a file that is not printable."},
        {32, "The specified dynamic-link library was not found."},
        {14, "Unknown error!"},
        {33, nullptr},  // opened
    };
    for (const Case& c : cases) {
        MessageRecorder boxes;
        shellResult = c.result;
        click();
        if (!c.text) {
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        ASSERT_EQ(boxes.shown.size(), 1u) << c.result;
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].caption, "Error!");
        EXPECT_EQ(boxes.shown[0].owner, parent);
        EXPECT_EQ(boxes.shown[0].style, mb::kIconHand);
    }
}

TEST_F(LinkControlTest, TheRealShellReportsAFileThatIsNotThere) {
    SetShellOpener(nullptr);
    SetLinkAddress(link, "C:\\no such folder here\\nothing.txt");
    MessageRecorder boxes;
    click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text == "The specified file was not found. " ||
                boxes.shown[0].text == "The specified path was not found.")
        << boxes.shown[0].text;
}

// A dialog at 144 DPI hands its links a font half as tall again: the link must
// be drawn and sized in it, as its labels are, not in a font of fixed size.
TEST_F(LinkControlTest, TheFontItsHolderGivesSizesTheLinkAtAnyScale) {
    for (int height : {-11, -24, -36}) {
        LOGFONTA description{};
        description.lfHeight = height;
        lstrcpyA(description.lfFaceName, "Tahoma");
        HFONT given = CreateFontIndirectA(&description);
        SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(given), TRUE);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), given) << height;
        RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT r;
        GetWindowRect(link, &r);
        EXPECT_GE(r.bottom - r.top, -height) << height;
        EXPECT_LE(r.bottom - r.top, -height * 3 / 2 + 2) << height;
        SendMessageA(link, WM_SETFONT, 0, FALSE);  // before the font goes
        DeleteObject(given);
    }
}
