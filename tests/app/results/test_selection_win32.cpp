// The selection rules, run from the real results window's rule list.
#include <windows.h>

#include <deque>
#include <filesystem>

#include "app/results/selection.h"
#include "common/ui/folder_browser.h"
#include "common/text.h"
#include "tests/app/results/results_fixture_win32.h"
#include "tests/support/temp_folder.h"

namespace {

platform::FindData file(const char* name, int hour = 10, int minute = 0, uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE) {
    platform::FindData d;
    d.Name = name;
    d.Size = 1000;
    d.Attributes = attributes;
    d.Written = {2026, 12, 1, 7, static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), 0, 0};
    return d;
}

class SelectionRules : public ResultsWindowFixture {
protected:
    void SetUp() override { LoadJunkFolders(); }
};

// The names listed once for a rule are those the system's search finds.
TEST(SearchPathNames, FindWhatTheSystemsSearchFinds) {
    const platform::SearchPathNames names;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string program = std::string(self).substr(std::string(self).rfind('\\') + 1);
    for (const std::string& name : {std::string("kernel32.dll"), std::string("KERNEL32.DLL"), std::string("notepad.exe"),
                                    std::string("win.ini"), program, std::string("no such file.xyz"), std::string("")}) {
        EXPECT_EQ(names.contains(name), platform::onSearchPath(name)) << name;
    }
    // A folder on the PATH, and a program name, that the code page cannot spell.
    TempFolder root;
    const std::filesystem::path folder = std::filesystem::path(Utf16FromUtf8(root.entry())) / L"\u65E5\u672C";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::string programs[] = {"vsprobe.exe", "\u00F8re \u20AC \u65E5.exe"};
    for (const std::string& name : programs)
        CloseHandle(CreateFileW((folder / Utf16FromUtf8(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    std::wstring path(32768, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableW(L"PATH", (folder.wstring() + L";" + path).c_str());
    const platform::SearchPathNames wide;
    SetEnvironmentVariableW(L"PATH", path.c_str());
    for (const std::string& name : programs) EXPECT_TRUE(wide.contains(name)) << name;
    EXPECT_TRUE(wide.contains("VSPROBE.EXE"));
}

TEST_F(SelectionRules, SmartKeepsTheLowestScoredCopy) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    slFoldersToScan = {"c:\\data\\", "c:\\other\\", std::string(system) + "\\"};
    addGroup({{0, file("report.doc")}, {0, file("copy of report~1.doc")}});  // 1.1 and 2.1
    addGroup({{0, file("same.doc")}, {1, file("same.doc")}});                  // 1.1 and 1.1
    addGroup({{2, file("kernel32.dll")}, {2, file("kernel32.dll")}});          // -3.9 each
    EXPECT_NEAR(JunkScore(*files[4]), -3.9, 1e-9);
    std::string after, sel;
    open([&](HWND dialog, TRESVIEW& view) {
        runRule(dialog, RuleSmart);
        after = selection(view);
        sel = status(dialog, 3);
        close(dialog);
    });
    EXPECT_EQ(after, "0 1 | 0 1 | 0 0");
    EXPECT_EQ(sel, "2000 bytes in 2 files");
}

TEST_F(SelectionRules, OldestAndNewFilesAndRunningTwice) {
    slFoldersToScan = {"c:\\data\\"};
    addGroup({{0, file("a", 10, 0)}, {0, file("b", 10, 0)}, {0, file("c", 11, 30)}});
    addGroup({{0, file("d", 9, 0)}, {0, file("e", 9, 0)}});
    std::string oldest, twice, tally, none, noneTally, newFiles;
    open([&](HWND dialog, TRESVIEW& view) {
        runRule(dialog, RuleOldestFiles);
        oldest = selection(view);
        runRule(dialog, RuleOldestFiles);
        twice = selection(view);
        tally = status(dialog, 3);
        runRule(dialog, RuleNone);
        none = selection(view);
        noneTally = status(dialog, 3);
        runRule(dialog, RuleNewFiles);
        newFiles = selection(view);
        close(dialog);
    });
    EXPECT_EQ(oldest, "1 1 0 | 0 0");
    EXPECT_EQ(twice, oldest);
    EXPECT_EQ(tally, "2000 bytes in 2 files");
    EXPECT_EQ(none, "0 0 0 | 0 0");
    EXPECT_EQ(noneTally, "0 bytes in 0 files");
    EXPECT_EQ(newFiles, "0 0 1 | 0 0");
}

TEST_F(SelectionRules, FolderRulesAskForTheFolder) {
    slFoldersToScan = {"c:\\data\\", "c:\\data\\old\\", "C:\\"};
    addGroup({{0, file("a.txt")}, {1, file("a.txt")}, {2, file("a.txt")}});
    std::deque<std::string> answers = {"c:\\data\\", "c:\\data\\", "C:\\"};
    std::vector<std::string> titles;
    auto previous = SetFolderBrowser([&](HWND, const std::string& title, std::string& path) {
        titles.push_back(title);
        if (answers.empty()) return false;
        path = answers.front();
        answers.pop_front();
        return true;
    });
    std::string single, tree, root, cancelled;
    open([&](HWND dialog, TRESVIEW& view) {
        runRule(dialog, RuleSingleFolder);
        single = selection(view);
        runRule(dialog, RuleNone);
        runRule(dialog, RuleFolderTree);
        tree = selection(view);
        runRule(dialog, RuleNone);
        runRule(dialog, RuleSingleFolder);
        root = selection(view);
        runRule(dialog, RuleFolderTree);  // the browser is cancelled: nothing changes
        cancelled = selection(view);
        close(dialog);
    });
    SetFolderBrowser(previous);
    EXPECT_EQ(single, "1 0 0");
    EXPECT_EQ(tree, "1 1 0");
    EXPECT_EQ(root, "0 0 1");
    EXPECT_EQ(cancelled, root);
    EXPECT_EQ(titles[0], "Please choose folder to select files");
    EXPECT_EQ(titles[1], "Please choose root folder to select files");
}

TEST_F(SelectionRules, FocusedItemAndInvert) {
    slFoldersToScan = {"c:\\data\\"};
    addGroup({{0, file("a")}, {0, file("b")}});
    std::string focused, onGroup, inverted;
    open([&](HWND dialog, TRESVIEW& view) {
        TreeView_SelectItem(view.Handle, members(view, groups(view)[0])[1]);
        runRule(dialog, RuleFocusedItem);
        focused = selection(view);
        TreeView_SelectItem(view.Handle, groups(view)[0]);
        runRule(dialog, RuleFocusedItem);
        onGroup = selection(view);
        runRule(dialog, RuleInvert);
        inverted = selection(view);
        close(dialog);
    });
    EXPECT_EQ(focused, "0 1");
    EXPECT_EQ(onGroup, "0 1");
    EXPECT_EQ(inverted, "1 0");
}

}  // namespace

namespace {

class ResultsWindowParts : public ResultsWindowFixture {};

TEST_F(ResultsWindowParts, RightClickTogglesAndTooltipsComeFromTheStringTable) {
    slFoldersToScan = {"c:\\data\\"};
    addGroup({{0, file("a")}, {0, file("b")}});
    std::string afterClick, afterSecond, outside;
    std::vector<std::string> tips, onRow;
    open([&](HWND dialog, TRESVIEW& view) {
        TreeView_Expand(view.Handle, groups(view)[0], TVE_EXPAND);
        HTREEITEM b = members(view, groups(view)[0])[1];
        RECT r{};
        TreeView_GetItemRect(view.Handle, b, &r, TRUE);
        POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(view.Handle, &at);
        SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle), MAKELPARAM(at.x, at.y));
        afterClick = selection(view);
        SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle), MAKELPARAM(at.x, at.y));
        afterSecond = selection(view);
        POINT nowhere{5, 300};
        ClientToScreen(view.Handle, &nowhere);
        SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle), MAKELPARAM(nowhere.x, nowhere.y));
        outside = selection(view);
        // The blank beyond a row's text, and its indent, act on that row.
        HTREEITEM a = members(view, groups(view)[0])[0];
        TreeView_GetItemRect(view.Handle, a, &r, TRUE);
        RECT client{};
        GetClientRect(view.Handle, &client);
        for (POINT blank : {POINT{client.right - 3, (r.top + r.bottom) / 2}, POINT{r.left - 20, (r.top + r.bottom) / 2}}) {
            ClientToScreen(view.Handle, &blank);
            SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle), MAKELPARAM(blank.x, blank.y));
            onRow.push_back(selection(view));
        }
        for (int id : {IDC_RUN_RULE, IDC_MARK, IDC_UNMARK, IDC_DELETE_MARKED, IDC_HELP_BUTTON, IDC_FILE_INFO}) {
            TOOLTIPTEXTA tip{};
            tip.hdr.hwndFrom = GetDlgItem(dialog, IDC_TOOLBAR);
            tip.hdr.idFrom = static_cast<UINT_PTR>(id);
            tip.hdr.code = TTN_NEEDTEXTA;
            SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
            tips.push_back(tip.lpszText ? tip.lpszText : "");
        }
        close(dialog);
    });
    EXPECT_EQ(afterClick, "0 1");
    EXPECT_EQ(afterSecond, "0 0");
    EXPECT_EQ(outside, "0 0");
    EXPECT_EQ(onRow, (std::vector<std::string>{"1 0", "0 0"}));
    ASSERT_EQ(tips.size(), 6u);
    EXPECT_EQ(tips[0], "Click this button to execute operation of auto selection (which it is chosen in the dropping "
                       "out list at the left)");
    EXPECT_EQ(tips[1], "Click this button to mark the selected files for removal.");
    EXPECT_EQ(tips[3], "Click this button to remove (REAL!) the files marked for removal.");
    EXPECT_EQ(tips[5], "Click this button to receive the full information on a file.");
}

}  // namespace
