// Deleting marked files from the real results window on real files, and the
// undo batch files it writes, run for real by Wine's cmd.exe.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <filesystem>
#include <cstdlib>
#include <deque>

#include "app/results/deletion_win32.h"
#include "app/results/selection.h"
#include "common/ui/folder_browser.h"
#include "common/win32/wide.h"
#include "app/results/undo_file.h"
#include "app/scan/detection.h"
#include "app/scan/folder_tree.h"
#include "app/options/options.h"
#include "common/text.h"
#include "tests/app/results/results_fixture_win32.h"
#include "common/ui/save_dialog.h"
#include "tests/support/program_state.h"
#include "tests/support/crlf_lines.h"
#include "tests/support/message_recorder.h"
#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace {

// Runs a batch file with cmd.exe; returns what it printed.
std::string runBatch(const std::string& file, const std::string& arguments) {
    const ProcessResult run = RunProcess("cmd.exe /c \"\"" + file + "\" " + arguments + "\"");
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    return run.output;
}

// Writes a file under a path in the program's ANSI text.
void writePath(const std::string& path, const std::string& content) {  // the program's paths: UTF-8
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    CloseHandle(file);
}

std::vector<std::string> folderTree(const std::string& root) {
    std::vector<std::string> folders;
    ForEachFolderInTree(root, [&](const std::string& folder) { folders.push_back(folder); });
    return folders;
}

class Deletion : public ResultsWindowFixture {
protected:
    void SetUp() override {
        ResetProgramState();
        previous = SetSaveFileChooser([this](HWND, const SaveFileRequest& request, std::string& path) {
            EXPECT_EQ(request.defaultExtension, "bat");
            EXPECT_EQ(request.filter.find("Undo bat files (*.bat)"), 0u);
            offered.push_back(path);
            if (undoPath.empty()) return false;
            path = undoPath;
            return true;
        });
        undoPath = out.path("undo.bat");
    }
    void TearDown() override {
        SetSaveFileChooser(previous);
        ResultsWindowFixture::TearDown();
    }

    // Scans folders (the test's tree unless given) into the model.
    void scan(const std::string& folder = "") { scan(std::vector<std::string>{folder.empty() ? tree.entry() : folder}); }
    void scan(const std::vector<std::string>& folders) {
        slFoldersToScan = folders;
        std::unique_ptr<TFILELIST> list;
        ASSERT_TRUE(CollectFiles(list));
        scanned.push_back(list->Folders);  // the records moved below name their folders there
        auto found = FindDuplicates(*list);
        files.Protection = list->Protection;
        while (list->Count()) {
            files.Add(list->Extract(0));
            list->Delete(0);
            list->Pack();
        }
        for (int i = 0; i < found->Count(); ++i) {
            if (i == 0 || (*found)[i]->Group != (*found)[i - 1]->Group) results.NewGroup();
            results.AddToGroup((*found)[i]->FileIndex);
        }
    }

    // Marks the members at the given places of the first group, then deletes.
    void markAndDelete(const std::vector<std::vector<int>>& marks, std::vector<ModalStep> more = {}) {
        open(
            [&](HWND dialog, TRESVIEW& view) {
                auto g = groups(view);
                for (size_t k = 0; k < marks.size(); ++k) {
                    auto m = members(view, g[k]);
                    order.push_back({});
                    for (HTREEITEM f : m) order.back().push_back(view.GetText(f));
                    for (int place : marks[k]) view.Mark(m[static_cast<size_t>(place)]);
                }
                press(dialog, IDC_DELETE_MARKED);
            },
            std::move(more));
    }

    TempFolder tree, out;
    std::string undoPath;
    std::vector<std::string> offered;
    std::vector<std::vector<std::string>> order;  // the members' paths, group by group
    SaveFileChooser previous;
    std::vector<TFILEINFO::FolderList> scanned;
};

TEST_F(Deletion, KeepingTheLastCopy) {
    struct Case {
        std::vector<int> marked;
        bool keepLast;
        std::vector<bool> remaining;  // X, Y, Z still on disk
        int source;                   // the member the undo file restores from, -1: none
    };
    const Case cases[] = {
        {{0, 1, 2}, true, {false, false, true}, 2},
        {{1, 2}, true, {true, false, false}, 0},
        {{0, 2}, true, {false, true, false}, 1},
        {{0, 1, 2}, false, {false, false, false}, -1},
    };
    for (const Case& c : cases) {
        TearDown();
        files.Clear();
        results.Clear();
        order.clear();
        SetUp();
        tree.write("x.dat", "same bytes");
        tree.write("y.dat", "same bytes");
        tree.write("z.dat", "same bytes");
        scan();
        ASSERT_EQ(results.Count(), 3);
        bNotDeleteLastCopy = c.keepLast;
        bEnhancedUndo = false;
        MessageRecorder messages({mb::kIdYes});
        markAndDelete({c.marked});
        ASSERT_EQ(order.size(), 1u);
        for (size_t k = 0; k < 3; ++k) EXPECT_EQ(FileExists(order[0][k]), c.remaining[k]) << k;
        EXPECT_EQ(results.Count(), 0);  // fewer than two members left: the group leaves the results
        const std::string undo = ReadWholeFile(undoPath);
        const std::string source = c.source < 0 ? "" : order[0][static_cast<size_t>(c.source)];
        for (size_t k = 0; k < 3; ++k) {
            if (c.remaining[k]) continue;
            EXPECT_NE(undo.find("copy /b \"" + source + "\" \"" + order[0][k] + "\"\r\n"), std::string::npos) << undo;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].caption, "Please confirm...");
        EXPECT_EQ(messages.shown[0].style, static_cast<uint32_t>(MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_HELP));
        if (c.source >= 0) {  // the simple undo file brings the deleted copies back
            runBatch(undoPath, "");
            for (size_t k = 0; k < 3; ++k) EXPECT_EQ(ReadWholeFile(order[0][k]), "same bytes");
        }
    }
}

TEST_F(Deletion, TheQuestionCountsTheMarkedFilesAndNoDeletesNothing) {
    tree.write("a.dat", std::string(150000, 'a'));
    tree.write("b.dat", std::string(150000, 'a'));
    tree.write("c.dat", std::string(150000, 'a'));
    scan();
    MessageRecorder messages({mb::kIdNo});
    markAndDelete({{0, 1}});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "You are marked to delete 2 file(s) with total size 292Kbytes. Are you shure to delete these files?");
    for (const std::string& path : order[0]) EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(results.Count(), 3);
    // A declined question leaves an undo file with header and footer only.
    const std::string undo = ReadWholeFile(undoPath);
    EXPECT_NE(undo.find(":doundo\r\n"), std::string::npos);
    EXPECT_EQ(undo.find("set \"filein="), std::string::npos);
    EXPECT_EQ(undo.substr(undo.size() - 26), "goto allfolks\r\n:exitundo\r\n");
}

TEST_F(Deletion, NothingMarkedAsksNothing) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    scan();
    MessageRecorder messages;
    markAndDelete({{}});
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(offered.empty());
    EXPECT_FALSE(FileExists(undoPath));
}

TEST_F(Deletion, WithoutUndoNoSaveDialogAndNoFile) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    scan();
    bCreateUndo = false;
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0}});
    EXPECT_TRUE(offered.empty());
    EXPECT_FALSE(FileExists(undoPath));
    EXPECT_FALSE(FileExists(order[0][0]));
    EXPECT_TRUE(FileExists(order[0][1]));
}

TEST_F(Deletion, CancellingTheSaveDialogDeletesNothing) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    scan();
    undoPath.clear();
    MessageRecorder messages;
    markAndDelete({{0}});
    ASSERT_EQ(offered.size(), 1u);
    const std::string name = "\\" + DefaultUndoName();
    ASSERT_GT(offered[0].size(), name.size());
    EXPECT_EQ(offered[0].substr(offered[0].size() - name.size()), name);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(FileExists(order[0][0]));
}

// Started from a folder whose name the ANSI code page cannot spell, the
// program offers the undo file in a folder it can name (the dialog would open
// one of its own choosing, where the free name was never checked).
TEST_F(Deletion, TheUndoFileIsOfferedInAFolderThatCanBeNamed) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    scan();
    undoPath.clear();
    const std::wstring unnamed = tree.root().wstring() + L"\\\x65e5\x672c";
    ASSERT_TRUE(CreateDirectoryW(unnamed.c_str(), nullptr));
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(unnamed.c_str()));
    MessageRecorder messages;
    markAndDelete({{0}});
    SetCurrentDirectoryW(before);
    ASSERT_EQ(offered.size(), 1u);
    const std::string folder = offered[0].substr(0, offered[0].rfind('\\') + 1);
    EXPECT_EQ(folder.find('?'), std::string::npos) << offered[0];
    EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << offered[0];
}

TEST_F(Deletion, AnUndoFileThatCannotBeWrittenStopsEverything) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    scan();
    undoPath = out.path("no such folder\\undo.bat");
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0}});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind("Can not write undo file " + undoPath + " Error code : ", 0), 0u);
    EXPECT_EQ(messages.shown[0].caption, "This is error message! I am sorry...");
    EXPECT_TRUE(FileExists(order[0][0]));
    EXPECT_TRUE(FileExists(order[0][1]));
}

TEST_F(Deletion, AReadOnlyMarkedFileIsDeleted) {
    std::string a = tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    SetReadOnly(a, true);
    scan();
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0, 1}});
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(FileExists(order[0][0]));
    EXPECT_TRUE(FileExists(order[0][1]));  // the last copy stays
}

TEST_F(Deletion, AFileChangedSinceTheScanIsKeptAndReported) {
    tree.write("a.dat", "aaaa");
    tree.write("b.dat", "aaaa");
    tree.write("c.dat", "aaaa");
    scan();
    MessageRecorder messages({mb::kIdYes});
    std::vector<std::string> paths;
    open([&](HWND dialog, TRESVIEW& view) {
        auto m = members(view, groups(view)[0]);
        for (HTREEITEM f : m) paths.push_back(view.GetText(f));
        view.Mark(m[0]);
        view.Mark(m[1]);
        // The copy that stays (the last member) changes after the scan.
        std::FILE* f = std::fopen(paths[2].c_str(), "wb");
        std::fputs("bbbb", f);
        std::fclose(f);
        press(dialog, IDC_DELETE_MARKED);
        EXPECT_NE(CurrentResultsView(), nullptr) << "nothing went: the window stays";
        close(dialog);
    });
    EXPECT_TRUE(FileExists(paths[0]));
    EXPECT_TRUE(FileExists(paths[1]));
    ASSERT_EQ(messages.shown.size(), 3u);  // the question, then each kept file once
    EXPECT_EQ(messages.shown[1].text, "Can not delete file " + paths[0] + " because its kept copy " + paths[2] +
                                          " is missing or differs from it now.");
    EXPECT_EQ(messages.shown[1].caption, "This is error message! I am sorry...");
}

TEST_F(Deletion, AFileThatStaysLeavesNoEntryAndTheNextOnesAreNumberedOn) {
    for (const char* group : {"a", "b", "c"})
        for (const char* copy : {"1", "2"}) tree.write(std::string(group) + copy + ".dat", std::string("group ") + group);
    scan();
    ASSERT_EQ(results.Count(), 6);
    // Another program holds both copies of the second group: its marked one stays.
    std::vector<HANDLE> held;
    for (const char* name : {"b1.dat", "b2.dat"})
        held.push_back(CreateFileA(tree.path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0}, {0}, {0}});
    for (HANDLE h : held) CloseHandle(h);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text.find("Can not delete file " + order[1][0]), 0u) << messages.shown[1].text;
    EXPECT_TRUE(FileExists(order[1][0]));
    const std::string undo = ReadWholeFile(undoPath);
    EXPECT_EQ(undo.find(order[1][0]), std::string::npos) << "no entry for the file that stayed";
    for (int group : {0, 2}) {
        const std::string entry = "set \"filein=" + order[static_cast<size_t>(group)][1] + "\"\r\nset \"fileout=" +
                                  order[static_cast<size_t>(group)][0] + "\"\r\nset nFile=1\r\nset nextpoint=nf00000" +
                                  std::to_string(group / 2 + 1) + "\r\n";
        EXPECT_NE(undo.find(entry), std::string::npos) << entry;
    }
    const std::string all = runBatch(undoPath, "-X *");
    for (size_t group : {0u, 2u}) {
        ASSERT_TRUE(FileExists(order[group][0])) << all;
        EXPECT_EQ(ReadWholeFile(order[group][0]), ReadWholeFile(order[group][1]));
    }
}

TEST_F(Deletion, StopInTheProgressWindowDeletesNoFurtherFileAndTheUndoFileHoldsWhatWent) {
    constexpr int kGroups = 400;
    for (int g = 0; g < kGroups; ++g)
        for (const char* copy : {"x", "y"}) tree.write(copy + std::to_string(g) + ".dat", "content " + std::to_string(g));
    scan();
    ASSERT_EQ(results.Count(), 2 * kGroups);
    const DWORD savedDelay = DeletionProgressDelayMs;
    DeletionProgressDelayMs = 0;
    MessageRecorder messages({mb::kIdYes});
    std::string shown;
    markAndDelete(std::vector<std::vector<int>>(kGroups, {0}), {{"Deleting files...", [&](HWND progress) {
                                                                     shown = ModalDriver::ControlText(progress, IDC_DELETING_TEXT);
                                                                     SendMessageA(progress, WM_COMMAND, 102, 0);
                                                                 }}});
    DeletionProgressDelayMs = savedDelay;
    EXPECT_NE(shown.find(" of 400 marked files"), std::string::npos) << shown;
    int gone = 0;
    const std::string undo = ReadWholeFile(undoPath);
    for (const auto& group : order) {
        const bool deleted = !FileExists(group[0]);
        gone += deleted;
        EXPECT_EQ(undo.find("set \"fileout=" + group[0] + "\"") != std::string::npos, deleted) << group[0];
        EXPECT_TRUE(FileExists(group[1]));
    }
    EXPECT_GT(gone, 0);
    EXPECT_LT(gone, kGroups) << "Stop! deleted no further file";
    runBatch(undoPath, "-X *");
    for (const auto& group : order) EXPECT_TRUE(FileExists(group[0])) << group[0];
}

TEST_F(Deletion, EnhancedEntriesAreNumberedAcrossGroups) {
    tree.write("a1.dat", "group one");
    tree.write("a2.dat", "group one");
    tree.write("a3.dat", "group one");
    tree.write("b1.txt", "second");
    tree.write("b2.txt", "second");
    scan();
    ASSERT_EQ(results.Count(), 5);
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0, 1}, {0}});
    const std::string undo = ReadWholeFile(undoPath);
    const std::string entries[] = {
        "set \"filein=" + order[0][2] + "\"\r\nset \"fileout=" + order[0][0] +
            "\"\r\nset nFile=1\r\nset nextpoint=nf000001\r\ngoto %fileop%\r\n:nf000001\r\n",
        "set \"filein=" + order[0][2] + "\"\r\nset \"fileout=" + order[0][1] +
            "\"\r\nset nFile=0\r\nset nextpoint=nf000002\r\ngoto %fileop%\r\n:nf000002\r\n",
        "set \"filein=" + order[1][1] + "\"\r\nset \"fileout=" + order[1][0] +
            "\"\r\nset nFile=1\r\nset nextpoint=nf000003\r\ngoto %fileop%\r\n:nf000003\r\n"};
    size_t at = 0;
    for (const std::string& entry : entries) {
        at = undo.find(entry, at);
        ASSERT_NE(at, std::string::npos) << entry;
    }
    EXPECT_EQ(undo.substr(undo.size() - 28), "\r\ngoto allfolks\r\n:exitundo\r\n");

    // -l lists, -t tests the sources, -x restores one entry, -X the rest.
    const std::string list = runBatch(undoPath, "-l");
    EXPECT_NE(list.find("nf000001 (l)--:- \"" + order[0][2] + "\""), std::string::npos) << list;
    EXPECT_NE(list.find("nf000002   I-----)- \"" + order[0][1] + "\""), std::string::npos) << list;
    EXPECT_NE(list.find("Result : All done."), std::string::npos) << list;
    const std::string test = runBatch(undoPath, "-t");
    EXPECT_NE(test.find("\"" + order[0][2] + "\"\t[ Ok! ]"), std::string::npos) << test;
    EXPECT_NE(test.find("Result : All need files present!"), std::string::npos) << test;
    const std::string one = runBatch(undoPath, "-x nf000002");
    EXPECT_NE(one.find("\"" + order[0][1] + "\"\t[ Ok! ]"), std::string::npos) << one;
    EXPECT_TRUE(FileExists(order[0][1]));
    EXPECT_FALSE(FileExists(order[0][0]));
    EXPECT_FALSE(FileExists(order[1][0]));
    const std::string all = runBatch(undoPath, "-X *");
    EXPECT_NE(all.find("\"" + order[0][0] + "\"\t[ Ok! ]"), std::string::npos) << all;
    EXPECT_NE(all.find("\"" + order[0][1] + "\"\t[Skip!]"), std::string::npos) << all;  // restored already
    EXPECT_NE(all.find("Result : Some files were not restored: a file with their name is there."), std::string::npos)
        << all;
    EXPECT_EQ(ReadWholeFile(order[0][0]), "group one");
    EXPECT_EQ(ReadWholeFile(order[1][0]), "second");
    EXPECT_NE(runBatch(undoPath, "-x nf000003").find("Result : Some files were not restored"), std::string::npos);
    // A source that is gone is reported.
    DeleteFileA(order[1][1].c_str());
    const std::string missing = runBatch(undoPath, "-t");
    EXPECT_NE(missing.find("\"" + order[1][1] + "\"\t[Fail!]"), std::string::npos) << missing;
    EXPECT_NE(missing.find("Result : Some files are disappear."), std::string::npos) << missing;
}

// Folders and names that cmd.exe reads specially, Windows-1252 letters, and
// letters code page 437 lacks: every deleted file comes back byte for byte
// at its exact path under either form, a file standing there since is never
// overwritten, and a file no undo line could name is kept and reported.
TEST_F(Deletion, HostileNamesAreRestoredExactlyAndNothingIsOverwritten) {
    const std::vector<std::string> folders = {"100% sure", "Caf\u00E9 \u00F1", "R&D (old) ^!;,='`", " lead", "plain"};
    const std::vector<std::string> names = {"a&b.txt",         "c^d (1)!.txt",         "50%off%PATH%.txt",
                                            "h;i,j=k'l`m.txt", "x&copy nul pwned.txt", " lead blank.txt",
                                            "na\u00EFve r\u00E9sum\u00E9 \u00DF\u00C6\u00FC.txt", "%~dp0.txt", "a%~nxf1.txt"};
    const std::string content("odd\0content\xFF", 12);
    for (bool enhanced : {false, true}) {
        TempFolder odd;
        for (const std::string& f : folders) {
            ASSERT_TRUE(CreateDirectoryW(Wide(odd.entry() + f).c_str(), nullptr)) << f;
            for (const std::string& n : names) writePath(odd.entry() + f + "\\" + n, content);
        }
        const std::string noOem = odd.entry() + "plain\\0 \u00F8re \u20AC \u65E5\u672C.txt";
        writePath(noOem, content);
        files.Clear();
        results.Clear();
        order.clear();
        scan(folderTree(odd.entry()));
        ASSERT_EQ(results.Count(), 46);
        bEnhancedUndo = enhanced;
        MessageRecorder messages({mb::kIdYes});
        std::vector<int> all;
        for (int k = 0; k + 1 < results.Count(); ++k) all.push_back(k);
        markAndDelete({all});
        const std::string kept = order[0].back();
        std::vector<std::string> deleted;
        for (const std::string& path : order[0])
            if (path != kept && path != noOem) deleted.push_back(path);
        for (const std::string& path : deleted) EXPECT_FALSE(FileExists(path)) << path;
        EXPECT_TRUE(FileExists(noOem));
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(messages.shown[1].text,
                  "Can not delete file " + noOem + " because the undo file can not hold its path.");

        if (enhanced) {  // listing and testing name every path as it is, too
            const std::string listed = runBatch(undoPath, "-l");
            // (cmd.exe prints in the code page)
            for (const std::string& path : deleted)
                EXPECT_NE(listed.find("\"" + platform::toAnsi(path) + "\""), std::string::npos) << path;
            EXPECT_NE(runBatch(undoPath, "-t").find("Result : All need files present!"), std::string::npos);
        }
        const std::string restore = enhanced ? "-x *" : "";
        runBatch(undoPath, restore);
        for (const std::string& path : deleted) EXPECT_EQ(ReadWholeFile(path), content) << path;
        EXPECT_FALSE(FileExists(odd.entry() + "pwned.txt"));
        EXPECT_FALSE(FileExists("pwned.txt"));

        // What the user saved at a restored path since is never overwritten.
        writePath(deleted[0], "saved since");  // the file of the first entry
        const std::string again = runBatch(undoPath, enhanced ? "-x nf000001" : "");
        EXPECT_EQ(ReadWholeFile(deleted[0]), "saved since");
        EXPECT_NE(again.find(enhanced ? "[Skip!]" : "is there already and was not overwritten."), std::string::npos)
            << again;
    }
}

// Folders and files named in Japanese, Greek, Cyrillic and emoji, on a volume
// that keeps no 8.3 names: every file is found, the results show each by its
// own path, and the copies are deleted by their names once the kept copy is
// checked. An undo file, read by cmd.exe in the OEM code page, could not name
// them: with one, each is kept and reported by its name.
TEST_F(Deletion, NamesInAnyScriptAreFoundShownAndDeletedWithoutShortNames) {
    platform::setShortNamesReported(false);
    const std::string scripts[] = {"\u65E5\u672C\u8A9E", "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC",
                                   "\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430", "\U0001F600 smile"};
    std::set<std::string> copies, originals;
    for (const std::string& name : scripts) {
        const std::filesystem::path wide(Utf16FromUtf8(name));
        tree.writeExact(wide / (wide.wstring() + L".txt"), "in " + name);
        tree.writeExact(wide.wstring() + L" copy.txt", "in " + name);
        originals.insert(tree.entry() + name + "\\" + name + ".txt");
        copies.insert(tree.entry() + name + " copy.txt");
    }
    const std::vector<std::string> folders = folderTree(tree.entry());
    ASSERT_EQ(folders.size(), 5u);
    scan(folders);
    ASSERT_EQ(results.Count(), 8);

    bCreateUndo = true;
    MessageRecorder refused({mb::kIdYes});
    std::set<std::string> shown, marked;
    open([&](HWND dialog, TRESVIEW& view) {
        for (HTREEITEM g : groups(view)) {
            for (HTREEITEM f : members(view, g)) shown.insert(view.GetText(f));
            marked.insert(view.GetText(members(view, g)[0]));
            view.Mark(members(view, g)[0]);
        }
        press(dialog, IDC_DELETE_MARKED);
        // Nothing went: the window stays with its marks, and no undo file is left.
        TRESVIEW* still = CurrentResultsView();
        ASSERT_NE(still, nullptr);
        EXPECT_EQ(still->Tallies[TallyDel].Files, 4);
        EXPECT_FALSE(FileExists(undoPath));
        close(dialog);
    });
    std::set<std::string> all = copies;
    all.insert(originals.begin(), originals.end());
    EXPECT_EQ(shown, all);  // the tree shows every path as it is
    ASSERT_EQ(refused.shown.size(), 5u);
    for (const std::string& path : marked) {
        EXPECT_TRUE(FileExists(path)) << path;
        // Its kept copy's path is as foreign to the undo file, and the report names that copy.
        const std::string report =
            "Can not delete file " + path + " because the undo file can not hold the path of its kept copy ";
        EXPECT_TRUE(std::any_of(refused.shown.begin(), refused.shown.end(),
                                [&](const auto& m) { return m.text.rfind(report, 0) == 0; }))
            << report;
    }

    bCreateUndo = false;
    order.clear();
    EXPECT_EQ(results.Count(), 8);  // nothing went: every group stays to be tried again
    MessageRecorder asked({mb::kIdYes});
    markAndDelete({{0}, {0}, {0}, {0}}, {});
    EXPECT_EQ(asked.shown.size(), 1u);
    for (const std::string& path : all) EXPECT_EQ(FileExists(path), marked.count(path) == 0) << path;
    EXPECT_EQ(results.Count(), 0);
}

// The enhanced file refers to itself wherever it is saved, "&", "( )" and "%" included.
TEST_F(Deletion, TheEnhancedFileRunsFromAnyFolder) {
    for (const std::string folderName : {"My Undo & (1)", "100% sure"}) {
        TempFolder here;
        here.write("a.dat", "aa");
        here.write("b.dat", "aa");
        files.Clear();
        results.Clear();
        order.clear();
        scan(here.entry());
        ASSERT_TRUE(CreateDirectoryA((out.entry() + folderName).c_str(), nullptr));
        undoPath = out.entry() + folderName + "\\Restore to today.bat";
        MessageRecorder messages({mb::kIdYes});
        markAndDelete({{0}});
        ASSERT_FALSE(FileExists(order[0][0]));
        const std::string listed = out.path("listed.txt");
        runBatch(undoPath, "-l x outtofile \"" + listed + "\"");
        EXPECT_NE(ReadWholeFile(listed).find("nf000001   I-----)- \"" + order[0][0] + "\""), std::string::npos)
            << ReadWholeFile(listed);
        const std::string shown = runBatch(undoPath, "-x nf000001");
        EXPECT_EQ(ReadWholeFile(order[0][0]), "aa") << folderName << shown;
    }
}

// A file whose undo entry cannot be written whole is not deleted; the entry
// is taken back, and the message carries the system's error code.
TEST_F(Deletion, AFullDiskStopsBeforeTheFileWhoseEntryDoesNotFit) {
    for (int k = 0; k < 40; ++k) tree.write("copy " + std::to_string(100 + k) + ".dat", "same");
    scan();
    bEnhancedUndo = false;
    const char* small = std::getenv("VARNOK_SMALL_VOLUME");  // a tmpfs of a few pages, when the run has one
    if (!small || !*small) GTEST_SKIP() << "no small volume to fill";
    TempFolder volume;  // the undo file lives on the small volume; the rest of it is filled first
    const std::string folder = std::string(small) + "\\" + volume.root().filename().string();
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr));
    writePath(folder + "\\filler", std::string(static_cast<size_t>(free.QuadPart) - 4096, 'f'));
    undoPath = folder + "\\undo.bat";
    MessageRecorder messages({mb::kIdYes});
    std::vector<int> all;
    for (int k = 0; k + 1 < results.Count(); ++k) all.push_back(k);
    markAndDelete({all});
    int gone = 0;
    for (const std::string& path : order[0]) gone += FileExists(path) ? 0 : 1;
    EXPECT_GT(gone, 0);
    EXPECT_LT(gone, 39);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "Can not write undo file " + undoPath + " Error code : 112");
    const std::string undo = ReadWholeFile(undoPath);
    EXPECT_EQ(undo.substr(undo.size() - 2), "\r\n");
    DeleteFileA((folder + "\\filler").c_str());
    runBatch(undoPath, "");
    for (const std::string& path : order[0]) EXPECT_EQ(ReadWholeFile(path), "same") << path;
    DeleteFileA(undoPath.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Deletion, AnUndoFileOnAFullDeviceReportsTheSystemsErrorCode) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    scan();
    undoPath = "Z:\\dev\\full";
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0}});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Can not write undo file Z:\\dev\\full Error code : 112");
    EXPECT_TRUE(FileExists(order[0][0]));
}

// A box of the deletion keeps the window from taking commands: pressing
// Delete again while it is up runs no second deletion inside the first.
TEST_F(Deletion, NoSecondDeletionWhileABoxIsUp) {
    tree.write("a.dat", "aa");
    tree.write("b.dat", "aa");
    tree.write("c.dat", "aa");
    scan();
    bCreateUndo = false;
    HANDLE held = nullptr;
    HWND window = nullptr;
    MessageRecorder messages({mb::kIdYes});
    messages.onShow = [&](const ShownMessage& box) {
        if (box.text.rfind("Can not delete file", 0) != 0) return;
        EXPECT_EQ(box.owner, window);
        SendMessageA(window, WM_COMMAND, IDC_DELETE_MARKED, 0);
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    };
    open([&](HWND dialog, TRESVIEW& view) {
        window = dialog;
        auto m = members(view, groups(view)[0]);
        for (HTREEITEM f : m) order.push_back({view.GetText(f)});
        view.Mark(m[0]);
        view.Mark(m[1]);
        // The first marked file is open elsewhere without leave to delete it.
        held = CreateFileA(order[0][0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        press(dialog, IDC_DELETE_MARKED);
    });
    CloseHandle(held);
    ASSERT_EQ(messages.shown.size(), 2u);  // one question, one failure: no second run
    EXPECT_EQ(messages.shown[0].caption, "Please confirm...");
    EXPECT_TRUE(FileExists(order[0][0]));
    EXPECT_FALSE(FileExists(order[1][0]));
    EXPECT_TRUE(FileExists(order[2][0]));
}

// Paths come from the records, not from the tree's text.
TEST_F(Deletion, APathPast255CharactersIsDeletedAndRestored) {
    const std::string deep = std::string(250 - tree.entry().size(), 'd');  // 256 characters with "\\a.dat"
    tree.write(deep + "/a.dat", "long");
    tree.write(deep + "/b.dat", "long");
    scan(tree.path(deep));
    ASSERT_EQ(results.Count(), 2);
    MessageRecorder messages({mb::kIdYes});
    markAndDelete({{0}});
    ASSERT_GT(order[0][0].size(), 255u);
    EXPECT_FALSE(FileExists(order[0][0]));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(results.Count(), 0);
    runBatch(undoPath, "-x *");
    EXPECT_EQ(ReadWholeFile(order[0][0]), "long");
}

TEST(UndoScript, TheResourceHoldsTheScriptText) {
    const std::string script = UndoScriptText();
    ASSERT_FALSE(script.empty());
    const std::vector<std::string> lines = CrlfLines(script);
    ASSERT_EQ(lines.size(), 81u);
    EXPECT_EQ(lines[0], "@echo off");
    EXPECT_EQ(lines[15], "echo For get small help use command: %~nx0 -h");
    EXPECT_EQ(lines[30], "echo            * if you type number of deleted file, when only one file will be ");
    EXPECT_EQ(lines[32], "echo            * if you type number of leaved file, when will be restored all ");
    EXPECT_EQ(lines[35], "echo\tATTENTION! Bat file not undestend file masks. The file nuber was showed");
    EXPECT_EQ(lines[45], "set fileop=step");
    EXPECT_EQ(lines[79], "echo ---------------------------------------------");
    EXPECT_EQ(lines[80], "");
    for (size_t k : {10u, 17u, 18u, 19u, 20u, 43u, 50u, 57u, 64u, 71u, 77u}) EXPECT_EQ(lines[k], "") << k + 1;
}

TEST(UndoScript, VersionTextComesFromTheVersionResource) { EXPECT_EQ(VersionText(), "Version 1.00 Build 1"); }

}  // namespace

namespace {

// Every way a copy is chosen, tried on copies in a protected folder: none
// selects or marks them, and a deletion of all else leaves them.
TEST_F(Deletion, AProtectedCopyIsNeverSelectedMarkedOrDeletedByAnyRule) {
    tree.write("kept/a.dat", "same bytes");
    tree.write("kept/b.dat", "same bytes");
    tree.write("loose/a.dat", "same bytes");
    tree.write("loose/c.dat", "same bytes");
    tree.write("kept/x.dat", "only kept");
    tree.write("kept/y.dat", "only kept");
    scan({tree.path("kept/"), tree.path("loose/")});
    slProtectedFolders = {tree.path("KEPT")};  // as typed: case and the last backslash do not matter
    bCreateUndo = false;
    const FolderBrowser previousBrowser = SetFolderBrowser([&](HWND, const std::string&, std::string& path) {
        path = tree.path("kept/");
        return true;
    });
    MessageRecorder messages({mb::kIdYes});
    std::vector<std::string> reached;  // "rule: path" for each protected copy selected or marked
    std::vector<std::string> lines;    // each file's line, with its picture
    open([&](HWND dialog, TRESVIEW& view) {
        auto isGuarded = [](const TRESVIEW::Node& n) { return n.file && n.file->FolderPath().find("kept") != std::string::npos; };
        auto check = [&](const std::string& how) {
            for (const TRESVIEW::Node& n : view.Nodes())
                if (isGuarded(n) && (n.bold || n.image == 1 || view.IsBold(n.item) || view.GetImage(n.item) == 1))
                    reached.push_back(how + ": " + n.file->FullPath());
        };
        for (int rule = RuleFocusedItem; rule <= RuleNone; ++rule) {
            runRule(dialog, RuleNone);
            for (const TRESVIEW::Node& n : view.Nodes())
                if (isGuarded(n) && n.item) TreeView_SelectItem(view.Handle, n.item);  // the focused item too
            runRule(dialog, rule);
            press(dialog, IDC_MARK);
            check("rule " + std::to_string(rule));
        }
        for (const TRESVIEW::Node& n : view.Nodes()) {
            if (!isGuarded(n)) continue;
            view.ToggleSelect(n.item);  // Space and the right button
            view.Mark(n.item);
            lines.push_back(std::to_string(view.GetImage(n.item)) + " " + n.file->FullPath());
        }
        check("by hand");
        runRule(dialog, RuleNone);
        runRule(dialog, RuleInvert);
        press(dialog, IDC_MARK);
        press(dialog, IDC_DELETE_MARKED);
    });
    SetFolderBrowser(previousBrowser);
    EXPECT_EQ(reached, std::vector<std::string>{});
    EXPECT_EQ(lines.size(), 4u);  // both groups show, the one whose every copy is protected too
    for (const std::string& line : lines) EXPECT_EQ(line.substr(0, 2), "4 ") << line;
    for (const char* name : {"kept/a.dat", "kept/b.dat", "kept/x.dat", "kept/y.dat"})
        EXPECT_TRUE(FileExists(tree.path(name))) << name;
    for (const char* name : {"loose/a.dat", "loose/c.dat"}) EXPECT_FALSE(FileExists(tree.path(name))) << name;
}

// The protected photos, the oldest copies, are reached again later in the
// list under other names: another spelling of their folder, a link to it,
// and a hard link from a folder of its own. "Oldest files", Mark and Delete
// leave every protected photo, and each shows under its protected name.
TEST_F(Deletion, AProtectedCopyReachedAgainUnderAnotherNameIsNeverDeleted) {
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    for (const char* name : {"Photos/a.jpg", "Photos/b.jpg"}) {
        tree.write(name, name + 7);
        std::filesystem::last_write_time(tree.path(name), old);
        tree.write(std::string("Backup/") + (name + 7), name + 7);
    }
    tree.makeFolder("Linked");
    std::filesystem::create_hard_link(tree.path("Photos/b.jpg"), tree.path("Linked/b.jpg"));
    std::vector<std::string> folders = {tree.path("Photos/"), tree.path("Backup/"), "\\\\?\\" + tree.path("Photos/"),
                                        tree.path("Linked/")};
    std::error_code error;  // a link needs a right the user may lack: then the other names are tried
    std::filesystem::create_directory_symlink(tree.path("Photos"), tree.path("Pics"), error);
    if (!error) folders.push_back(tree.path("Pics/"));
    slProtectedFolders = {tree.path("Photos")};
    scan(folders);
    bCreateUndo = false;
    MessageRecorder messages({mb::kIdYes});
    std::vector<std::string> lines;
    open([&](HWND dialog, TRESVIEW& view) {
        for (const TRESVIEW::Node& n : view.Nodes())
            if (n.file) lines.push_back(std::to_string(n.image) + " " + n.file->FullPath().substr(tree.entry().size()));
        runRule(dialog, RuleOldestFiles);
        press(dialog, IDC_MARK);
        press(dialog, IDC_DELETE_MARKED);
    });
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"0 Backup\\a.jpg", "0 Backup\\b.jpg", "4 Photos\\a.jpg", "4 Photos\\b.jpg"}));
    for (const char* name : {"Photos/a.jpg", "Photos/b.jpg"}) EXPECT_TRUE(FileExists(tree.path(name))) << name;
}

}  // namespace

namespace {

// The desktop's trash under Wine (the Recycle Bin there): the place a trashed
// file of this test went to, found by its record's original path.
std::string trashedCopy(const std::string& folderLeaf, const std::string& name) {
    // Wine names the user's home as an NT path: "\??\Z:\root" (or "\??\unix/root").
    std::wstring home(MAX_PATH, L'\0');
    home.resize(GetEnvironmentVariableW(L"WINEHOMEDIR", home.data(), MAX_PATH));
    std::string trash = Utf8(home.substr(home.rfind(L'?') + 2));
    if (trash.starts_with("unix")) trash = "Z:" + trash.substr(4);
    trash += "/.local/share/Trash/";
    std::replace(trash.begin(), trash.end(), '/', '\\');
    for (const auto& info : std::filesystem::directory_iterator(Wide(trash + "info")))
        if (ReadWholeFile(Utf8(info.path().wstring())).find(folderLeaf + "/" + name + "\n") != std::string::npos)
            return trash + "files\\" + Utf8(info.path().stem().wstring());
    return {};
}

TEST_F(Deletion, ToTheRecycleBinAndPutBackAndNeverForGoodUnasked) {
    tree.write("a.dat", "same bytes");
    tree.write("b.dat", "same bytes");
    tree.write("c.dat", "same bytes");
    tree.write("x.dat", "other bytes");
    // A path the shell's bin can not take: 260 characters.
    const std::string deep = std::string(254 - tree.entry().size(), 'd');
    tree.writeExact(std::filesystem::path(deep) / "y.dat", "other bytes");
    tree.writeExact("z.dat.", "third bytes");  // the shell would read it as "z.dat"
    tree.write("w.dat", "third bytes");
    scan({tree.entry(), tree.path(deep + "/")});
    bUseRecycleBin = true;
    bEnhancedUndo = false;
    SHQUERYRBINFO before{sizeof before, 0, 0};
    SHQueryRecycleBinW(nullptr, &before);
    auto markAndDeleteByName = [&] {
        open([&](HWND dialog, TRESVIEW& view) {
            for (const TRESVIEW::Node& n : view.Nodes())
                if (n.file && (n.file->Name() == "b.dat" || n.file->Name() == "c.dat" || n.file->Name() == "y.dat" ||
                               n.file->Name() == "z.dat."))
                    view.Mark(n.item);
            press(dialog, IDC_DELETE_MARKED);
            if (IsWindow(dialog)) close(dialog);  // kept open when nothing went
        });
    };
    MessageRecorder messages({mb::kIdYes, mb::kIdCancel, mb::kIdYes, mb::kIdNo});
    markAndDeleteByName();  // Cancel at the question about y.dat: nothing goes
    for (const char* name : {"a.dat", "b.dat", "c.dat", "x.dat"}) EXPECT_TRUE(FileExists(tree.path(name))) << name;
    EXPECT_FALSE(FileExists(undoPath));
    markAndDeleteByName();  // No: y.dat stays, the rest goes to the bin
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[1].text, messages.shown[3].text);
    EXPECT_EQ(messages.shown[1].text.substr(0, 61), "2 marked file(s) can not go to the Recycle Bin (a network or ");
    EXPECT_TRUE(FileExists(tree.path(deep + "/y.dat")));
    EXPECT_TRUE(FileExists(tree.path("z.dat.")));
    EXPECT_TRUE(FileExists(tree.path("a.dat")));
    const std::string undo = ReadWholeFile(undoPath);
    EXPECT_EQ(undo.find("y.dat"), std::string::npos);
    SHQUERYRBINFO after{sizeof after, 0, 0};
    SHQueryRecycleBinW(nullptr, &after);
    EXPECT_EQ(after.i64NumItems - before.i64NumItems, 2);
    const std::string leaf = tree.root().filename().string();
    for (const char* name : {"b.dat", "c.dat"}) {
        EXPECT_FALSE(FileExists(tree.path(name))) << name;
        EXPECT_NE(undo.find("copy /b \"" + tree.path("a.dat") + "\" \"" + tree.path(name) + "\""), std::string::npos);
        // In the bin, and put back from there as the desktop's trash does.
        const std::string trashed = trashedCopy(leaf, name);
        ASSERT_FALSE(trashed.empty()) << name;
        ASSERT_TRUE(MoveFileW(Wide(trashed).c_str(), Wide(tree.path(name)).c_str())) << trashed;
        EXPECT_EQ(ReadWholeFile(tree.path(name)), "same bytes");
    }
}

}  // namespace

namespace {

BY_HANDLE_FILE_INFORMATION fileInformation(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return info;
}

// Links made where they can be, atomically, and nothing lost where they can
// not: a file held open, a group with no copy kept, a file changed since.
TEST_F(Deletion, MarkedCopiesBecomeHardLinksAndThoseThatCanNotStayWhole) {
    const std::string bytes(1 << 20, 'L');
    for (const char* name : {"a.dat", "b.dat", "c.dat", "d.dat", "e.dat"}) tree.write(name, bytes);
    tree.write("x.dat", "only marked");
    tree.write("y.dat", "only marked");
    scan();
    tree.write("e.dat", std::string(1 << 20, 'M'));  // changed since the scan
    HANDLE held = CreateFileW(Wide(tree.path("d.dat")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    MessageRecorder messages({mb::kIdYes});
    std::vector<std::string> stillMarked;
    open([&](HWND dialog, TRESVIEW& view) {
        for (const TRESVIEW::Node& n : view.Nodes())
            if (n.file && n.file->Name() != "a.dat") view.Mark(n.item);
        press(dialog, IDC_LINK_MARKED);
        for (const TRESVIEW::Node& n : view.Nodes())
            if (n.file && n.image == 1) stillMarked.emplace_back(n.file->Name());
        close(dialog);
    });
    CloseHandle(held);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].caption, "Please confirm...");
    EXPECT_EQ(messages.shown[1].text.substr(0, 92),
              "2 file(s) replaced by hard links, 2048Kbytes freed.\r4 file(s) stayed as they were. The first");
    EXPECT_EQ(stillMarked, (std::vector<std::string>{"d.dat", "e.dat", "x.dat", "y.dat"}));
    const BY_HANDLE_FILE_INFORMATION kept = fileInformation(tree.path("a.dat"));
    EXPECT_EQ(kept.nNumberOfLinks, 3u);
    for (const char* name : {"b.dat", "c.dat"}) {
        const BY_HANDLE_FILE_INFORMATION linked = fileInformation(tree.path(name));
        EXPECT_EQ(linked.nFileIndexLow, kept.nFileIndexLow) << name;
        EXPECT_EQ(ReadWholeFile(tree.path(name)), bytes) << name;
    }
    // One file under both names now: a change through one is read through the other.
    writePath(tree.path("b.dat"), "edited");
    EXPECT_EQ(ReadWholeFile(tree.path("a.dat")), "edited");
    EXPECT_EQ(ReadWholeFile(tree.path("d.dat")), bytes);
    EXPECT_EQ(fileInformation(tree.path("d.dat")).nNumberOfLinks, 1u);
    EXPECT_EQ(ReadWholeFile(tree.path("e.dat")), std::string(1 << 20, 'M'));
    EXPECT_EQ(ReadWholeFile(tree.path("x.dat")), "only marked");
    size_t left = 0;  // no half-made link beside any file
    for (const auto& entry : std::filesystem::directory_iterator(tree.root())) left += entry.is_regular_file();
    EXPECT_EQ(left, 7u);
}

}  // namespace

namespace {

// What a link leaves where it can not be made, and what it counts where it
// is: a read-only kept copy beside a file held open, a name only the long
// form reaches, a file with a name outside the search, a file that already
// was its kept copy.
TEST_F(Deletion, LinkingLeavesNoNameBehindAndCountsOnlyWhatWasFreed) {
    const std::string bytes(1 << 20, 'L');
    for (const char* name : {"a.dat", "b.dat"}) tree.write(name, bytes);
    tree.writeExact("c.dat.", bytes);  // reached as "\\?\..." only
    const std::string half(1 << 19, 'H');
    for (const char* name : {"r.dat", "s.dat"}) tree.write(name, half);
    const std::string outside = out.path("s-elsewhere.dat");
    ASSERT_TRUE(CreateHardLinkW(Wide(outside).c_str(), Wide(tree.path("s.dat")).c_str(), nullptr));
    tree.write("p.dat", "other bytes");
    tree.write("q.dat", "other bytes");
    scan();
    SetReadOnly(tree.path("a.dat"), true);
    SetReadOnly(tree.path("s.dat"), true);
    // Made one file with its kept copy since the scan, which another program writes to.
    ASSERT_TRUE(DeleteFileW(Wide(tree.path("q.dat")).c_str()));
    ASSERT_TRUE(CreateHardLinkW(Wide(tree.path("q.dat")).c_str(), Wide(tree.path("p.dat")).c_str(), nullptr));
    HANDLE writer = CreateFileW(Wide(tree.path("p.dat")).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE held = CreateFileW(Wide(tree.path("b.dat")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    MessageRecorder messages({mb::kIdYes});
    open([&](HWND dialog, TRESVIEW& view) {
        for (const TRESVIEW::Node& n : view.Nodes())
            if (n.file && n.file->Name() != "a.dat" && n.file->Name() != "p.dat" && n.file->Name() != "r.dat")
                view.Mark(n.item);
        press(dialog, IDC_LINK_MARKED);
        close(dialog);
    });
    CloseHandle(held);
    CloseHandle(writer);
    ASSERT_EQ(messages.shown.size(), 2u);
    const std::string report = messages.shown[1].text;
    EXPECT_EQ(report.substr(0, report.find('\r')), "2 file(s) replaced by hard links, 1024Kbytes freed.") << report;
    const std::string rest = "\r1 file(s) already were their kept copy under another name (a hard link): nothing to "
                             "free.\r1 file(s) stayed as they were. The first: " + tree.path("b.dat") + ": ";
    EXPECT_EQ(report.substr(report.find('\r'), rest.size()), rest) << report;
    EXPECT_EQ(report.find("made beside it"), std::string::npos) << report;
    const BY_HANDLE_FILE_INFORMATION kept = fileInformation(tree.path("a.dat"));
    EXPECT_EQ(kept.nNumberOfLinks, 2u);
    EXPECT_TRUE(kept.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(fileInformation("\\\\?\\" + tree.path("c.dat.")).nFileIndexLow, kept.nFileIndexLow);
    EXPECT_EQ(fileInformation(tree.path("s.dat")).nFileIndexLow, fileInformation(tree.path("r.dat")).nFileIndexLow);
    // The name outside keeps the bytes, and the attribute, it had.
    const BY_HANDLE_FILE_INFORMATION elsewhere = fileInformation(outside);
    EXPECT_EQ(elsewhere.nNumberOfLinks, 1u);
    EXPECT_TRUE(elsewhere.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReadWholeFile(outside), half);
    EXPECT_EQ(fileInformation(tree.path("b.dat")).nNumberOfLinks, 1u);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tree.root()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "b.dat", "c.dat.", "p.dat", "q.dat", "r.dat", "s.dat"}));
}

}  // namespace
