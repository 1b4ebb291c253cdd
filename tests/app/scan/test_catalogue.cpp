#include "app/scan/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/options/options.h"
#include "app/scan/detection.h"
#include "app/scan/folder_tree.h"
#include "app/scan/masks.h"
#include "tests/app/scan/scan_fixture.h"
#include "tests/support/message_recorder.h"
#include "tests/support/temp_folder.h"

namespace {

// The scan fixture restores the inputs; collect() here never fills in a folder.
class CatalogueTest : public ScanFixture {
protected:
    static std::set<std::string> names(const TFILELIST& list, int folderIndex = -1) {
        std::set<std::string> out;
        for (int i = 0; i < list.Count(); ++i)
            if (folderIndex < 0 || list[i]->FolderIndex == folderIndex) out.emplace(list[i]->Name());
        return out;
    }

    static std::unique_ptr<TFILELIST> collect() {
        std::unique_ptr<TFILELIST> list;
        EXPECT_TRUE(CollectFiles(list));
        EXPECT_NE(list, nullptr);
        return list;
    }
};

TEST_F(CatalogueTest, TakesFilesNotFoldersAndNeverRecurses) {
    folder.write("a.txt", "aaa");
    folder.write("b.doc", "");
    folder.write("sub/inner.txt", "inner");
    folder.makeFolder("empty-sub");
    slFoldersToScan = {folder.entry()};
    auto list = collect();
    EXPECT_EQ(names(*list), (std::set<std::string>{"a.txt", "b.doc"}));
}

TEST_F(CatalogueTest, SkipsEveryNameThatBeginsWithADot) {
    folder.write(".profile", "p");
    folder.write("..odd", "p");
    folder.write(".hidden.txt", "p");
    folder.write("visible.txt", "p");
    slFoldersToScan = {folder.entry()};
    slIncludedFiles = {"*"};
    auto list = collect();
    std::set<std::string> expected = {"visible.txt"};
    EXPECT_EQ(names(*list), expected);
}

TEST_F(CatalogueTest, AppliesIncludeAndExcludeMasksToTheNameOnly) {
    folder.write("photo.JPG", "1");
    folder.write("thumb01.jpg", "2");
    folder.write("notes.txt", "3");
    std::string sub = folder.makeFolder("pictures.jpg");
    slFoldersToScan = {folder.entry(), sub};
    folder.write("pictures.jpg/inside.txt", "4");
    slIncludedFiles = {"*.jpg"};
    slExcludedFiles = {"thumb*"};
    auto list = collect();
    EXPECT_EQ(names(*list), (std::set<std::string>{"photo.JPG"}));

    SetUnixWildcards(true);
    slIncludedFiles = {"[pn]*"};
    slExcludedFiles = {};
    list = collect();
    EXPECT_EQ(names(*list), (std::set<std::string>{"photo.JPG", "notes.txt"}));
}

// The size floor: files below it, and empty ones when asked, are not listed
// at all (nor counted as left out); the typed floor is a plain byte count.
TEST_F(CatalogueTest, FilesBelowTheSizeFloorAreNotListed) {
    for (const auto& [name, size] : {std::pair<const char*, size_t>{"empty", 0}, {"one", 1}, {"99", 99}, {"100", 100},
                                     {"5000", 5000}})
        folder.write(name, std::string(size, 'x'));
    slFoldersToScan = {folder.entry()};
    struct Case {
        int32_t floor;
        bool skipEmpty;
        std::set<std::string> listed;
    } cases[] = {{0, false, {"empty", "one", "99", "100", "5000"}},
                 {0, true, {"one", "99", "100", "5000"}},
                 {1, false, {"one", "99", "100", "5000"}},
                 {100, false, {"100", "5000"}},
                 {100, true, {"100", "5000"}},
                 {kMaxSkipSmallerThan, false, {}}};
    for (const Case& c : cases) {
        lSkipSmallerThan = c.floor;
        bSkipEmptyFiles = c.skipEmpty;
        auto list = collect();
        EXPECT_EQ(names(*list), c.listed) << c.floor << " " << c.skipEmpty;
        EXPECT_EQ(list->FilesLeftOut, 0) << c.floor;
    }

    const std::pair<const char*, int32_t> typed[] = {{"", 0}, {"  ", 0}, {" 4096 ", 4096}, {"0", 0},
                                                     {"2147483647", kMaxSkipSmallerThan}, {"2147483648", -1},
                                                     {"99999999999999999999", -1}, {"-1", -1}, {"1e3", -1},
                                                     {"10 000", -1}, {"\xd9\xa3", -1}};
    for (const auto& [text, expected] : typed) {
        int32_t bytes = 7;
        EXPECT_EQ(ParseSkipSmallerThan(text, bytes), expected >= 0) << text;
        EXPECT_EQ(bytes, expected >= 0 ? expected : 7) << text;
    }
}

TEST_F(CatalogueTest, MissingFoldersGiveNoFilesButAreCounted) {
    folder.write("one.txt", "1");
    folder.makeFolder("empty");
    MessageRecorder messages;
    slFoldersToScan = {folder.path("gone") + "\\", folder.entry(), folder.path("also-gone"), folder.path("empty")};
    auto list = collect();
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ((*list)[0]->FolderIndex, 1);
    EXPECT_TRUE(messages.shown.empty());  // the Run command tells the user, once
    EXPECT_EQ(list->FoldersLeftOut, 2);
    EXPECT_EQ(LeftOutText(*list), "The search left out 2 folder(s) of the list that could not be opened.");

    slFoldersToScan.clear();
    list = collect();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(LeftOutText(*list), "");
}

// A record keeps what the listing said in less room: nothing may be lost.
TEST(CatalogueRecord, KeepsTimesAndNamesWhole) {
    // The three names share one block: each must come back alone and whole,
    // the longest a system lists included (255 characters of three bytes).
    const std::string longest = [] {
        std::string s;
        for (int k = 0; k < 255; ++k) s += "\xE6\x97\xA5";
        return s;
    }();
    struct Case {
        std::string name, real, shortName, realKept, shortKept;
    };
    const Case cases[] = {
        {"name", "", "", "name", ""},
        {"name", "name", "A", "name", "A"},
        {"a.txt", "", "ABCDEFGH.XYZ", "a.txt", "ABCDEFGH.XYZ"},
        {"name", "", "ABCDEFGHI.XYZ", "name", ""},  // no 8.3 name runs longer
        {"?.txt", "\xE6\x97\xA5.txt", "7E3F~1.TXT", "\xE6\x97\xA5.txt", "7E3F~1.TXT"},
        {std::string(255, '?'), longest, "", longest, ""},
        {std::string(255, 'x'), "", "XXXXXX~1", std::string(255, 'x'), "XXXXXX~1"},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        platform::FindData d;
        d.Name = c.name;
        d.RealName = c.real;
        d.ShortName = c.shortName;
        const TFILEINFO record(0, d);
        EXPECT_EQ(record.Name(), c.name);
        EXPECT_EQ(record.RealName(), c.realKept) << c.name;
        EXPECT_EQ(record.ShortName(), c.shortKept) << c.name;
    }
    const platform::TimeStamp times[] = {{2026, 12, 3, 9, 23, 59, 59, 999}, {1601, 1, 1, 1, 0, 0, 0, 0},
                                         {30827, 12, 6, 31, 23, 59, 59, 999}};
    for (const platform::TimeStamp& t : times) {
        const platform::TimeStamp back = TPACKEDTIME(t);
        EXPECT_EQ(std::memcmp(&back, &t, sizeof t), 0) << t.Year;
    }
    // Later to the second sorts later; the weekday and milliseconds do not count.
    platform::TimeStamp a = times[0], b = times[0];
    b.Milliseconds = 0;
    b.DayOfWeek = 0;
    EXPECT_EQ(TPACKEDTIME(a).Key(), TPACKEDTIME(b).Key());
    b.Second = 58;
    EXPECT_GT(TPACKEDTIME(a).Key(), TPACKEDTIME(b).Key());
    b = times[0];
    b.Year = 2025;
    b.Month = 12;
    EXPECT_GT(TPACKEDTIME(a).Key(), TPACKEDTIME(b).Key());
}

TEST(FileNames, DevicesAndNamesTheSystemCannotOpenAsListed) {
    struct Case {
        const char* name;
        bool device;
        bool usable;  // created as written by a plain call
    };
    const bool trailingDotsKept = platform::namesKeepTrailingDots();  // not on Windows
    const Case cases[] = {
        {"aux.c", true, true},         {"COM1.dat", true, true},         {"nul.txt", true, true},
        {"Lpt9", true, true},          {"con .txt", true, true},         {"com0.txt", false, true},
        {"console.txt", false, true},  {"auxiliary", false, true},       {"notes.", false, trailingDotsKept},
        {"trail ", false, trailingDotsKept}, {"what?.txt", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsDeviceName(c.name), c.device) << c.name;
        EXPECT_EQ(UsableName(c.name), c.usable) << c.name;
    }
}

// Devices behind file names, names the plain calls would take for others,
// and paths past MAX_PATH: each is reached and read by its own name, with no
// 8.3 name to fall back on (as on a volume that keeps none).
TEST_F(CatalogueTest, EveryListedNameIsReachedAsItself) {
    platform::setShortNamesReported(false);
    for (const char* device : {"aux.c", "com1.dat", "nul.txt", "LPT3", "con.a longer extension"})
        folder.writeExact(device, "device?");
    folder.writeExact("notes.", "with a dot");
    folder.writeExact("notes", "without dot");
    const std::string deep = std::string(240 - folder.entry().size(), 'd');
    folder.writeExact(std::filesystem::path(deep) / "first copy of twenty.txt", "copy");
    folder.writeExact(std::filesystem::path(deep) / "other copy of twenty.txt", "copy");
    slFoldersToScan = {folder.entry(), folder.path(deep)};
    auto list = collect();
    platform::setShortNamesReported(true);
    const std::set<std::string> expected = {"aux.c", "com1.dat", "nul.txt", "LPT3", "con.a longer extension",
                                            "notes", "notes.", "first copy of twenty.txt", "other copy of twenty.txt"};
    EXPECT_EQ(names(*list), expected);
    for (int i = 0; i < list->Count(); ++i) {
        TFILEINFO& f = *(*list)[i];
        std::string bytes(32, '\0');
        f.ReadFirstBlock(bytes.data(), 32);
        bytes.resize(static_cast<size_t>(f.Size));
        const std::string wanted = f.Name() == "notes." ? "with a dot" : f.Name() == "notes" ? "without dot"
                                   : f.Name().find("copy") != std::string::npos ? "copy" : "device?";
        EXPECT_EQ(bytes, wanted) << f.Name();
    }
    auto results = FindDuplicates(*list);
    EXPECT_EQ(list->FilesLeftOut, 0);
    EXPECT_EQ(results->Count(), 7);  // the five "devices", and the two copies deep down
}

TEST_F(CatalogueTest, KeepsFolderListOrderAndRecordsTheFolderIndex) {
    std::string first = folder.makeFolder("first");
    std::string second = folder.makeFolder("second");
    folder.write("first/x1", "1");
    folder.write("first/x2", "22");
    folder.write("second/y1", "333");
    slFoldersToScan = {second, first};
    auto list = collect();
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ((*list)[0]->Name(), "y1");
    EXPECT_EQ(names(*list, 0), (std::set<std::string>{"y1"}));
    EXPECT_EQ(names(*list, 1), (std::set<std::string>{"x1", "x2"}));
}

TEST_F(CatalogueTest, RecordsStartClosedWithoutChecksum) {
    folder.write("data.bin", std::string(1000, 'z'));
    slFoldersToScan = {folder.entry()};
    auto list = collect();
    ASSERT_EQ(list->Count(), 1);
    const TFILEINFO& f = *(*list)[0];
    EXPECT_EQ(f.Size, 1000);
    EXPECT_FALSE(f.IsOpen);
    EXPECT_FALSE(f.HasChecksum);
    EXPECT_EQ(f.Checksum, -1);
    EXPECT_FALSE(f.Grouped);
    EXPECT_FALSE(f.Deleted);
    EXPECT_EQ(f.Attributes & (platform::kAttrDirectory | platform::kAttrReadOnly), 0u);
    platform::TimeStamp now = platform::localTime();
    EXPECT_EQ(f.Written.Year, now.Year);
    EXPECT_GE(f.Written.Month, 1);
    EXPECT_LE(f.Written.Month, 12);
}

TEST_F(CatalogueTest, RecordsKeepTheFolderListOfTheirScan) {
    std::string first = folder.makeFolder("first");
    std::string second = folder.makeFolder("second");
    folder.write("first/a.txt", "1");
    folder.write("second/b.txt", "2");
    slFoldersToScan = {first, second};
    auto list = collect();
    ASSERT_EQ(list->Count(), 2);
    // The folders dialog changes the list while the results are still shown.
    slFoldersToScan = {second};
    auto full = [](std::string dir, std::string_view name) {
        if (dir.back() == '\\') dir.pop_back();
        return dir.append("\\").append(name);
    };
    for (int i = 0; i < list->Count(); ++i) {
        const TFILEINFO& f = *(*list)[i];
        EXPECT_EQ(f.FullPath(), full(f.Name() == "a.txt" ? first : second, f.Name()));
    }
}

TEST_F(CatalogueTest, ReadOnlyFilesAreCataloguedWithTheirAttribute) {
    std::string path = folder.write("ro.txt", "r");
    SetReadOnly(path, true);
    slFoldersToScan = {folder.entry()};
    auto list = collect();
    ASSERT_EQ(list->Count(), 1);
    EXPECT_NE((*list)[0]->Attributes & platform::kAttrReadOnly, 0u);
}

TEST_F(CatalogueTest, FolderPathDropsOneTrailingBackslash) {
    struct Case {
        const char* entry;
        const char* folderPath;
        const char* fullPath;
    };
    const Case cases[] = {
        {"C:\\Data\\", "C:\\Data", "C:\\Data\\f.txt"},
        {"C:\\Data", "C:\\Data", "C:\\Data\\f.txt"},
        {"C:\\", "C:", "C:\\f.txt"},
        {"\\\\server\\share\\dir\\\\", "\\\\server\\share\\dir\\", "\\\\server\\share\\dir\\\\f.txt"},
    };
    platform::FindData found;
    found.Name = "f.txt";
    for (const Case& c : cases) {
        slFoldersToScan = {"unused", c.entry};
        TFILEINFO f(1, found);
        EXPECT_EQ(f.FolderPath(), c.folderPath);
        EXPECT_EQ(f.FullPath(), c.fullPath);
    }
}

// A drive letter mapped onto another drive's folder can report another volume
// serial for the same file: index, size and times still tell it.
TEST(FileIdentity, OneFileOnAnyVolumeWhenIndexSizeAndTimesAgree) {
    const platform::FileIdentity file{1, 77, 10, 500, 600};
    struct Case {
        platform::FileIdentity other;
        bool same;
    };
    const Case cases[] = {
        {{1, 77, 10, 500, 600}, true},  {{2, 77, 10, 500, 600}, true},  {{1, 77, 11, 501, 601}, true},
        {{1, 78, 10, 500, 600}, false}, {{2, 77, 10, 500, 601}, false}, {{2, 77, 11, 500, 600}, false},
        // The volume not asked: index, size and times decide.
        {{1, 77, 10, 500, 600, false}, true}, {{1, 77, 11, 500, 600, false}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::SameFile(file, c.other), c.same) << c.other.volume;
}

TEST(BlockChecksum, RotatesAndXors) {
    EXPECT_EQ(BlockChecksum("", 0), 0);
    EXPECT_EQ(BlockChecksum("abc", 3), 0x123);
    EXPECT_EQ(BlockChecksum("\0\0\0\0", 4), 0);
    // 33 bytes of 0xFF: the rotation carries the top bit round to bit 0
    std::string ff(33, '\xFF');
    uint32_t expected = 0;
    for (int i = 0; i < 33; ++i) expected = ((expected << 1) | (expected >> 31)) ^ 0xFFu;
    EXPECT_EQ(static_cast<uint32_t>(BlockChecksum(ff.data(), 33)), expected);
    EXPECT_EQ(static_cast<uint32_t>(BlockChecksum("\x80", 1)), 0x80u);
}

#ifndef _WIN32
// A pipe or a folder opened where a file was expected (Wine lists a FIFO as
// an empty file) never holds the scan up, and asked of the open file it has
// no identity, so it never passes for a file.
// A link to a folder above it (or beside it) does not walk the tree again:
// every folder once, so every file is catalogued once.
TEST_F(CatalogueTest, AFolderReachedAgainThroughALinkIsWalkedOnce) {
    folder.write("a/b/one.txt", "same");
    folder.write("a/two.txt", "same");
    std::filesystem::create_directory_symlink(folder.root() / "a", folder.root() / "a" / "b" / "up");
    std::filesystem::create_directory_symlink(folder.root() / "a" / "b", folder.root() / "beside");
    std::vector<std::string> folders;
    EXPECT_EQ(ForEachFolderInTree(folder.entry(), [&](const std::string& f) { folders.push_back(f); }), 0);
    EXPECT_EQ(folders.size(), 3u);  // the root, a, a/b
    slFoldersToScan = folders;
    auto list = collect();
    EXPECT_EQ(list->Count(), 2);
}

TEST_F(CatalogueTest, OnlyDiskFilesPassForFiles) {
    const std::string fifo = folder.path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    platform::FileIdentity identity;
    for (const std::string& path : {fifo, folder.entry()}) {
        platform::File file;
        char buffer[4];
        if (file.open(path)) {
            EXPECT_LE(file.read(buffer, 4), 0) << path;  // returns at once
        }
        EXPECT_FALSE(file.identity(identity)) << path;
    }
    platform::File file;
    ASSERT_TRUE(file.open(folder.write("plain", "p")));
    EXPECT_TRUE(file.identity(identity));
}
#endif

class FileRecordTest : public CatalogueTest {
protected:
    std::unique_ptr<TFILELIST> catalogue(const std::string& name, const std::string& content) {
        folder.write(name, content);
        slFoldersToScan = {folder.entry()};
        slIncludedFiles = {name};
        return collect();
    }
};

TEST_F(FileRecordTest, ReadsRewindsAndChecksumsTheFirstRead) {
    auto list = catalogue("abcdef.txt", "abcdef");
    TFILEINFO& f = *(*list)[0];
    char buffer[16] = {};
    ASSERT_TRUE(f.Open());
    EXPECT_TRUE(f.IsOpen);
    EXPECT_EQ(f.ReadBlock(buffer, 3), 3);
    EXPECT_TRUE(f.HasChecksum);
    EXPECT_EQ(f.Checksum, 0x123);  // "abc"
    EXPECT_EQ(f.ReadBlock(buffer, 16), 3);
    EXPECT_EQ(std::string(buffer, 3), "def");
    EXPECT_EQ(f.Checksum, 0x123);  // later reads leave it alone
    EXPECT_EQ(f.ReadBlock(buffer, 16), 0);
    EXPECT_TRUE(f.Rewind());
    EXPECT_EQ(f.ReadBlock(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "ab");
    EXPECT_TRUE(f.Open());  // open again means rewind
    EXPECT_EQ(f.ReadBlock(buffer, 1), 1);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_TRUE(f.Close());
    EXPECT_FALSE(f.IsOpen);
    EXPECT_TRUE(f.Close());  // closing a closed record is fine
    EXPECT_EQ(f.ReadBlock(buffer, 1), -1);
    EXPECT_TRUE(f.Rewind());  // rewinding a closed record opens it
    EXPECT_TRUE(f.IsOpen);
}

TEST_F(FileRecordTest, FirstBlockChecksumCoversAtMostTheFileSize) {
    auto list = catalogue("abc.bin", "abc");
    TFILEINFO& f = *(*list)[0];
    char buffer[512];
    f.ReadFirstBlock(buffer, sizeof buffer);
    EXPECT_FALSE(f.IsOpen);
    EXPECT_TRUE(f.HasChecksum);
    EXPECT_EQ(f.Checksum, 0x123);
}

TEST_F(FileRecordTest, EmptyFileHasChecksumZero) {
    auto list = catalogue("empty.bin", "");
    TFILEINFO& f = *(*list)[0];
    char buffer[64];
    f.ReadFirstBlock(buffer, sizeof buffer);
    EXPECT_TRUE(f.HasChecksum);
    EXPECT_EQ(f.Checksum, 0);
}

TEST_F(FileRecordTest, AVanishedFileCannotBeOpened) {
    auto list = catalogue("gone.bin", "abc");
    TFILEINFO& f = *(*list)[0];
    std::filesystem::remove(folder.path("gone.bin"));
    EXPECT_FALSE(f.Open());
    EXPECT_FALSE(f.IsOpen);
    char buffer[8];
    f.ReadFirstBlock(buffer, sizeof buffer);
    EXPECT_FALSE(f.HasChecksum);
    EXPECT_EQ(f.Checksum, -1);
}

TEST_F(FileRecordTest, DeleteFromDiskClosesAndRemovesEvenReadOnlyFiles) {
    // Read-only before it is listed: made so afterwards, its change time
    // would have moved and the open would find it changed.
    folder.write("victim.txt", "bye");
    SetReadOnly(folder.path("victim.txt"), true);
    slFoldersToScan = {folder.entry()};
    auto list = collect();
    TFILEINFO& f = *(*list)[0];
    ASSERT_TRUE(f.Open());
    MessageRecorder messages;
    EXPECT_TRUE(f.DeleteFromDisk());
    EXPECT_FALSE(f.IsOpen);
    EXPECT_FALSE(FileExists(folder.path("victim.txt")));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CatalogueTest, ManyFilesInOneFolder) {
    for (int i = 0; i < 500; ++i) folder.write("f" + std::to_string(i) + ".dat", std::to_string(i));
    slFoldersToScan = {folder.entry()};
    slExcludedFiles = {"f1*"};
    auto list = collect();
    EXPECT_EQ(list->Count(), 500 - 111);  // f1, f10-f19, f100-f199
}

}  // namespace
