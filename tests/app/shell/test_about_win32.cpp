// The About box on the test program's own version resource (the program's
// resources are linked into it), and ReadVersionInfo on files with and
// without one.
#include "app/shell/about_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/shell/version_info.h"
#include "common/ui/dialog_helpers.h"
#include "common/ui/link_control.h"
#include "common/ui/shell_open.h"
#include "common/win32/module.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/temp_folder.h"

namespace {

struct Child {
    HWND window;
    std::string className, text;
    RECT rect;  // in the dialog's client coordinates
};

std::vector<Child> addedChildren(HWND dialog) {
    std::vector<Child> children;
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(w) != 0) continue;  // the template's own controls have ids
        char name[64] = {}, text[128] = {};
        GetClassNameA(w, name, sizeof name);
        GetWindowTextA(w, text, sizeof text);
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        children.push_back({w, name, text, r});
    }
    // Read as the user does, line by line: the links move to the top of the
    // window order when they size themselves.
    std::sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
        return std::make_pair(a.rect.top, a.rect.left) < std::make_pair(b.rect.top, b.rect.left);
    });
    return children;
}

}  // namespace

TEST(AboutBox, ReadsTheVersionResourceAndItsReleaseDate) {
    ReadVersionInfo(ModuleFileName());
    EXPECT_TRUE(ProgramVersion.read);
    EXPECT_EQ(VersionText(), "Version 1.00 Build 1");
    // Made by the build from the commit's time: some day after this program was begun.
    EXPECT_GT(ProgramVersion.releaseDate, 46000.0);

    TempFolder folder;
    ReadVersionInfo(folder.write("plain.txt", "no resources here"));
    EXPECT_FALSE(ProgramVersion.read);
    EXPECT_EQ(VersionText(), "Unknown version!");
    EXPECT_EQ(ReleaseDateText(), "(none)");
}

TEST(AboutBox, ShowsTheVersionAndTwoLinksBelowThePicture) {
    ASSERT_TRUE(RegisterLinkControl(GetModuleHandleA(nullptr)));
    ReadVersionInfo(ModuleFileName());
    std::vector<std::string> opened;
    ShellOpener previous =
        SetShellOpener([&](HWND, const std::string& address, int) -> INT_PTR { return opened.push_back(address), 42; });
    ModalDriver driver("About Varnok Scan", [&](HWND dialog) {
        EXPECT_EQ(GetItemText(dialog, IDC_ABOUT_VERSION), "Version 1.00 Build 1");
        EXPECT_EQ(GetItemText(dialog, IDC_ABOUT_RELEASED), "Released " + ReleaseDateText());
        const std::string updates = GetItemText(dialog, IDC_ABOUT_UPDATES);
        EXPECT_EQ(updates.substr(0, 27), "Updates are established to ");
        EXPECT_EQ(updates.back(), '.');
        EXPECT_EQ(GetWindowContextHelpId(dialog), static_cast<DWORD>(IDH_ABOUT));
        const ItemRect frame = GetItemRect(dialog, IDC_ABOUT_PICTURE);
        const std::vector<Child> children = addedChildren(dialog);
        ASSERT_EQ(children.size(), 4u);
        const std::string expected[][2] = {{"Static", "Web:"},
                                           {"LinkControl", "http://www.varnok.com/"},
                                           {"Static", "E-mail:"},
                                           {"LinkControl", "support@varnok.com"}};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, children[i].className.c_str(), -1,
                                     expected[i][0].c_str(), -1),
                      CSTR_EQUAL)
                << children[i].className;
            EXPECT_EQ(children[i].text, expected[i][1]);
            EXPECT_EQ(children[i].rect.left, frame.left + (i % 2 ? 50 : 0));
            EXPECT_EQ(children[i].rect.top, frame.height + (i < 2 ? 23 : 42));
        }
        SendMessageA(children[3].window, WM_LBUTTONDOWN, 0, 0);
        SendMessageA(children[3].window, WM_LBUTTONUP, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_OK_BUTTON, 0);
    });
    EXPECT_TRUE(AboutBox(nullptr));
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:support@varnok.com"});
    SetShellOpener(std::move(previous));
}
