// The program's windows driven in-process as a user would: the main window's
// commands, the results window over a real scan, and the shortcuts dialogs.
#include <windows.h>
#include <sddl.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/results/file_info_win32.h"
#include "app/results/results_window_win32.h"
#include "common/ui/folder_browser.h"
#include "app/shell/main_window_win32.h"
#include "app/options/options.h"
#include "app/shell/shortcuts_win32.h"
#include "common/ui/dialog_helpers.h"
#include "common/product.h"
#include "resources/VarnokScan/resource.h"
#include "tests/support/message_recorder.h"
#include "tests/support/modal_driver_win32.h"
#include "tests/support/registry_fixture_win32.h"
#include "common/ui/help.h"
#include "common/win32/wide.h"
#include "tests/support/temp_folder.h"
#include "tests/support/failing_allocation.h"
#include "app/scan/progress.h"
#include "common/files.h"
#include "app/shell/settings_win32.h"
#include "app/scan/detection.h"
#include "app/scan/remembered.h"
#include "common/platform.h"
#include "common/win32/remembered_place.h"

namespace {

const char* const kResultsCaption = "Results of search of files - duplicates and clones...";

class ProgramTest : public RegistryFixture {
protected:
    void SetUp() override {
        RegistryFixture::SetUp();
        InstallDefaults();
        ASSERT_TRUE(RegisterMainWindowClass(GetModuleHandleA(nullptr)));
        ASSERT_NE(CreateMainWindow(GetModuleHandleA(nullptr)), nullptr);
    }
    void TearDown() override {
        if (MainWindow) DestroyWindow(MainWindow);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        RegistryFixture::TearDown();
    }

    static LRESULT command(int id) { return SendMessageA(MainWindow, WM_COMMAND, id, 0); }

    // A tree with two groups: two copies of a 150000-byte file and three of a small one.
    std::string makeTree() {
        std::string big(150000, 'b');
        tree.write("one/big.dat", big);
        tree.write("two/big.dat", big);
        tree.write("one/small.txt", "small");
        tree.write("two/small.txt", "small");
        tree.write("two/Small.TXT.bak", "small");
        tree.write("one/unique.txt", "unique");
        slFoldersToScan = {tree.path("one") + "\\", tree.path("two") + "\\"};
        return tree.entry();
    }

    TempFolder tree;
};

// What the open results window shows.
struct TreeView {
    HWND dialog, tree;
    explicit TreeView(HWND d) : dialog(d), tree(GetDlgItem(d, IDC_RESULTS_TREE)) {}

    std::string text(HTREEITEM item) const {
        char buffer[512] = {};
        TVITEMA r{};
        r.hItem = item;
        r.mask = TVIF_TEXT;
        r.pszText = buffer;
        r.cchTextMax = sizeof buffer;
        TreeView_GetItem(tree, &r);
        return buffer;
    }
    TVITEMA item(HTREEITEM h) const {
        TVITEMA r{};
        r.hItem = h;
        r.mask = TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        r.stateMask = TVIS_BOLD;
        TreeView_GetItem(tree, &r);
        return r;
    }
    bool bold(HTREEITEM h) const { return item(h).state & TVIS_BOLD; }
    int image(HTREEITEM h) const { return item(h).iImage; }
    std::vector<HTREEITEM> groups() const {
        std::vector<HTREEITEM> out;
        for (HTREEITEM g = TreeView_GetRoot(tree); g; g = TreeView_GetNextSibling(tree, g)) out.push_back(g);
        return out;
    }
    std::vector<HTREEITEM> files(HTREEITEM group) const {
        std::vector<HTREEITEM> out;
        for (HTREEITEM f = TreeView_GetChild(tree, group); f; f = TreeView_GetNextSibling(tree, f)) out.push_back(f);
        return out;
    }
    std::string status(int part) const {
        char buffer[256] = {};
        SendMessageA(GetDlgItem(dialog, IDC_STATUS_BAR), SB_GETTEXTA, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }
    void focus(HTREEITEM h) const { TreeView_SelectItem(tree, h); }
    void space() const { SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0); }
    void press(int id) const { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void escape() const { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }
    // Enter in the tree, as the window's message loop hands it on.
    void enter() const {
        SetFocus(tree);
        MSG key{tree, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
        IsDialogMessageA(dialog, &key);
    }
};

TEST_F(ProgramTest, RunWithNoFoldersOpensTheFoldersDialogAndCancelEndsQuietly) {
    MessageRecorder messages;
    ModalDriver driver("Please select folders for scanning...",
                       [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDC_CANCEL_BUTTON, 0); });
    command(IDM_RUN);
    EXPECT_TRUE(driver.found());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Results, nullptr);
    EXPECT_EQ(FileList, nullptr);
}

TEST_F(ProgramTest, RunKeepsOldResultsWhenTheUserSaysNo) {
    makeTree();
    FileList = std::make_unique<TFILELIST>();
    platform::FindData d;
    d.Name = "old";
    FileList->Add(std::make_unique<TFILEINFO>(0, d));
    Results = std::make_unique<TRESULTS>();
    const TFILELIST* before = FileList.get();
    MessageRecorder messages({mb::kIdNo});
    command(IDM_RUN);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Do you want to clear results of the previous search of files - duplicates?");
    EXPECT_EQ(messages.shown[0].caption, "Question");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(FileList.get(), before);
    EXPECT_EQ(FileList->Count(), 1);
}

TEST_F(ProgramTest, AScanOpensTheResultsWindowWithItsGroups) {
    makeTree();
    std::vector<std::string> captions, firstFiles;
    std::string all, sel, del;
    ModalDriver driver(kResultsCaption, [&](HWND dialog) {
        TreeView view(dialog);
        for (HTREEITEM g : view.groups()) {
            captions.push_back(view.text(g));
            firstFiles.push_back(view.text(view.files(g).at(0)));
        }
        all = view.status(1);
        sel = view.status(3);
        del = view.status(5);
        EXPECT_EQ(view.status(0), "All :");
        view.escape();
    });
    command(IDM_RUN);
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(captions, (std::vector<std::string>{"big.dat", "Group N 2"}));
    EXPECT_EQ(firstFiles[0], tree.path("one\\big.dat"));
    EXPECT_EQ(all, "292K bytes in 5 files");
    EXPECT_EQ(sel, "0 bytes in 0 files");
    EXPECT_EQ(del, "0 bytes in 0 files");
    ASSERT_NE(Results, nullptr);
    EXPECT_EQ(Results->Count(), 5);
    HMENU first = GetSubMenu(GetMenu(MainWindow), 0);
    EXPECT_EQ(GetMenuState(first, 2, MF_BYPOSITION) & MF_GRAYED, 0u);
}

// What the search could not look at is told before the results.
TEST_F(ProgramTest, ARunTellsWhatTheSearchLeftOut) {
    makeTree();
    slFoldersToScan.push_back(tree.path("gone") + "\\");
    MessageRecorder messages;
    ModalDriver driver(kResultsCaption, [&](HWND dialog) { TreeView(dialog).escape(); });
    command(IDM_RUN);
    EXPECT_TRUE(driver.found());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "The search left out 1 folder(s) of the list that could not be opened.");
    EXPECT_EQ(messages.shown[0].caption, "Information");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_ICONINFORMATION));
    EXPECT_EQ(messages.shown[0].owner, MainWindow);
}

// The stored list is read whole. A folder whose UTF-8 name passes 255 bytes
// (accented letters) is scanned as it is, not cut into another folder; an
// entry past 255 characters (another program wrote it) is named, not dropped.
TEST_F(ProgramTest, StoredEntriesAreScannedWholeAndThoseTooLongAreNamed) {
    makeTree();
    // Two names of 85 letters each (one name past 255 bytes is more than a Linux disk under Wine takes).
    std::string half;
    for (int k = 0; k < 85; ++k) half += "\xC3\xA9";  // é
    const std::filesystem::path name(std::u8string(half.begin(), half.end()));
    tree.writeExact(name / name / "big.dat", std::string(150000, 'b'));
    const std::string accents = half + "\\" + half;
    const std::string accented = tree.entry() + accents + "\\";
    ASSERT_LE(SystemLength(accented), 255u);
    const std::string tooLong = tree.entry() + std::string(260, 'x') + "\\";
    slFoldersToScan.push_back(accented);
    // A tree too deep: every entry past the limit is named in one box.
    for (const char* deeper : {"", "y\\", "y\\z\\"}) slFoldersToScan.push_back(tooLong + deeper);
    ASSERT_TRUE(SaveFolders());
    ASSERT_TRUE(LoadFolders());
    EXPECT_EQ(slFoldersToScan.size(), 3u);
    EXPECT_EQ(slFoldersToScan.back(), accented);

    MessageRecorder messages;
    size_t bigCopies = 0;
    ModalDriver driver(kResultsCaption, [&](HWND dialog) {
        TreeView view(dialog);
        bigCopies = view.files(view.groups().at(0)).size();
        view.escape();
    });
    command(IDM_RUN);
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(bigCopies, 3u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              ("These 3 folders can not be scanned: their paths are longer than 255 characters. " + tooLong).substr(0, 255));
    EXPECT_EQ(messages.shown[0].caption, "Error");
}

// The size floor as a user sets it in Other options: a floor that is not a
// byte count is refused and the dialog stays; the one accepted is stored under
// its own names, and the next search lists no file below it and no empty one.
TEST_F(ProgramTest, FilesBelowTheSizeFloorSetInOtherOptionsAreNotListed) {
    makeTree();
    tree.write("one/empty.a", "");
    tree.write("two/empty.b", "");
    MessageRecorder messages;
    bool stayed = false;
    ModalDriver options("Other settings", [&](HWND dialog) {
        SetItemText(dialog, IDC_OPT_SKIP_SMALLER, "12 x");
        SendMessageA(GetDlgItem(dialog, IDC_OK_BUTTON), BM_CLICK, 0, 0);
        stayed = IsWindowVisible(dialog);
        SetItemText(dialog, IDC_OPT_SKIP_SMALLER, "100");
        SendMessageA(GetDlgItem(dialog, IDC_OPT_SKIP_EMPTY), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(dialog, IDC_OK_BUTTON), BM_CLICK, 0, 0);
    });
    command(IDM_OPTIONS);
    ASSERT_TRUE(options.found());
    EXPECT_TRUE(stayed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Please enter the size as a number of bytes, from 0 to 2147483647.");
    EXPECT_EQ(RawDword("lSkipFilesSmallerThan"), 100u);
    EXPECT_EQ(RawDword("bSkipEmptyFiles"), 1u);

    std::vector<std::string> listed;
    ModalDriver results(kResultsCaption, [&](HWND dialog) {
        TreeView view(dialog);
        for (HTREEITEM group : view.groups())
            for (HTREEITEM file : view.files(group)) listed.push_back(view.text(file));
        view.escape();
    });
    command(IDM_RUN);
    EXPECT_TRUE(results.found());
    EXPECT_EQ(listed, (std::vector<std::string>{tree.path("one\\big.dat"), tree.path("two\\big.dat")}));
    EXPECT_EQ(messages.shown.size(), 1u) << "nothing below the floor is reported as left out";
}

// Remembering what files hold, as a user turns it on in Other options: off
// at first and no store written; on, a search keeps the store and a second
// one reads less for the same groups; a damaged store is set aside and named,
// and Forget deletes what there is.
TEST_F(ProgramTest, ASearchRemembersWhatFilesHoldOnlyWhenAskedAndForgetDeletesIt) {
    makeTree();
    const std::string store = RememberedContentsPath();
    ASSERT_FALSE(store.empty());
    ForgetRememberedContents(RememberedContentsPath());
    RememberedSettleSeconds = 0;  // the tree was written just now
    struct Restore {
        ~Restore() {
            RememberedSettleSeconds = 2;
            ForgetRememberedContents(RememberedContentsPath());
        }
    } restore;
    MessageRecorder messages;
    std::vector<std::vector<std::string>> found;
    const auto search = [&] {
        ClearResults();
        ModalDriver results(kResultsCaption, [&](HWND dialog) {
            TreeView view(dialog);
            std::vector<std::string> names;
            for (HTREEITEM group : view.groups())
                for (HTREEITEM file : view.files(group)) names.push_back(view.text(file));
            found.push_back(names);
            view.escape();
        });
        const int64_t before = TFILEINFO::BytesRead;
        command(IDM_RUN);
        EXPECT_TRUE(results.found());
        return TFILEINFO::BytesRead - before;
    };
    const auto options = [&](const std::function<void(HWND)>& act) {
        ModalDriver driver("Other settings", act);
        command(IDM_OPTIONS);
        EXPECT_TRUE(driver.found());
    };
    const auto press = [](HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); };

    // A value that is no double word reads as off, as a missing one does.
    SetRaw("bRememberContents", REG_SZ, std::string("1\0", 2));
    ASSERT_TRUE(LoadSettings());
    EXPECT_FALSE(bRememberContents);
    const int64_t unremembered = search();
    EXPECT_FALSE(platform::exists(store));

    options([&](HWND dialog) {
        EXPECT_FALSE(IsChecked(dialog, IDC_OPT_REMEMBER));
        press(dialog, IDC_OPT_REMEMBER);
        press(dialog, IDC_OK_BUTTON);
    });
    EXPECT_EQ(RegQueryLine("bRememberContents"), "bRememberContents REG_DWORD 0x1");
    EXPECT_TRUE(bRememberContents);
    EXPECT_EQ(search(), unremembered);
    EXPECT_TRUE(platform::exists(store));
    EXPECT_LT(search(), unremembered);
    EXPECT_TRUE(messages.shown.empty());

    // A flipped byte: the store is set aside, told of, and the files read instead.
    std::string bytes;
    ASSERT_TRUE(platform::readWholeFile(store, bytes, 1 << 20));
    bytes.back() ^= 1;
    ASSERT_TRUE(platform::writeWholeFile(store, bytes.data(), bytes.size()));
    EXPECT_EQ(search(), unremembered);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(RememberedSetAsideText()), std::string::npos) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].caption, "Information");
    EXPECT_TRUE(platform::exists(store + ".bad"));
    EXPECT_TRUE(platform::exists(store)) << "the search wrote a whole store again";
    for (const auto& names : found) EXPECT_EQ(names, found.front());
    EXPECT_EQ(found.size(), 4u);

    messages.shown.clear();
    options([&](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_OPT_REMEMBER));
        press(dialog, IDC_OPT_FORGET);
        press(dialog, IDC_OPT_FORGET);
        press(dialog, IDC_CANCEL_BUTTON);
    });
    EXPECT_FALSE(platform::exists(store));
    EXPECT_FALSE(platform::exists(store + ".bad"));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "What earlier searches remembered of files is forgotten.");
    EXPECT_EQ(messages.shown[1].text, "Nothing is remembered of files: there was nothing to forget.");
}

// A 32-bit program can run out of address space on a whole file server: the
// search stops in the program's words, gives its memory back and changes nothing.
TEST_F(ProgramTest, ARunThatRunsOutOfMemoryStopsWithAMessageAndChangesNothing) {
    for (int k = 0; k < 300; ++k) tree.write("many/f" + std::to_string(k), k % 2 ? "odd" : "even");
    slFoldersToScan = {tree.path("many") + "\\"};
    MessageRecorder messages;
    // A record kept alive keeps the records' first slab, so the 300 fit in it.
    const auto slabKept = std::make_unique<TFILEINFO>(0, platform::FindData{});
    {
        // The catalogue's growth past a kilobyte is refused.
        failing_allocation::Scope full(0, 1024);
        command(IDM_RUN);
        EXPECT_GT(failing_allocation::refused(), 0);
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    const std::string& text = messages.shown[0].text;
    const std::string lead = "There is not enough memory to search so many files: the search stopped after listing ";
    ASSERT_EQ(text.rfind(lead, 0), 0u) << text;
    const int listed = std::atoi(text.c_str() + lead.size());
    EXPECT_GT(listed, 0);
    EXPECT_LT(listed, 300);
    EXPECT_EQ(text, OutOfMemoryText(listed));
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].owner, MainWindow);
    EXPECT_EQ(FileList, nullptr);
    EXPECT_EQ(Results, nullptr);
    EXPECT_FALSE(ScanRunning);
    for (int k = 0; k < 300; k += 37)
        EXPECT_EQ(ReadWholeFile(tree.path("many/f" + std::to_string(k))), k % 2 ? "odd" : "even");
    // Memory back, the same run finds the two groups.
    ModalDriver again(kResultsCaption, [&](HWND dialog) {
        EXPECT_EQ(TreeView(dialog).groups().size(), 2u);
        TreeView(dialog).escape();
    });
    command(IDM_RUN);
    EXPECT_TRUE(again.found());
}

TEST_F(ProgramTest, SelectingAndMarkingByHand) {
    makeTree();
    struct Seen {
        std::string afterSpace, afterSecondSpace, delOnce, delTwice, delAfterUnmark;
        bool boldAfterSpace = false, boldAfterSecond = true;
        int imageKept = -1, imageCleared = -1;
    } seen;
    ModalDriver driver(kResultsCaption, [&](HWND dialog) {
        TreeView view(dialog);
        HTREEITEM big = view.files(view.groups()[0])[0];
        HTREEITEM other = view.files(view.groups()[0])[1];
        view.focus(big);
        view.space();
        seen.boldAfterSpace = view.bold(big);
        seen.afterSpace = view.status(3);
        view.space();
        seen.boldAfterSecond = view.bold(big);
        seen.afterSecondSpace = view.status(3);
        // Marking: a selected file that is already marked is not counted twice.
        view.space();
        view.press(IDC_MARK);
        seen.delOnce = view.status(5);
        view.press(IDC_MARK);
        seen.delTwice = view.status(5);
        // Unmark touches only files still selected.
        view.focus(other);
        view.space();
        view.press(IDC_MARK);
        view.space();  // other is no longer selected but stays marked
        view.press(IDC_UNMARK);
        seen.imageCleared = view.image(big);
        seen.imageKept = view.image(other);
        seen.delAfterUnmark = view.status(5);
        view.escape();
    });
    command(IDM_RUN);
    EXPECT_TRUE(driver.found());
    EXPECT_TRUE(seen.boldAfterSpace);
    EXPECT_EQ(seen.afterSpace, "146K bytes in 1 files");
    EXPECT_FALSE(seen.boldAfterSecond);
    EXPECT_EQ(seen.afterSecondSpace, "0 bytes in 0 files");
    EXPECT_EQ(seen.delOnce, "146K bytes in 1 files");
    EXPECT_EQ(seen.delTwice, "146K bytes in 1 files");
    EXPECT_EQ(seen.imageCleared, 0);
    EXPECT_EQ(seen.imageKept, 1);
    EXPECT_EQ(seen.delAfterUnmark, "146K bytes in 1 files");
}

TEST_F(ProgramTest, EscClosesWithoutDeletingAndReopeningShowsNoMarks) {
    makeTree();
    std::string infoName, infoSize;
    ModalDriver driver({{kResultsCaption,
                         [&](HWND dialog) {
                             TreeView view(dialog);
                             view.focus(view.groups()[0]);
                             view.press(IDC_FILE_INFO);  // a group node: nothing opens
                             view.enter();
                             HTREEITEM f = view.files(view.groups()[0])[0];
                             view.focus(f);
                             view.space();
                             view.press(IDC_MARK);
                             view.enter();  // on a file, as the info button: runs the next step
                             view.escape();
                         }},
                        {"File information", [&](HWND info) {
                             infoName = ModalDriver::ControlText(info, IDC_INFO_NAME);
                             infoSize = ModalDriver::ControlText(info, IDC_INFO_SIZE);
                             SendMessageA(info, WM_COMMAND, IDC_OK_BUTTON, 0);
                         }}});
    command(IDM_RUN);
    EXPECT_TRUE(driver.found());
    EXPECT_EQ(infoName, "big.dat");
    EXPECT_EQ(infoSize, "150000");
    EXPECT_TRUE(FileExists(tree.path("one\\big.dat")));
    EXPECT_TRUE(FileExists(tree.path("two\\big.dat")));
    int marked = -1;
    std::string del;
    ModalDriver again(kResultsCaption, [&](HWND dialog) {
        TreeView view(dialog);
        marked = view.image(view.files(view.groups()[0])[0]);
        del = view.status(5);
        view.escape();
    });
    command(IDM_VIEW_RESULTS);
    EXPECT_TRUE(again.found());
    EXPECT_EQ(marked, 0);
    EXPECT_EQ(del, "0 bytes in 0 files");
}

TEST_F(ProgramTest, NothingFoundSaysSoAndGraysTheResultItems) {
    tree.write("only.txt", "x");
    slFoldersToScan = {tree.entry()};
    MessageRecorder messages;
    command(IDM_RUN);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "I am sorry, but double files not found! Please try VarnokScan with anower settings...");
    EXPECT_EQ(messages.shown[0].caption, "I am sorry...");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_ICONINFORMATION | MB_HELP));
    EXPECT_EQ(messages.shown[0].owner, MainWindow);
    HMENU first = GetSubMenu(GetMenu(MainWindow), 0);
    EXPECT_NE(GetMenuState(first, 2, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_NE(GetMenuState(first, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
}

TEST_F(ProgramTest, ClearResultsAsksFirst) {
    Results = std::make_unique<TRESULTS>();
    FileList = std::make_unique<TFILELIST>();
    MessageRecorder messages({mb::kIdNo, mb::kIdYes});
    command(IDM_CLEAR_RESULTS);
    EXPECT_NE(Results, nullptr);
    command(IDM_CLEAR_RESULTS);
    EXPECT_EQ(Results, nullptr);
    EXPECT_EQ(FileList, nullptr);
    EXPECT_EQ(messages.shown[0].text, "Are you shure to clear last VarnokScan result?");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_HELP));
}

TEST_F(ProgramTest, TheCloseBoxAsksAndNoKeepsTheProgramRunning) {
    MessageRecorder messages({mb::kIdNo, mb::kIdYes});
    SendMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(MainWindow && IsWindow(MainWindow));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Are you shure to leave Varnok scan (Trellane)?");
    EXPECT_EQ(messages.shown[0].caption, "Question");
    EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION | MB_HELP));
    HWND window = MainWindow;
    SendMessageA(MainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop would end
}

// The topic Wine's winhlp32 shows (its own process; the topic's first line),
// after which its window is closed; empty when no viewer came up.
std::string shownHelpTopic() {
    for (int k = 0; k < 200; ++k) {
        if (HWND viewer = FindWindowA("MS_WINHELP", nullptr)) {
            char text[256] = {};
            if (HWND topic = FindWindowExA(viewer, nullptr, "RichEdit20A", nullptr))
                SendMessageA(topic, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            if (text[0]) {
                PostMessageA(viewer, WM_CLOSE, 0, 0);
                for (int n = 0; n < 100 && IsWindow(viewer); ++n) Sleep(50);
                const std::string shown = text;
                return shown.substr(0, shown.find_first_of("\r\n"));
            }
        }
        Sleep(50);
    }
    return {};
}

// F1 in a dialog and its Help button open the help at the dialog's topic;
// Help > Index at the contents, Topic search at the index, Using help at the
// page on using it: in WinHelp where it runs (here, Wine's), and the same
// pages of the HTML Help file where it does not (its calls are recorded:
// Wine's HTML Help shows no page text without its Gecko package).
TEST_F(ProgramTest, HelpOpensAtTheTopicOfWhatAskedForIt) {
    const std::string hlp = HelpFilePath();
    ASSERT_TRUE(CopyFileA(VARNOK_HELP_DIR "/VarnokScan.hlp", hlp.c_str(), FALSE));
    const auto inOptions = [](std::function<void(HWND)> act) {
        ModalDriver driver("Other settings", [act](HWND dialog) {
            act(dialog);
            SendMessageA(dialog, WM_COMMAND, IDC_CANCEL_BUTTON, 0);
        });
        command(IDM_OPTIONS);
    };
    const auto pressF1 = [](HWND dialog) {
        // The key itself: the system turns it into WM_KEYF1, then WM_HELP.
        SetForegroundWindow(dialog);
        SetFocus(GetDlgItem(dialog, IDC_OK_BUTTON));
        keybd_event(VK_F1, 0, 0, 0);
        keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
        for (int k = 0; k < 20; ++k) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(25);
        }
    };
    struct Case {
        const char* kind;
        std::function<void()> act;
        const char* topic;  // the first line WinHelp shows; nullptr: not asked of WinHelp here
        const char* page;   // what HTML Help is asked for, after the .chm's name
        UINT command;
    };
    const Case cases[] = {
        {"F1 in a dialog", [&] { inOptions(pressF1); }, "Chapter 8: Other options", "::/options.html", 0},
        {"its Help button",
         [&] { inOptions([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDC_HELP_BUTTON, 0); }); },
         "Chapter 8: Other options", "::/options.html", 0},
        {"F1 on a setting added later",
         [&] {
             inOptions([](HWND dialog) {
                 HWND floor = GetDlgItem(dialog, IDC_OPT_SKIP_SMALLER);
                 HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, IDC_OPT_SKIP_SMALLER, floor, 0, {}};
                 SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
             });
         },
         "Chapter 8: Other options", "::/options.html", 0},
        {"Help > Index", [] { command(IDM_HELP_INDEX); }, "Varnok Scan (Trellane)", "", 1},
        {"Help > Topic search", [] { command(IDM_HELP_SEARCH); }, nullptr, "", 2},
        {"Help > Using help", [] { command(IDM_HELP_USING); }, "Chapter 15: Using help", "::/usinghelp.html", 0},
        {"Help > Context", [] { command(IDM_HELP_CONTEXT); }, "Chapter 1: The main window", "::/main.html", 0},
        {"File information's Help button",
         [] {
             ModalDriver driver("File information", [](HWND info) {
                 SendMessageA(info, WM_COMMAND, IDC_HELP_BUTTON, 0);
                 SendMessageA(info, WM_COMMAND, IDC_OK_BUTTON, 0);
             });
             platform::FindData record;
             record.Name = "a.txt";
             ShowFileInfo(MainWindow, record, "C:");
         },
         "Chapter 5: File information", "::/fileinfo.html", 0},
        // F1 in a box with a Help button (Wine's boxes answer F1, Windows' the button too).
        {"F1 in a message box",
         [] {
             ModalDriver driver("Question", [](HWND box) {
                 HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, 0, box, 0, {}};
                 SendMessageA(box, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
                 SendMessageA(box, WM_COMMAND, IDNO, 0);
             });
             ShowMessageBox(MainWindow, "Are you shure to leave?", "Question", mb::kYesNo | mb::kHelp);
         },
         "Chapter 1: The main window", "::/main.html", 0},
        {"the update's progress window", [] { ShowContextHelp(nullptr, 125); }, "Chapter 13: Updates",
         "::/update.html", 0},
    };
    for (const Case& c : cases) {
        if (!c.topic) continue;
        c.act();
        EXPECT_EQ(shownHelpTopic(), c.topic) << c.kind;
    }
    DeleteFileA(hlp.c_str());

    std::vector<std::pair<std::wstring, UINT>> asked;
    SetHtmlHelpCall([&](HWND, const std::wstring& target, UINT how) { asked.emplace_back(target, how); });
    const std::wstring chm = Wide(platform::fromAnsi(HtmlHelpFilePath()));
    for (const Case& c : cases) {
        asked.clear();
        c.act();
        ASSERT_EQ(asked.size(), 1u) << c.kind;
        EXPECT_EQ(asked[0].first, chm + Wide(c.page)) << c.kind;
        EXPECT_EQ(asked[0].second, c.command) << c.kind;
    }
    SetHtmlHelpCall(nullptr);
}

// Shift+F1 and Ctrl+F1, pressed and handled by the program's own loop, open
// the help's index or its search and nothing else: the system also queues its
// help key for any F1, which would open the main window's topic over them.
TEST_F(ProgramTest, ShiftAndCtrlF1OpenTheIndexOrTheSearchAlone) {
    LoadShortcuts();  // the default table
    std::vector<std::pair<std::wstring, UINT>> asked;
    SetHtmlHelpCall([&](HWND, const std::wstring& target, UINT how) { asked.emplace_back(target, how); });
    const std::wstring chm = Wide(platform::fromAnsi(HtmlHelpFilePath()));
    for (const auto& [modifier, command] : {std::pair<BYTE, UINT>{VK_SHIFT, 1}, {VK_CONTROL, 2}}) {
        asked.clear();
        SetForegroundWindow(MainWindow);
        SetFocus(MainWindow);
        for (DWORD up : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
            keybd_event(up ? VK_F1 : modifier, 0, up, 0);
            keybd_event(up ? modifier : VK_F1, 0, up, 0);
        }
        for (int k = 0; k < 40; ++k) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) HandleProgramMessage(msg);
            Sleep(25);
        }
        ASSERT_EQ(asked.size(), 1u) << int(modifier);
        EXPECT_EQ(asked[0].first, chm) << int(modifier);
        EXPECT_EQ(asked[0].second, command) << int(modifier);
    }
    SetHtmlHelpCall(nullptr);
}

TEST_F(ProgramTest, MenuHasEveryCommand) {
    HMENU menu = GetMenu(MainWindow);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    char title[128] = {};
    GetWindowTextA(MainWindow, title, sizeof title);
    EXPECT_STREQ(title, "Varnok scan (Trellane)");
    struct Item {
        int popup, position;
        UINT id;
        const char* text;
    };
    const Item items[] = {
        {0, 0, 147, "Run VarnokScan!\tF2"}, {0, 2, 148, "View results of VarnokScan"},
        {0, 3, 149, "Clear results of VarnokScan"}, {0, 5, 103, "E&XIT"},
        {1, 0, 150, "Folders to scanning"}, {1, 1, 151, "Select file masks"},
        {1, 2, 229, "Keyboard shortcuts"}, {1, 3, 152, "Other options"},
        {2, 0, 156, "Send feedback to Varnok Com."}, {2, 1, 158, "Update..."},
        {3, 0, 159, "Index\tShift+F1"}, {3, 1, 1998, "Context\tF1"}, {3, 2, 160, "Topic search"},
        {3, 3, 162, "Using help"}, {3, 5, 235, "Tips and tricks..."}, {3, 6, 163, "About"},
    };
    for (const Item& i : items) {
        HMENU popup = GetSubMenu(menu, i.popup);
        EXPECT_EQ(GetMenuItemID(popup, i.position), i.id) << i.text;
        char text[128] = {};
        GetMenuStringA(popup, static_cast<UINT>(i.position), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, i.text);
    }
}

// Records the commands that reach it.
LRESULT CALLBACK recordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND)
        reinterpret_cast<std::vector<int>*>(GetWindowLongPtrA(window, GWLP_USERDATA))->push_back(LOWORD(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(ProgramTest, DefaultAcceleratorsSendTheirCommands) {
    LoadShortcuts();  // no "ShortCuts" value stored: the defaults
    ASSERT_TRUE(AcceleratorTable);
    WNDCLASSA wc{};
    wc.lpfnWndProc = recordingProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "AcceleratorTarget";
    RegisterClassA(&wc);
    HWND target = CreateWindowExA(0, "AcceleratorTarget", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    std::vector<int> commands;
    SetWindowLongPtrA(target, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&commands));
    struct Press {
        std::vector<BYTE> modifiers;
        UINT key;
        int command;  // 0: not translated
    };
    const Press presses[] = {
        {{VK_MENU}, 'X', 103}, {{}, VK_F2, 147}, {{VK_SHIFT}, VK_F1, 159}, {{VK_CONTROL}, VK_F1, 160},
        {{VK_MENU}, VK_F1, 161}, {{}, VK_ESCAPE, 0}, {{}, VK_F1, 0},
    };
    for (const Press& p : presses) {
        BYTE state[256] = {};
        for (BYTE m : p.modifiers) state[m] = 0x80;
        SetKeyboardState(state);
        const bool alt = !p.modifiers.empty() && p.modifiers[0] == VK_MENU;
        MSG msg{target, static_cast<UINT>(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), p.key, alt ? (1 << 29) : 0, 0, {0, 0}};
        commands.clear();
        const int translated = TranslateAcceleratorA(target, AcceleratorTable.get(), &msg);
        EXPECT_EQ(translated != 0, p.command != 0) << p.key;
        if (p.command) {
            EXPECT_EQ(commands, (std::vector<int>{p.command})) << p.key;
        }
    }
    BYTE none[256] = {};
    SetKeyboardState(none);
    DestroyWindow(target);
}

// The shortcuts dialog: select a row, press a toolbar command.
void selectRow(HWND dialog, int row) {
    HWND list = GetDlgItem(dialog, IDC_SHORTCUT_LIST);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetSelectionMark(list, row);
}

std::string rowText(HWND dialog, int row, int column) {
    char text[256] = {};
    ListView_GetItemText(GetDlgItem(dialog, IDC_SHORTCUT_LIST), row, column, text, sizeof text);
    return text;
}

TEST_F(ProgramTest, AShortcutInUseIsRefusedAndTheEditDialogOpensAgain) {
    MessageRecorder messages;
    int secondChoice = -1;
    bool secondAlt = true;
    std::string exitText;
    ModalDriver driver({
        {"Keyboard shortcuts",
         [&](HWND dialog) {
             EXPECT_EQ(rowText(dialog, 0, 0), "Alt+X");
             EXPECT_EQ(rowText(dialog, 0, 1), "Varnok scan -> Exit");
             EXPECT_EQ(rowText(dialog, 2, 0), "not defined.");
             selectRow(dialog, 0);
             SendMessageA(dialog, WM_COMMAND, IDC_SHORTCUT_EDIT, 0);  // runs the next two steps
             exitText = rowText(dialog, 0, 0);
             SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
         }},
        {"Edit accelerator settings...",
         [&](HWND edit) {
             EXPECT_EQ(ModalDriver::ControlText(edit, IDC_ACTION_NAME), "Varnok scan -> Exit");
             SendDlgItemMessageA(edit, IDC_KEY_ALT, BM_SETCHECK, BST_UNCHECKED, 0);
             SendDlgItemMessageA(edit, IDC_KEY_LIST, CB_SETCURSEL, static_cast<WPARAM>(KeyIndex(VK_F2)), 0);
             SendMessageA(edit, WM_COMMAND, IDOK, 0);
         }},
        {"Edit accelerator settings...",
         [&](HWND edit) {
             secondChoice = static_cast<int>(SendDlgItemMessageA(edit, IDC_KEY_LIST, CB_GETCURSEL, 0, 0));
             secondAlt = IsChecked(edit, IDC_KEY_ALT);
             SendMessageA(edit, WM_COMMAND, IDCANCEL, 0);
         }},
    });
    EXPECT_FALSE(ShortcutsDialog(MainWindow));
    EXPECT_TRUE(driver.found());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Excuse, the combination of keys chosen you is already associated to other command. Please choose other "
              "combination of keys, or press \"Cancel\" for exit.");
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(secondChoice, KeyIndex(VK_F2));
    EXPECT_FALSE(secondAlt);
    EXPECT_EQ(exitText, "Alt+X");
    EXPECT_EQ(Shortcuts, DefaultShortcuts());
}

TEST_F(ProgramTest, CancelInTheShortcutsDialogRestoresTheTable) {
    MessageRecorder messages({mb::kIdYes});
    std::string clearedText, reopenedText;
    ModalDriver first("Keyboard shortcuts", [&](HWND dialog) {
        selectRow(dialog, 1);
        SendMessageA(dialog, WM_COMMAND, IDC_SHORTCUT_CLEAR, 0);
        clearedText = rowText(dialog, 1, 0);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(ShortcutsDialog(MainWindow));
    EXPECT_EQ(clearedText, "not defined.");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "You want to remove assignment of a keys combination \"F2\" from operation \"Varnok scan -> Run Varnok "
              "scan!\"?\rRemove?");
    EXPECT_EQ(Shortcuts, DefaultShortcuts());
    ModalDriver second("Keyboard shortcuts", [&](HWND dialog) {
        reopenedText = rowText(dialog, 1, 0);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ShortcutsDialog(MainWindow);
    EXPECT_EQ(reopenedText, "F2");
    EXPECT_EQ(Raw("ShortCuts").type, static_cast<DWORD>(REG_NONE));  // nothing was stored
}

TEST_F(ProgramTest, ApplyStoresTheTableAndANewStartReadsIt) {
    std::string resultsRow;
    ModalDriver driver({{"Keyboard shortcuts",
                         [&](HWND dialog) {
                             resultsRow = rowText(dialog, kShortcutRows + 1, 0) + " " +
                                          rowText(dialog, kShortcutRows + 1, 1);
                             selectRow(dialog, 2);
                             SendMessageA(dialog, WM_COMMAND, IDC_SHORTCUT_EDIT, 0);
                             SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                         }},
                        {"Edit accelerator settings...", [&](HWND edit) {
                             SendDlgItemMessageA(edit, IDC_KEY_CTRL, BM_SETCHECK, BST_CHECKED, 0);
                             SendDlgItemMessageA(edit, IDC_KEY_LIST, CB_SETCURSEL, KeyIndex('V'), 0);
                             SendMessageA(edit, WM_COMMAND, IDOK, 0);
                         }}});
    EXPECT_TRUE(ShortcutsDialog(MainWindow));
    RawValue stored = Raw("ShortCuts");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(stored.data.size(), 84u);
    EXPECT_EQ(stored.data.substr(12, 6), std::string("\x09\x00V\x00\x94\x00", 6));  // Ctrl+V for command 148
    // The results window's rows follow, stored under a name of their own.
    EXPECT_EQ(resultsRow, "Ctrl+S Results -> Save the list as CSV...");
    EXPECT_EQ(Raw("ShortCutsResults").data.size(), 18u);
    Shortcuts = DefaultShortcuts();
    LoadShortcuts();
    EXPECT_EQ(ShortcutText(Shortcuts[2]), "Ctrl+V");
}

TEST_F(ProgramTest, ApplyThatCannotStoreTheTableSaysSoAndStaysOpen) {
    SetProductKeyAccess(kNoWriting);
    MessageRecorder messages;
    bool stillOpen = false;
    ModalDriver driver("Keyboard shortcuts", [&](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(ShortcutsDialog(MainWindow));
    SetProductKeyAccess(kFullAccess);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Can not save the keyboard shortcuts: the program's registry key can not be opened.");
    EXPECT_EQ(messages.shown[0].caption, "Error");
}

}  // namespace
