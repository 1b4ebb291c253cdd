// The results window's later commands, reached as a user reaches them: its
// keys, the menu of Shift+F10, the toolbar.
#include <windows.h>

#include <filesystem>

#include "app/shell/shortcuts_win32.h"
#include "common/ui/help.h"
#include "common/ui/save_dialog.h"
#include "common/ui/shell_open.h"
#include "common/win32/wide.h"
#include "tests/app/results/results_fixture_win32.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_folder.h"

namespace {

platform::FindData named(const std::string& realName, int minute) {
    platform::FindData d;
    d.Name = "x";
    d.RealName = realName;
    d.Size = 1000 + minute;
    d.Written = {2026, 12, 1, 7, 10, static_cast<uint16_t>(minute), 5, 0};
    return d;
}

// RFC 4180 as a spreadsheet reads it: fields in quotes hold commas, doubled
// quotes and line breaks; records end with CRLF.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (quoted && c == '"' && k + 1 < text.size() && text[k + 1] == '"') {
            records.back().back() += '"';
            ++k;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            records.back().emplace_back();
        } else if (!quoted && c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
            if (k + 2 < text.size()) records.emplace_back(1);
            ++k;
        } else {
            records.back().back() += c;
        }
    }
    return records;
}

// Runs what the window's modal loop would run until the queue is empty: the
// loop's message filter (the window's keys) first.
void pump(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!CallMsgFilterW(&msg, MSGF_DIALOGBOX) && !IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
}

void pressKey(HWND dialog, BYTE modifier, UINT key) {
    BYTE state[256] = {};
    state[modifier] = 0x80;
    SetKeyboardState(state);
    PostMessageW(GetDlgItem(dialog, IDC_RESULTS_TREE), WM_KEYDOWN, key, 0);
    pump(dialog);
    BYTE none[256] = {};
    SetKeyboardState(none);
}

class ResultsCommands : public ResultsWindowFixture {
protected:
    void SetUp() override { LoadShortcuts(); }
    void TearDown() override {
        SetSaveFileChooser({});
        SetShellRunner({});
        SetItemSelector({});
        ResultsWindowFixture::TearDown();
    }
};

TEST_F(ResultsCommands, TheListReadsBackWithHostileNamesAndExplorerSelectsTheFile) {
    slFoldersToScan = {"c:\\data, 100%\\", "c:\\\u65E5\u672C & co\\"};
    addGroup({{0, named("a,b \"c\".txt", 1)}, {1, named("\U0001F600 =1+1.txt", 1)}});
    addGroup({{1, named("two\r\nlines \"\".txt", 2)}, {0, named("plain.txt", 2)}});
    TempFolder out;
    const std::string target = out.path("\u00E9t\u00E9 \u65E5.csv");
    out.writeExact(Wide("\u00E9t\u00E9 \u65E5.csv"), "what the user had");
    out.writeExact(Wide("\u00E9t\u00E9 \u65E5.csv.part"), "a file of the user's own");
    bool anyName = false;
    SetSaveFileChooser([&](HWND, const SaveFileRequest& request, std::string& path) {
        anyName = request.anyName;
        path = target;
        return true;
    });
    std::vector<std::string> ran;
    SetShellRunner([&](HWND, const std::string& program, const std::string& parameters, int) {
        ran.push_back(program + " " + parameters);
        return INT_PTR{42};
    });
    std::vector<std::string> selected;
    SetItemSelector([&](HWND, const ITEMIDLIST* item) {
        wchar_t path[MAX_PATH] = {};
        selected.push_back(SHGetPathFromIDListW(item, path) ? Utf8(path) : "?");
        return S_OK;
    });
    std::vector<std::wstring> help;
    SetHtmlHelpCall([&](HWND, const std::wstring& page, UINT) { help.push_back(page); });
    std::string saved, kept;
    std::string error;
    open(
        [&](HWND dialog, TRESVIEW& view) {
            HWND tree = GetDlgItem(dialog, IDC_RESULTS_TREE);
            const HTREEITEM second = members(view, groups(view)[0])[1];
            view.Select(second);
            press(dialog, IDC_MARK);
            view.Select(members(view, groups(view)[1])[0]);
            // The menu of Shift+F10, its first line chosen by the keys.
            TreeView_SelectItem(tree, second);
            SetFocus(tree);
            BYTE shift[256] = {};
            shift[VK_SHIFT] = 0x80;
            SetKeyboardState(shift);
            PostMessageW(tree, WM_SYSKEYDOWN, VK_F10, 0);
            PostMessageW(tree, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(tree, WM_KEYDOWN, VK_RETURN, 0);
            pump(dialog);
            pressKey(dialog, VK_CONTROL, 'S');
            // F1 on a line of the menu opens that command's topic.
            HELPINFO info{sizeof(HELPINFO), HELPINFO_MENUITEM, IDC_OPEN_FOLDER, nullptr, 0, {}};
            SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            saved = ReadWholeFile(target);
            // A list that cannot take the place of the file there leaves it as it was.
            HANDLE held = CreateFileW(Wide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            press(dialog, IDC_SAVE_LIST);
            CloseHandle(held);
            kept = ReadWholeFile(target);
            close(dialog);
        },
        {{"Error", [&](HWND box) {
              error = ModalDriver::ControlText(box, 0xFFFF);
              SendMessageA(box, WM_COMMAND, IDOK, 0);
          }}});
    // The shell names drives in capitals.
    EXPECT_EQ(selected, (std::vector<std::string>{"C:\\\u65E5\u672C & co\\\U0001F600 =1+1.txt"}));
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(anyName);
    SetHtmlHelpCall({});
    ASSERT_EQ(help.size(), 1u);
    EXPECT_TRUE(help[0].ends_with(L"::/openfolder.html"));
    ASSERT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
    const std::vector<std::vector<std::string>> expected = {
        {"\xEF\xBB\xBFGroup", "Size", "Path", "Last written", "Selected", "Marked", "Protected"},
        {"1", "1001", "c:\\data, 100%\\a,b \"c\".txt", "2026-12-07 10:01:05", "no", "no", "no"},
        {"1", "1001", "c:\\\u65E5\u672C & co\\\U0001F600 =1+1.txt", "2026-12-07 10:01:05", "yes", "yes", "no"},
        {"2", "1002", "c:\\\u65E5\u672C & co\\two\r\nlines \"\".txt", "2026-12-07 10:02:05", "yes", "no", "no"},
        {"2", "1002", "c:\\data, 100%\\plain.txt", "2026-12-07 10:02:05", "no", "no", "no"},
    };
    EXPECT_EQ(readCsv(saved), expected);
    EXPECT_EQ(kept, saved);
    EXPECT_NE(error.find("Can not save the list to "), std::string::npos) << error;
    // Nothing beside the list but what the user had there.
    EXPECT_EQ(ReadWholeFile(target + ".part"), "a file of the user's own");
    size_t names = 0;
    for (const auto& entry : std::filesystem::directory_iterator(out.root())) names += entry.is_regular_file();
    EXPECT_EQ(names, 2u);
}

// Explorer is handed the file itself, as an item made from its exact name: a
// folder with a trailing dot, a device's name, a plain name. Where no item
// reaches the file, or Explorer refuses it, the user is told; a plain name is
// then given to Explorer's command line, which reads it as it is.
TEST_F(ResultsCommands, OpenContainingFolderSelectsThatVeryFileOrSaysWhyNot) {
    TempFolder tree;
    const std::string longFolder(130, 'd'), longName(135, 'e');  // past MAX_PATH together
    tree.write("plain.txt", "x");
    tree.writeExact("aux.c", "x");
    tree.writeExact(std::filesystem::path(longFolder) / longName, "x");
    // Made by its long form alone: a plain "dir" beside it would be what the shell finds.
    ASSERT_TRUE(CreateDirectoryW(Wide("\\\\?\\" + tree.path("dir.")).c_str(), nullptr));
    CloseHandle(CreateFileW(Wide("\\\\?\\" + tree.path("dir.\\x.txt")).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, 0, nullptr));
    slFoldersToScan = {tree.entry(), tree.path("dir.") + "\\", tree.path(longFolder) + "\\"};
    addGroup({{0, named("plain.txt", 1)}, {1, named("x.txt", 1)}});
    addGroup({{0, named("aux.c", 2)}, {2, named(longName, 2)}});
    const std::vector<std::string> paths = {tree.path("plain.txt"), tree.path("dir.\\x.txt"), tree.path("aux.c"),
                                            tree.path(longFolder + "\\" + longName)};
    HRESULT answer = S_OK;
    std::vector<std::string> selected, ran;
    SetItemSelector([&](HWND, const ITEMIDLIST* item) {
        wchar_t path[MAX_PATH] = {};
        selected.push_back(SHGetPathFromIDListW(item, path) ? Utf8(path) : "?");
        return answer;
    });
    SetShellRunner([&](HWND, const std::string& program, const std::string& parameters, int) {
        ran.push_back(program + " " + parameters);
        return INT_PTR{42};
    });
    MessageRecorder messages;
    open([&](HWND dialog, TRESVIEW& view) {
        for (HRESULT refusal : {S_OK, E_FAIL}) {
            answer = refusal;
            for (const std::string& path : paths)
                for (const TRESVIEW::Node& n : view.Nodes())
                    if (n.file && n.file->FullPath() == path) {
                        TreeView_SelectItem(GetDlgItem(dialog, IDC_RESULTS_TREE), n.item);
                        press(dialog, IDC_OPEN_FOLDER);
                    }
        }
        close(dialog);
    });
    // Each item names that very file; the one past MAX_PATH makes none.
    const std::vector<std::string> exact = {paths[0], paths[1], paths[2], paths[0], paths[1], paths[2]};
    EXPECT_EQ(selected, exact);
    EXPECT_EQ(ran, (std::vector<std::string>{"explorer.exe /select,\"" + paths[0] + "\""}));
    // A box names the file (as far as a box's 255 characters go).
    ASSERT_EQ(messages.shown.size(), 4u);
    for (size_t k : {0, 1, 2, 3}) {
        const std::string start = ("Can not open the folder of " + paths[k == 0 ? 3 : k]).substr(0, 150);
        EXPECT_EQ(messages.shown[k].caption + messages.shown[k].text.substr(0, start.size()), "Error" + start);
    }
}

}  // namespace
