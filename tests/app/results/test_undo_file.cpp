#include "app/results/undo_file.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "tests/support/crlf_lines.h"
#include "tests/support/temp_folder.h"

namespace {

const UndoTexts kTexts = {"Version 1.00 Build 1", "06.12.2026 10:11:12", "SCRIPT\r\n\r\n"};

// One line a deleted file, which never overwrites what stands at its path.
TEST(UndoFile, SimpleFormForOneCopyHasThreeLines) {
    const std::string text = UndoHeader(false, kTexts) + UndoEntry(false, "C:\\Data\\kept.txt", "C:\\Old\\gone.txt", 1, true) +
                             UndoFooter(false);
    EXPECT_EQ(CrlfLines(text),
              (std::vector<std::string>{"@echo off", "echo This undo bat-file was created 06.12.2026 10:11:12",
                                        "if exist \"C:\\Old\\gone.txt\" (echo \"C:\\Old\\gone.txt\" is there already and "
                                        "was not overwritten.) else copy /b \"C:\\Data\\kept.txt\" \"C:\\Old\\gone.txt\""}));
}

TEST(UndoFile, EnhancedHeaderAndFooter) {
    const auto header = CrlfLines(UndoHeader(true, kTexts));
    const std::vector<std::string> start = {"@echo off",
                                            "if \"%1\"==\"norestart\" goto doundo",
                                            "if \"%3\"==\"outtofile\" goto outtofile",
                                            "setlocal",
                                            "call :doundo norestart %1 %2",
                                            "goto exitundo",
                                            ":outtofile",
                                            "setlocal",
                                            "call :doundo norestart %1 %2 > %4",
                                            "goto exitundo",
                                            ":doundo",
                                            "echo This enhanced undo bat-file was created by VarnokScan program."};
    ASSERT_EQ(header.size(), start.size() + 4);
    EXPECT_EQ(std::vector<std::string>(header.begin(), header.begin() + 12), start);
    EXPECT_EQ(header[12].rfind("echo VarnokScan Version 1.00 Build 1", 0), 0u);
    EXPECT_EQ(header[13], "SCRIPT");  // the script text as it is, with its empty last line
    EXPECT_EQ(header[14], "");
    EXPECT_EQ(header[15], "echo This undo bat-file was created 06.12.2026 10:11:12");
    EXPECT_EQ(CrlfLines(UndoFooter(true)), (std::vector<std::string>{"goto allfolks", ":exitundo"}));
}

// Each entry keeps its six lines, then carries its own commands with its paths
// written out (never read back through a variable) behind the ":step" its goto reaches.
TEST(UndoFile, EnhancedEntryKeepsItsSixLinesAndWritesItsPathsOut) {
    const std::vector<std::string> first = CrlfLines(UndoEntry(true, "C:\\k1", "C:\\a&b", 1, true));
    const std::vector<std::string> other = CrlfLines(UndoEntry(true, "C:\\k1", "C:\\100%~dp0", 12, false));
    ASSERT_GT(first.size(), 7u);
    ASSERT_GT(other.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 7),
              (std::vector<std::string>{"set \"filein=C:\\k1\"", "set \"fileout=C:\\a&b\"", "set nFile=1",
                                        "set nextpoint=nf000001", "goto %fileop%", ":nf000001", ":step"}));
    EXPECT_EQ(std::vector<std::string>(other.begin(), other.begin() + 7),
              (std::vector<std::string>{"set \"filein=C:\\k1\"", "set \"fileout=C:\\100%%~dp0\"", "set nFile=0",
                                        "set nextpoint=nf000012", "goto %fileop%", ":nf000012", ":step"}));
    const std::string text = UndoEntry(true, "C:\\k1", "C:\\100%~dp0", 12, false);
    EXPECT_NE(text.find("copy /b \"C:\\k1\" \"C:\\100%%~dp0\" > NUL:"), std::string::npos) << text;
    EXPECT_EQ(text.find("%%b"), std::string::npos) << "no for-variable carries a name";
    EXPECT_EQ(text.find(":step", text.find(":step") + 1), std::string::npos) << "one step an entry";
}

TEST(UndoFile, PathsAreQuotedAndPercentSignsDoubled) {
    EXPECT_EQ(BatchQuoted("C:\\a b&c^d(1)!e.txt"), "\"C:\\a b&c^d(1)!e.txt\"");
    EXPECT_EQ(BatchQuoted("C:\\50%off%PATH%.txt"), "\"C:\\50%%off%%PATH%%.txt\"");
}

// cmd.exe reads the file in the OEM code page; a path it cannot hold, or a
// name that would be created as another, cannot be brought back. Paths come
// as the file system names them (UTF-8).
TEST(UndoFile, WhatAnUndoFileCanRestore) {
    struct Case {
        const char* path;
        bool restorable;
        const char* oem;  // the path as written (code page 437 here)
    };
    const Case cases[] = {
        {"C:\\Caf\u00E9 \u00F1\\na\u00EFve.txt", true, "C:\\Caf\x82 \xA4\\na\x8Bve.txt"},
        {"C:\\R&D (old) ^!;,='`\\100% sure.txt", true, "C:\\R&D (old) ^!;,='`\\100% sure.txt"},
        {"C:\\x\\\u00F8re.txt", false, "C:\\x\\?re.txt"},
        {"C:\\x\\\u65E5\u672C.txt", false, "C:\\x\\??.txt"},
        {"C:\\x\\???.txt", false, "C:\\x\\???.txt"},
        {"C:\\x\\notes.", false, "C:\\x\\notes."},
        {"C:\\x\\aux.c", false, "C:\\x\\aux.c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UndoCanRestore("C:\\kept.txt", c.path), c.restorable) << c.path;
        std::string oem;
        UndoFileText(c.path, oem);
        EXPECT_EQ(oem, c.oem) << c.path;
    }
    EXPECT_FALSE(UndoCanRestore("C:\\\u00F8\\kept.txt", "C:\\x.txt"));  // nor can a source it cannot name
    EXPECT_FALSE(UndoCanRestore("C:\\kept.txt", "C:\\" + std::string(300, 'x')));
}

TEST(UndoFile, LabelsAndDefaultName) {
    EXPECT_EQ(EntryLabel(1), "nf000001");
    EXPECT_EQ(EntryLabel(999999), "nf999999");
    EXPECT_EQ(EntryLabel(1000000), "nf1000000");
    const platform::TimeStamp saved = ProgramStartTime;
    ProgramStartTime = {2026, 12, 0, 6, 10, 0, 0, 0};
    SetDateTimeFormats({"dd.MM.yyyy", "HH:mm:ss", "Am", "Pm"});
    EXPECT_EQ(DefaultUndoName(), "Restore to 06-12-2026.bat");
    SetDateTimeFormats({"M/d/yyyy", "HH:mm:ss", "Am", "Pm"});
    EXPECT_EQ(DefaultUndoName(), "Restore to 12-6-2026.bat");
    SetDateTimeFormats({"yyyy\\MM\\dd", "HH:mm:ss", "Am", "Pm"});
    EXPECT_EQ(DefaultUndoName(), "Restore to 2026-12-06.bat");
    // A second deletion on the same day is offered a name of its own.
    TempFolder folder;
    EXPECT_EQ(UnusedUndoName(folder.entry()), "Restore to 2026-12-06.bat");
    folder.write("Restore to 2026-12-06.bat", "first");
    folder.write("Restore to 2026-12-06 (2).bat", "second");
    EXPECT_EQ(UnusedUndoName(folder.entry()), "Restore to 2026-12-06 (3).bat");
    SetDateTimeFormats(DateTimeFormats{});
    ProgramStartTime = saved;
}

}  // namespace
