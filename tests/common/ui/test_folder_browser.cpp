// The system's folder browser itself, answered through its own controls.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "common/ui/folder_browser.h"
#include "common/win32/wide.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/temp_folder.h"

namespace {

// The browser shows before it has filled its tree and selected the start
// folder (under load the driver can find it in between, and filling it can
// take seconds): OK is pressed once a folder is selected.
void CALLBACK pressOkWhenSelected(HWND browser, UINT, UINT_PTR id, DWORD) {
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    if (!tree || !TreeView_GetSelection(tree)) return;
    KillTimer(browser, id);
    SendMessageA(GetDlgItem(browser, IDOK), BM_CLICK, 0, 0);
}

void pressOk(HWND browser) { SetTimer(browser, 1, 20, pressOkWhenSelected); }
// Ticks of the driver's watchdog (50 ms each) left for the browser to select its start folder.
constexpr int kFillingTicks = 400;

TEST(RealFolderBrowser, OpensAtTheGivenFolderAndReturnsTheChoice) {
    TempFolder folder;
    const std::string start = folder.makeFolder("chosen");
    std::string title;
    ModalDriver driver("Browse for Folder", [&](HWND browser) {
        char text[256] = {};
        for (HWND w = GetWindow(browser, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            GetWindowTextA(w, text, sizeof text);
            if (std::string(text).rfind("Select", 0) == 0) title = text;
        }
        pressOk(browser);
    }, kFillingTicks);
    std::string path = start;
    EXPECT_TRUE(BrowseForFolder(nullptr, "Select folder for adding to scanning list.", path));
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(title, "Select folder for adding to scanning list.");
    EXPECT_EQ(path, start);  // the start folder was selected, and the answer ends with a backslash
}

// A folder the ANSI code page cannot name opens selected and is answered by
// its own name (UTF-8), with no 8.3 name to lean on.
TEST(RealFolderBrowser, AFolderTheCodePageCannotNameComesBackByItsOwnName) {
    TempFolder folder;
    folder.writeExact(std::filesystem::path(L"\x65e5\x672c\x8a9e") / L"inside.txt", "i");
    const std::string start = Utf8((folder.root() / L"\x65e5\x672c\x8a9e").wstring()) + "\\";
    ModalDriver driver("Browse for Folder", pressOk, kFillingTicks);
    std::string path = start;
    ASSERT_TRUE(BrowseForFolder(nullptr, "Select folder for adding to scanning list.", path));
    EXPECT_EQ(path, start);
    EXPECT_EQ(ReadWholeFile(path + "inside.txt"), "i");
}

TEST(RealFolderBrowser, CancelGivesNothing) {
    ModalDriver driver("Browse for Folder",
                       [](HWND browser) { SendMessageA(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0); });
    std::string path = "C:\\";
    EXPECT_FALSE(BrowseForFolder(nullptr, "Edit folder", path));
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(path, "C:\\");
}

TEST(FolderBrowser, ATypedMissingFolderIsCreatedOnlyWhenTheUserAgrees) {
    TempFolder folder;
    const std::string typed = folder.path("new folder\\deeper");
    MessageRecorder messages({mb::kIdNo, mb::kIdYes});
    HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_FALSE(AcceptTypedFolder(owner, typed));
    EXPECT_EQ(GetFileAttributesA(typed.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(AcceptTypedFolder(owner, typed));
    EXPECT_NE(GetFileAttributesA(typed.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Folder " + typed + " not exist. Create?");
    EXPECT_EQ(messages.shown[0].caption, "Please accept...");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(messages.shown[0].owner, owner);
}

}  // namespace
