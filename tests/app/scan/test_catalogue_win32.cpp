// The catalogue against what a Windows folder search reports.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "app/scan/catalogue.h"
#include "app/scan/detection.h"
#include "app/scan/folder_tree.h"
#include "app/scan/masks.h"
#include "common/win32/unique_handle.h"
#include "tests/support/program_state.h"
#include "tests/support/temp_folder.h"

namespace {

class WindowsCatalogueTest : public ::testing::Test {
protected:
    void TearDown() override { ResetProgramState(); }

    std::map<std::string, const TFILEINFO*> collectByName() {
        slFoldersToScan = {folder.entry()};
        EXPECT_TRUE(CollectFiles(list));
        std::map<std::string, const TFILEINFO*> byName;
        for (int i = 0; i < list->Count(); ++i) byName[std::string((*list)[i]->Name())] = (*list)[i];
        return byName;
    }

    TempFolder folder;
    std::unique_ptr<TFILELIST> list;
};

TEST_F(WindowsCatalogueTest, HiddenSystemAndReadOnlyFilesAreCatalogued) {
    struct Case {
        const char* name;
        DWORD attributes;
    };
    const Case cases[] = {
        {"hidden.txt", FILE_ATTRIBUTE_HIDDEN},
        {"system.txt", FILE_ATTRIBUTE_SYSTEM},
        {"readonly.txt", FILE_ATTRIBUTE_READONLY},
        {"all.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY},
    };
    for (const Case& c : cases) {
        std::string path = folder.write(c.name, c.name);
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), c.attributes)) << c.name;
    }
    std::string hiddenFolder = folder.makeFolder("hidden-folder");
    SetFileAttributesA(hiddenFolder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    auto byName = collectByName();
    ASSERT_EQ(byName.size(), std::size(cases));
    for (const Case& c : cases) {
        ASSERT_TRUE(byName.count(c.name)) << c.name;
        const TFILEINFO& f = *byName[c.name];
        EXPECT_EQ(f.Attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY),
                  c.attributes)
            << c.name;
        EXPECT_EQ(f.Size, static_cast<int64_t>(strlen(c.name)));
    }
}

TEST_F(WindowsCatalogueTest, ShortNameIsTheReportedEightDotThreeName) {
    std::string longName = "a long file name.text";
    folder.write(longName, "l");
    folder.write("SHORT.TXT", "s");
    auto byName = collectByName();
    ASSERT_TRUE(byName.count(longName));
    ASSERT_TRUE(byName.count("SHORT.TXT"));
    const std::string shortName(byName[longName]->ShortName());
    EXPECT_FALSE(shortName.empty());
    EXPECT_LE(shortName.size(), 12u);
    EXPECT_NE(shortName.find('~'), std::string::npos) << shortName;
    EXPECT_TRUE(byName["SHORT.TXT"]->ShortName().empty());

    // The short name reaches the same file.
    char shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(folder.path(longName).c_str(), shortPath, MAX_PATH), 0u);
    EXPECT_EQ(ReadWholeFile(shortPath), "l");
}

TEST_F(WindowsCatalogueTest, TimesAreLocalTimesOfTheFile) {
    std::string path = folder.write("dated.txt", "d");
    SYSTEMTIME wanted{};
    wanted.wYear = 2019;
    wanted.wMonth = 7;
    wanted.wDay = 14;
    wanted.wHour = 21;
    wanted.wMinute = 45;
    wanted.wSecond = 30;
    FILETIME local{}, utc{};
    ASSERT_TRUE(SystemTimeToFileTime(&wanted, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    {
        unique_file h(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h);
        ASSERT_TRUE(SetFileTime(h.get(), &utc, &utc, &utc));
    }
    auto byName = collectByName();
    ASSERT_TRUE(byName.count("dated.txt"));
    for (const platform::TimeStamp t : {platform::TimeStamp(byName["dated.txt"]->Written),
                                        platform::TimeStamp(byName["dated.txt"]->Created)}) {
        EXPECT_EQ(t.Year, 2019);
        EXPECT_EQ(t.Month, 7);
        EXPECT_EQ(t.Day, 14);
        EXPECT_EQ(t.Hour, 21);
        EXPECT_EQ(t.Minute, 45);
        EXPECT_EQ(t.Second, 30);
    }
}

TEST_F(WindowsCatalogueTest, FolderReachedByItsShortPathGivesTheSameFiles) {
    std::string longFolder = folder.makeFolder("folder with a long name");
    folder.write("folder with a long name/inside.txt", "i");
    char shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(longFolder.c_str(), shortPath, MAX_PATH), 0u);
    slFoldersToScan = {shortPath};
    ASSERT_TRUE(CollectFiles(list));
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ((*list)[0]->Name(), "inside.txt");
    char buffer[4];
    TFILEINFO& f = *(*list)[0];
    f.ReadFirstBlock(buffer, sizeof buffer);
    EXPECT_TRUE(f.HasChecksum);
    EXPECT_EQ(f.Checksum, 'i');
}

// A folder and a file named in characters the ANSI code page cannot hold: the
// code page form has "?" (masks and rules read it); their own names reach them.
TEST_F(WindowsCatalogueTest, NamesTheCodePageCannotHoldAreReachedByTheirOwnNames) {
    platform::setShortNamesReported(false);
    const std::wstring japanese = L"\x65e5\x672c\x8a9e";
    folder.writeExact(std::filesystem::path(japanese) / L"inside.txt", "same");
    folder.writeExact(japanese + L".txt", "same");
    std::vector<std::string> folders;
    EXPECT_EQ(ForEachFolderInTree(folder.entry(), [&](const std::string& f) { folders.push_back(f); }), 0);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].find('?'), std::string::npos) << folders[1];
    slFoldersToScan = folders;
    ASSERT_TRUE(CollectFiles(list));
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->FilesLeftOut + list->FoldersLeftOut, 0);
    auto results = FindDuplicates(*list);
    ASSERT_EQ(results->Count(), 2);
    std::set<std::string> stored, shown;
    for (int k = 0; k < 2; ++k) {
        stored.emplace((*list)[(*results)[k]->FileIndex]->Name());
        shown.emplace((*list)[(*results)[k]->FileIndex]->RealName());
    }
    EXPECT_EQ(stored, (std::set<std::string>{"inside.txt", "???.txt"}));
    EXPECT_EQ(shown, (std::set<std::string>{"inside.txt", "\u65E5\u672C\u8A9E.txt"}));
}

// A letter the code page lacks is never read as a look-alike: "ő.bin" beside
// a different "o.bin" is each read as itself, and a folder "ő-dir" is listed.
TEST_F(WindowsCatalogueTest, ANameIsNeverReadAsItsLookAlike) {
    folder.writeExact(L"\x0151.bin", "the first");
    folder.writeExact(L"o.bin", "the second");
    folder.writeExact(L"copy of the first.bin", "the first");
    folder.writeExact(L"copy of the second.bin", "the second");
    folder.writeExact(std::filesystem::path(L"\x0151-dir") / L"inside.txt", "the third");
    folder.writeExact(L"copy of the third.txt", "the third");
    std::vector<std::string> folders;
    EXPECT_EQ(ForEachFolderInTree(folder.entry(), [&](const std::string& f) { folders.push_back(f); }), 0);
    ASSERT_EQ(folders.size(), 2u);
    slFoldersToScan = folders;
    ASSERT_TRUE(CollectFiles(list));
    EXPECT_EQ(list->FilesLeftOut + list->FoldersLeftOut, 0);
    auto results = FindDuplicates(*list);
    EXPECT_EQ(results->Count(), 6);
    // Each group holds one content twice.
    std::map<std::string, std::set<std::string>> contents;
    for (int k = 0; k < results->Count(); ++k) {
        const TFILEINFO& f = *(*list)[(*results)[k]->FileIndex];
        contents[std::to_string((*results)[k]->Group)].insert(ReadWholeFile(f.AccessPath()));
    }
    for (const auto& [group, texts] : contents) EXPECT_EQ(texts.size(), 1u) << group;
    EXPECT_EQ(contents.size(), 3u);
}

}  // namespace
