#include "app/results/undo_file.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "tests/support/crlf_lines.h"

namespace {

const UndoTexts kTexts = {"C:\\WINDOWS\\COMMAND.COM", "Version 1.00 Build 1", "06.12.2026 10:11:12", "SCRIPT\r\n\r\n"};

TEST(UndoFile, SimpleFormForOneCopyHasThreeLines) {
    int32_t counter = 1;
    const std::string text = UndoHeader(false, kTexts) +
                             UndoGroupEntries(false, "C:\\Data\\kept.txt", {"C:\\Old\\gone.txt"}, counter) +
                             UndoFooter(false);
    EXPECT_EQ(CrlfLines(text), (std::vector<std::string>{"@echo off", "echo This undo bat-file was created 06.12.2026 10:11:12",
                                                     "copy /b \"C:\\Data\\kept.txt\" \"C:\\Old\\gone.txt\""}));
}

TEST(UndoFile, EnhancedHeaderAndFooter) {
    const auto header = CrlfLines(UndoHeader(true, kTexts));
    ASSERT_EQ(header.size(), 14u);
    EXPECT_EQ(header[0], "@echo off");
    EXPECT_EQ(header[1], "if \"%1\"==\"norestart\" goto doundo");
    EXPECT_EQ(header[2], "if \"%3\"==\"outtofile\" goto outtofile");
    EXPECT_EQ(header[3], "C:\\WINDOWS\\COMMAND.COM C:\\WINDOWS\\ /e:5000 /c %0 norestart %1 %2");
    EXPECT_EQ(header[4], "goto exitundo");
    EXPECT_EQ(header[5], ":outtofile");
    EXPECT_EQ(header[6], "C:\\WINDOWS\\COMMAND.COM C:\\WINDOWS\\ /e:5000 /c %0 norestart %1 %2 > %4");
    EXPECT_EQ(header[7], "goto exitundo");
    EXPECT_EQ(header[8], ":doundo");
    EXPECT_EQ(header[9], "echo This enhanced undo bat-file was created by VarnokScan program.");
    EXPECT_EQ(header[10].rfind("echo VarnokScan Version 1.00 Build 1", 0), 0u);
    EXPECT_EQ(header[11], "SCRIPT");  // the script text as it is, with its empty last line
    EXPECT_EQ(header[12], "");
    EXPECT_EQ(header[13], "echo This undo bat-file was created 06.12.2026 10:11:12");
    EXPECT_EQ(CrlfLines(UndoFooter(true)), (std::vector<std::string>{"goto allfolks", ":exitundo"}));
}

TEST(UndoFile, EnhancedEntriesAreNumberedAcrossGroups) {
    int32_t counter = 1;
    std::string text = UndoGroupEntries(true, "C:\\k1", {"C:\\a", "C:\\b"}, counter);
    text += UndoGroupEntries(true, "C:\\k2", {"C:\\c"}, counter);
    EXPECT_EQ(counter, 4);
    EXPECT_EQ(CrlfLines(text),
              (std::vector<std::string>{"set \"filein=C:\\k1\"", "set \"fileout=C:\\a\"", "set nFile=1",
                                        "set nextpoint=nf000001", "goto %fileop%", ":nf000001",
                                        "set \"filein=C:\\k1\"", "set \"fileout=C:\\b\"", "set nFile=0",
                                        "set nextpoint=nf000002", "goto %fileop%", ":nf000002",
                                        "set \"filein=C:\\k2\"", "set \"fileout=C:\\c\"", "set nFile=1",
                                        "set nextpoint=nf000003", "goto %fileop%", ":nf000003"}));
}

TEST(UndoFile, PathsAreQuotedAndPercentSignsDoubled) {
    EXPECT_EQ(BatchQuoted("C:\\a b&c^d(1)!e.txt"), "\"C:\\a b&c^d(1)!e.txt\"");
    EXPECT_EQ(BatchQuoted("C:\\50%off%PATH%.txt"), "\"C:\\50%%off%%PATH%%.txt\"");
    int32_t counter = 1;
    EXPECT_EQ(CrlfLines(UndoGroupEntries(false, "", {"C:\\x%y"}, counter)),
              (std::vector<std::string>{"copy /b \"\" \"C:\\x%%y\""}));  // no copy stayed: an empty source
}

TEST(UndoFile, LabelsComspecAndDefaultName) {
    EXPECT_EQ(EntryLabel(1), "nf000001");
    EXPECT_EQ(EntryLabel(999999), "nf999999");
    EXPECT_EQ(EntryLabel(1000000), "nf1000000");
    EXPECT_EQ(ComspecFolder("C:\\WINDOWS\\system32\\cmd.exe"), "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(ComspecFolder("A:COMMAND.COM"), "A:");
    EXPECT_EQ(ComspecFolder("command.com"), "");
    EXPECT_EQ(ComspecFolder("/bin/sh"), "/bin/");
    const platform::TimeStamp saved = ProgramStartTime;
    ProgramStartTime = {2026, 12, 0, 6, 10, 0, 0, 0};
    SetDateTimeFormats({"dd.MM.yyyy", "HH:mm:ss", "Am", "Pm"});
    EXPECT_EQ(DefaultUndoName(), "Restore to 06-12-2026.bat");
    SetDateTimeFormats({"M/d/yyyy", "HH:mm:ss", "Am", "Pm"});
    EXPECT_EQ(DefaultUndoName(), "Restore to 12-6-2026.bat");
    SetDateTimeFormats({"yyyy\\MM\\dd", "HH:mm:ss", "Am", "Pm"});
    EXPECT_EQ(DefaultUndoName(), "Restore to 2026-12-06.bat");
    SetDateTimeFormats(DateTimeFormats{});
    ProgramStartTime = saved;
}

}  // namespace
