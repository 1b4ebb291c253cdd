#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/app/scan/reference_detection.h"
#include "tests/app/scan/scan_fixture.h"
#include "tests/support/failing_allocation.h"

namespace {

using Detection = ScanFixture;

TEST(Results, GroupNumbersAreTakenOnlyWhenItemsAreAdded) {
    TRESULTS results;
    results.NewGroup();
    EXPECT_EQ(results.CurrentGroup, 1);
    results.NewGroup();
    EXPECT_EQ(results.CurrentGroup, 1);
    results.AddToGroup(4);
    results.AddToGroup(2);
    results.NewGroup();
    EXPECT_EQ(results.CurrentGroup, 2);
    results.AddToGroup(7);
    ASSERT_EQ(results.Count(), 3);
    EXPECT_EQ(results[1]->Group, 1);
    EXPECT_EQ(results[1]->FileIndex, 2);
    EXPECT_EQ(results[2]->Group, 2);
}

platform::FindData record(const char* name, int64_t size, uint32_t attributes = 0x20, int writtenSecond = 0) {
    platform::FindData d;
    d.Name = name;
    d.Size = size;
    d.Attributes = attributes;
    d.Written.Year = 2020;
    d.Written.Second = static_cast<uint16_t>(writtenSecond);
    return d;
}

TEST(StandardOrder, FirstDifferenceDecides) {
    struct Case {
        platform::FindData a;
        int folderA;
        platform::FindData b;
        int folderB;
        int sign;  // of StandardOrder(a, b)
    };
    const Case cases[] = {
        {record("x", 10), 0, record("x", 9), 0, -1},           // larger size first
        {record("b", 10), 0, record("a", 10), 0, -1},          // name descending
        {record("B", 10), 0, record("a", 10), 0, 1},           // by bytes: "a" > "B"
        {record("ab", 10), 0, record("a", 10), 0, -1},         // a prefix comes after
        {record("\xE9", 10), 0, record("z", 10), 0, -1},       // bytes are unsigned
        {record("a", 10, 0x21), 0, record("a", 10, 0x20), 0, -1},
        {record("a", 10, 0x20, 5), 0, record("a", 10, 0x20, 4), 0, -1},  // later written first
        {record("a", 10), 2, record("a", 10), 1, -1},          // larger folder index first
        {record("a", 10), 1, record("a", 10), 1, 0},
    };
    for (const Case& c : cases) {
        TFILEINFO a(c.folderA, c.a), b(c.folderB, c.b);
        int r = StandardOrder(&a, &b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a.Name << " / " << c.b.Name;
        int back = StandardOrder(&b, &a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign);
    }
    // weekday and milliseconds do not count
    platform::FindData x = record("a", 1), y = record("a", 1);
    y.Written.Milliseconds = 999;
    y.Written.DayOfWeek = 3;
    TFILEINFO fx(0, x), fy(0, y);
    EXPECT_EQ(StandardOrder(&fx, &fy), 0);
}

// Sizes and checksums in, the sizes (or checksums) that survive out.
TEST(Prune, DropsFilesWithoutAMatchingNeighbour) {
    struct Case {
        std::vector<int64_t> sizes;
        std::vector<int32_t> checksums;  // empty: none known yet
        std::vector<int64_t> keptSizes;
        std::vector<int32_t> keptChecksums;
    };
    const Case cases[] = {
        {{10, 9, 9, 8, 7, 7, 6}, {}, {10, 9, 9, 7, 7, 6}, {}},  // first and last two are never examined
        {{5, 4, 3}, {}, {5, 4, 3}, {}},                         // fewer than four: nothing removed
        {{9, 8, 7, 6}, {}, {9, 7, 6}, {}},
        {{9, 8, 7, 6, 5}, {}, {9, 6, 5}, {}},
        {{5, 5, 5, 5, 5, 5}, {1, 2, 3, 3, 4, 5}, {}, {1, 3, 3, 4, 5}},
        {{5, 5, 4, 4, 4, 4}, {1, 2, 2, 7, 7, 7}, {}, {1, 2, 2, 7, 7, 7}},
        {{6, 5, 4, 3, 3, 3}, {1, 1, 1, 1, 1, 1}, {6, 3, 3, 3}, {}},  // equal checksum, yet no equal size
    };
    for (const Case& c : cases) {
        TFILELIST list;
        for (size_t k = 0; k < c.sizes.size(); ++k) {
            auto f = std::make_unique<TFILEINFO>(0, record("f", c.sizes[k]));
            if (!c.checksums.empty()) {
                f->HasChecksum = true;
                f->Checksum = c.checksums[k];
            }
            list.Add(std::move(f));
        }
        PruneCatalogue(list);
        std::vector<int64_t> sizes;
        std::vector<int32_t> sums;
        for (int k = 0; k < list.Count(); ++k) {
            sizes.push_back(list[k]->Size);
            sums.push_back(list[k]->Checksum);
        }
        if (!c.keptSizes.empty()) {
            EXPECT_EQ(sizes, c.keptSizes);
        }
        if (!c.keptChecksums.empty()) {
            EXPECT_EQ(sums, c.keptChecksums);
        }
    }
}

TEST(BufferBytes, AtLeastOneUnitAtMost2048) {
    EXPECT_EQ(BufferBytes(-7), 512);
    EXPECT_EQ(BufferBytes(0), 512);
    EXPECT_EQ(BufferBytes(1), 512);
    EXPECT_EQ(BufferBytes(128), 65536);
    EXPECT_EQ(BufferBytes(2048), 1048576);
    EXPECT_EQ(BufferBytes(1 << 30), 1048576);
}

TEST_F(Detection, ThreeIdenticalFilesFormOneGroupReferenceLast) {
    std::string same(3000, 'q');
    folder.write("zeta", same);  // first in the standard order: names descend
    folder.write("mid", same);
    folder.write("alpha", same);
    folder.write("other", std::string(3000, 'r'));
    for (bool keepLast : {true, false}) {
        bNotDeleteLastCopy = keepLast;
        auto files = collect();
        RecordingProgress progress;
        auto results = FindDuplicates(*files, &progress);
        EXPECT_EQ(groupNames(*results, *files), "mid alpha zeta");
        EXPECT_EQ(progress.steps.back().duplicates, 2);
        EXPECT_EQ(FreeableSpace(*results, *files), keepLast ? 6000 : 9000);
        EXPECT_EQ(progress.steps.back().freeable, keepLast ? 6000 : 9000);
        EXPECT_FALSE(ScanRunning);
    }
}

TEST_F(Detection, EmptyFilesAreDuplicatesOfEachOther) {
    folder.write("e1", "");
    folder.write("e2", "");
    folder.write("x", "x");
    auto files = collect();
    auto results = FindDuplicates(*files);
    EXPECT_EQ(groupNames(*results, *files), "e1 e2");
    EXPECT_EQ(FreeableSpace(*results, *files), 0);
}

TEST_F(Detection, SmallCataloguesAreComparedWithoutPruning) {
    struct Case {
        std::vector<std::pair<const char*, std::string>> files;
        const char* groups;
    };
    const Case cases[] = {
        {{{"a", "1"}}, ""},
        {{{"a", "1"}, {"b", "1"}}, "a b"},
        {{{"a", "1"}, {"b", "22"}, {"c", "1"}}, "a c"},
        {{{"a", "22"}, {"b", "1"}, {"c", "22"}}, "a c"},
    };
    for (const Case& c : cases) {
        TempFolder f;
        for (auto& [name, content] : c.files) f.write(name, content);
        slFoldersToScan = {f.entry()};
        auto files = collect();
        RecordingProgress progress;
        auto results = FindDuplicates(*files, &progress);
        EXPECT_EQ(groupNames(*results, *files), c.groups);
        EXPECT_EQ(files->Count(), static_cast<int>(c.files.size()));
        EXPECT_EQ(progress.created.at(0), (files->Count() - 1) * 2);
        EXPECT_EQ(progress.steps.size(), c.files.size());
    }
}

TEST_F(Detection, ADifferenceStopsTheComparisonWhereItIs) {
    lStandartBufferSize = 1;  // 512-byte blocks
    std::string base(1536, 'k');
    std::string early = base, late = base;
    early[0] = 'E';
    late[1535] = 'L';
    struct Case {
        std::string other;
        int64_t bytesRead;
    };
    const Case cases[] = {{early, 2 * 512}, {late, 2 * 1536}, {base, 2 * 1536}};
    for (const Case& c : cases) {
        TempFolder f;
        f.write("one", base);
        f.write("two", c.other);
        slFoldersToScan = {f.entry()};
        auto files = collect();
        int64_t before = TFILEINFO::BytesRead;
        auto results = FindDuplicates(*files);
        EXPECT_EQ(TFILEINFO::BytesRead - before, c.bytesRead);
        EXPECT_EQ(results->Count(), c.other == base ? 2 : 0);
    }
}

TEST_F(Detection, AFileWhoseLengthChangedSinceTheListIsNeverGrouped) {
    // Grown by a byte after the catalogue was made, it would read alike to
    // its old length; a copy must match to its real end. In advanced mode a
    // file as long as the first block is read whole by the checksum pass.
    struct Case {
        const char* change;
        bool advanced;
        size_t size;
    } cases[] = {{"grow", false, 1500}, {"grow", true, 1500}, {"grow", true, 512},
                 {"shrink", false, 1500}, {"vanish", false, 1500}};
    lAdvancedBufferSize = 1;  // 512-byte first blocks
    for (const Case& c : cases) {
        const std::string same(c.size, 'q');
        TempFolder f;
        f.write("x", same);
        f.write("y", same);
        const std::string z = f.write("z", same);
        slFoldersToScan = {f.entry()};
        bEnableAdvanced = c.advanced;
        auto files = collect();
        if (std::string(c.change) == "grow") std::ofstream(z, std::ios::app | std::ios::binary) << 'q';
        if (std::string(c.change) == "shrink") std::filesystem::resize_file(z, c.size - 1);
        if (std::string(c.change) == "vanish") std::filesystem::remove(z);
        auto results = FindDuplicates(*files);
        const std::string names = groupNames(*results, *files);
        EXPECT_TRUE(names == "x y" || names == "y x") << c.change << " " << c.size << ": " << names;
    }
}

// Another program at work while the search reads: something done to the
// tree just before a given file is opened.
struct WhileReading {
    static inline std::function<void(const TFILEINFO&)> action;
    static void hook(const TFILEINFO& file) {
        if (action) action(file);
    }
    WhileReading() { TFILEINFO::BeforeOpen = hook; }
    ~WhileReading() {
        TFILEINFO::BeforeOpen = nullptr;
        action = nullptr;
    }
};

std::string randomContent(std::mt19937& random, size_t size) {
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

void overwriteByte(const std::string& path, size_t at, char value) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(at));
    f.put(value);
}

TEST_F(Detection, AFileChangedInPlaceWhileTheRoundReadsNeverJoinsTwoDifferentFiles) {
    // Past the round's memory a part keeps only a digest, and its first file
    // is read again for each newcomer. Here that file, c, is changed in its
    // middle just before a is read: every member must still have been
    // compared with the same bytes.
    struct Case {
        bool aIsCopy;  // a holds c's first content (else c's with the middle byte flipped)
        const char* groups;
    } cases[] = {
        {false, ""},    // c, changed into a, leaves; b alone is no group; a and b never meet
        {true, "a b"},  // c leaves; the part goes on from b, which still reads as it did
    };
    const TDETECTIONLIMITS saved = DetectionLimits;
    DetectionLimits = {2, 2 * 65536};  // two blocks fill the round: the rest are digests
    std::mt19937 random(29);
    for (const Case& cc : cases) {
        TempFolder f;
        for (int k = 0; k < 4; ++k) f.write("f" + std::to_string(k), randomContent(random, 65536));
        const std::string content = randomContent(random, 65536);
        std::string flipped = content;
        flipped[32768] ^= 0x55;
        const std::string c = f.write("c", content);
        f.write("b", content);
        f.write("a", cc.aIsCopy ? content : flipped);
        WhileReading reading;
        reading.action = [&](const TFILEINFO& file) {
            if (file.Name() == "a") overwriteByte(c, 32768, cc.aIsCopy ? 'Z' : flipped[32768]);
        };
        slFoldersToScan = {f.entry()};
        auto files = collect();
        auto results = FindDuplicates(*files);
        EXPECT_EQ(groupNames(*results, *files), cc.groups) << "a is a copy: " << cc.aIsCopy;
        EXPECT_EQ(files->FilesChanged, 1);
    }
    DetectionLimits = saved;
}

TEST_F(Detection, AFileReplacedBetweenTwoOpensIsNeverJudgedByTwoFilesBytes) {
    // Renamed over while the search has it closed, "a" would be compared by
    // its old head and the new file's rest. Opened again, it must still be
    // the file listed.
    struct Case {
        bool advanced;  // closed between the checksum pass and the comparison
        TDETECTIONLIMITS limits;  // else closed between two rounds
    } cases[] = {{true, DetectionLimits}, {false, {2, 1024}}};
    const TDETECTIONLIMITS saved = DetectionLimits;
    for (const Case& c : cases) {
        TempFolder f;
        std::mt19937 random(7);
        const std::string content = randomContent(random, 100000);
        std::string other = content;
        other[0] ^= 1;
        f.write("f00000", content);
        f.write("f00001", content);
        const std::string a = f.write("a", content);
        TempFolder away;
        const std::string src = away.write("src", other);
        int opensOfA = 0;
        WhileReading reading;
        reading.action = [&](const TFILEINFO& file) {
            if (file.Name() == "a" && ++opensOfA == 2) std::filesystem::rename(src, a);
        };
        bEnableAdvanced = c.advanced;
        DetectionLimits = c.limits;
        slFoldersToScan = {f.entry()};
        auto files = collect();
        auto results = FindDuplicates(*files);
        EXPECT_GE(opensOfA, 2);
        const std::string names = groupNames(*results, *files);
        EXPECT_TRUE(names == "f00000 f00001" || names == "f00001 f00000") << "advanced: " << c.advanced << ": " << names;
        EXPECT_EQ(files->FilesChanged, 1);
        EXPECT_NE(LeftOutText(*files).find("1 file(s) changed while the search read them"), std::string::npos);
    }
    DetectionLimits = saved;
}

// Writes one byte in place and sets the last write time back, as a copy or
// sync tool does: the same file, size and last write, and only its change
// time tells. Written again until the change time has moved on (the system
// keeps it to a clock tick); true once it has.
bool overwriteByteTimeKept(const std::string& path, size_t at, char value) {
    for (int attempt = 0; attempt < 100; ++attempt) {
#ifdef _WIN32
        // FILE_BASIC_INFORMATION's times: creation, last access, last write, change.
        struct Times {
            LARGE_INTEGER created, accessed, written, changed;
            ULONG attributes;
        };
        using QueryFile = LONG(WINAPI*)(HANDLE, void* status, void* data, ULONG size, int kind);
        static const auto query = reinterpret_cast<QueryFile>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
        const auto timesOf = [](HANDLE h, Times& t) {
            struct {
                LONG status;
                ULONG_PTR information;
            } io{};
            return query(h, &io, &t, sizeof t, 4 /* FileBasicInformation */) >= 0;
        };
        HANDLE h = CreateFileW(std::filesystem::path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        Times before{}, after{};
        FILETIME written{};
        DWORD wrote = 0;
        const bool done = timesOf(h, before) && GetFileTime(h, nullptr, nullptr, &written) &&
                          SetFilePointer(h, static_cast<LONG>(at), nullptr, FILE_BEGIN) == static_cast<DWORD>(at) &&
                          WriteFile(h, &value, 1, &wrote, nullptr) && wrote == 1 &&
                          SetFileTime(h, nullptr, nullptr, &written) && timesOf(h, after);
        CloseHandle(h);
        if (!done || after.written.QuadPart != before.written.QuadPart) return false;
        if (after.changed.QuadPart != before.changed.QuadPart) return true;
        Sleep(5);
#else
        struct stat before {}, after {};
        if (stat(path.c_str(), &before) != 0) return false;
        overwriteByte(path, at, value);
        const timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
        if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0 || stat(path.c_str(), &after) != 0) return false;
        if (after.st_mtim.tv_sec != before.st_mtim.tv_sec || after.st_mtim.tv_nsec != before.st_mtim.tv_nsec) return false;
        if (after.st_ctim.tv_sec != before.st_ctim.tv_sec || after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) return true;
        usleep(5000);
#endif
    }
    return false;
}

TEST_F(Detection, AFileRewrittenWithItsTimeSetBackBetweenTwoOpensIsNeverGrouped) {
    // Same file, same size, same last write: byte 0, already read, now
    // differs, and the rest would read alike. Only the change time tells.
    struct Case {
        bool advanced;
        TDETECTIONLIMITS limits;
    } cases[] = {{true, DetectionLimits}, {false, {2, 1024}}};
    const TDETECTIONLIMITS saved = DetectionLimits;
    for (const Case& c : cases) {
        TempFolder f;
        std::mt19937 random(11);
        const std::string content = randomContent(random, 100000);
        f.write("f00000", content);
        f.write("f00001", content);
        const std::string a = f.write("a", content);
        int opensOfA = 0;
        bool rewritten = false;
        WhileReading reading;
        reading.action = [&](const TFILEINFO& file) {
            if (file.Name() == "a" && ++opensOfA == 2) rewritten = overwriteByteTimeKept(a, 0, content[0] ^ 1);
        };
        bEnableAdvanced = c.advanced;
        DetectionLimits = c.limits;
        slFoldersToScan = {f.entry()};
        auto files = collect();
        auto results = FindDuplicates(*files);
        ASSERT_TRUE(rewritten) << "the change time never moved: nothing here can tell the rewrite";
        const std::string names = groupNames(*results, *files);
        EXPECT_TRUE(names == "f00000 f00001" || names == "f00001 f00000") << "advanced: " << c.advanced << ": " << names;
        EXPECT_EQ(files->FilesChanged, 1) << "advanced: " << c.advanced;
    }
    DetectionLimits = saved;
}

TEST_F(Detection, FilesThatShareTheirEndsAreReadOnceEach) {
    // Headers and footers in common (database pages, disk images) must not
    // send every file to every earlier part: reads and opens grow with the files.
    struct Case {
        int files;
        bool pairs;  // every content twice
    } cases[] = {{60, false}, {60, true}};
    const TDETECTIONLIMITS saved = DetectionLimits;
    DetectionLimits = {4, 2 * 16384};
    std::mt19937 random(3);
    for (const Case& c : cases) {
        TempFolder f;
        std::string content;
        for (int k = 0; k < c.files; ++k) {
            if (!c.pairs || k % 2 == 0)
                content = std::string(4096, '\0') + randomContent(random, 8192) + std::string(4096, '\0');
            f.write("f" + std::to_string(k), content);
        }
        slFoldersToScan = {f.entry()};
        auto files = collect();
        const int64_t readAgain = BytesReadAgain, opens = TFILEINFO::Opens;
        auto results = FindDuplicates(*files);
        const int groups = results->Count() ? (*results)[results->Count() - 1]->Group : 0;
        EXPECT_EQ(groups, c.pairs ? c.files / 2 : 0);
        EXPECT_LE(BytesReadAgain - readAgain, int64_t{c.files} * 16384) << "pairs: " << c.pairs;
        EXPECT_LE(TFILEINFO::Opens - opens, 3 * c.files) << "pairs: " << c.pairs;
    }
    DetectionLimits = saved;
}

TEST_F(Detection, ARoundThatCannotHaveItsMemoryWorksWithLess) {
    // A 32-bit process with its address space nearly full: the round's 32 MiB
    // are refused, and half of that again, but the answer is the same.
    std::mt19937 random(5);
    const std::string copy = randomContent(random, 65536);
    folder.write("a", copy);
    folder.write("b", randomContent(random, 65536));
    folder.write("c", copy);
    auto files = collect();
    std::unique_ptr<TRESULTS> results;
    {
        failing_allocation::Scope tight(0, 16 << 20);
        results = FindDuplicates(*files);
        EXPECT_EQ(failing_allocation::refused(), 2);
    }
    EXPECT_EQ(groupNames(*results, *files), "a c");
}

TEST_F(Detection, UnreadableFileIsNeverGroupedInAdvancedMode) {
    bEnableAdvanced = true;
    std::string same(700, 'u');
    folder.write("x", same);
    folder.write("y", same);
    std::string gone = folder.write("z", same);
    auto files = collect();
    std::filesystem::remove(gone);
    auto results = FindDuplicates(*files);
    std::string names = groupNames(*results, *files);
    EXPECT_TRUE(names == "x y" || names == "y x") << names;
    for (int k = 0; k < files->Count(); ++k)
        if ((*files)[k]->Name() == "z") {
            EXPECT_FALSE((*files)[k]->HasChecksum);
            EXPECT_EQ((*files)[k]->Checksum, -1);
        }
}

TEST_F(Detection, StoppingKeepsTheGroupsFoundBeforeTheStop) {
    folder.write("a1", "aaaa");
    folder.write("a2", "aaaa");
    folder.write("b1", "bbb");
    folder.write("b2", "bbb");
    folder.write("c1", "cc");
    folder.write("c2", "cc");
    struct Case {
        bool advanced;
        int stopAfter;
        const char* groups;
    };
    const Case cases[] = {
        {false, 1, "a1 a2"},
        {false, 3, "a1 a2 | b1 b2"},
        {false, -1, "a1 a2 | b1 b2 | c1 c2"},
        {true, 2, ""},  // stopped in the checksum pass
        {true, 7, "a2 a1"},
    };
    for (const Case& c : cases) {
        bEnableAdvanced = c.advanced;
        auto files = collect();
        RecordingProgress progress(c.stopAfter);
        auto results = FindDuplicates(*files, &progress);
        EXPECT_EQ(groupNames(*results, *files), c.groups) << c.stopAfter;
        if (c.stopAfter > 0) {
            EXPECT_EQ(static_cast<int>(progress.steps.size()), c.stopAfter);
        }
        EXPECT_EQ(progress.destroyed, 1);
        EXPECT_FALSE(ScanRunning);
    }
}

TEST_F(Detection, ZeroBufferSettingsStillCompare) {
    lStandartBufferSize = 0;
    lAdvancedBufferSize = -3;
    bEnableAdvanced = true;
    folder.write("p", std::string(2000, 'p'));
    folder.write("q", std::string(2000, 'p'));
    auto files = collect();
    auto results = FindDuplicates(*files);
    EXPECT_EQ(groupNames(*results, *files), "q p");
}

TEST_F(Detection, HardLinksAreOneFileNotDuplicates) {
    std::string original = folder.write("original", "shared data");
    std::filesystem::create_hard_link(original, folder.path("link"));
    auto files = collect();
    auto results = FindDuplicates(*files);
    EXPECT_EQ(results->Count(), 0);

    folder.write("copy", "shared data");
    files = collect();
    results = FindDuplicates(*files);
    ASSERT_EQ(results->Count(), 2);  // the copy with one of the two names, never both
    std::string names = groupNames(*results, *files);
    EXPECT_NE(names.find("copy"), std::string::npos) << names;
}

TEST_F(Detection, AFolderListedTwiceGivesNoDuplicates) {
    folder.write("a", "same");
    folder.write("b", "different");
    slFoldersToScan = {folder.entry(), folder.path(".")};
    auto files = collect();
    ASSERT_EQ(files->Count(), 4);
    auto results = FindDuplicates(*files);
    EXPECT_EQ(results->Count(), 0);
}

// A folder reached under two names (listed twice, or once more through a
// link as in a packaged data tree) with two copies and a hard-linked pair:
// each file takes part once, under the first name the sorted catalogue meets.
TEST_F(Detection, EveryFileTakesPartOnceUnderItsFirstName) {
    for (bool throughLink : {false, true}) {
        TempFolder tree;
        const std::string real = tree.makeFolder("1.22.4");
        tree.write("1.22.4/a", "same bytes");
        tree.write("1.22.4/b", "same bytes");
        tree.write("1.22.4/c", "other data");
        std::filesystem::create_hard_link(tree.path("1.22.4/c"), tree.path("1.22.4/d"));
        std::string second = tree.path("1.22.4/.");
        if (throughLink) {
            std::error_code error;
            std::filesystem::create_directory_symlink(real, tree.path("current"), error);
            if (error) continue;  // the system cannot make links here
            second = tree.path("current");
        }
        slFoldersToScan = {tree.path("1.22.4"), second};
        auto files = collect();
        ASSERT_EQ(files->Count(), 8);
        RecordingProgress progress;
        auto results = FindDuplicates(*files, &progress);
        EXPECT_EQ(groupNames(*results, *files), "a b") << throughLink;
        EXPECT_EQ(progress.steps.back().duplicates, 1);
        EXPECT_EQ(FreeableSpace(*results, *files), 10);
    }
}

// A protected folder listed first and reached again later in the list under
// another name: a link to it, another spelling of it, or a hard link of its
// file in another folder. The copy stays protected, under its protected name.
TEST_F(Detection, AProtectedFileStaysProtectedWhateverNameReachesItAgain) {
    for (const std::string how : {"link", "spelling", "hard link"}) {
        TempFolder tree;
        tree.write("Photos/a.jpg", "the photo");
        tree.write("Backup/a.jpg", "the photo");
        std::string second = tree.path("Pics");
        if (how == "link") {
            std::error_code error;
            std::filesystem::create_directory_symlink(tree.path("Photos"), second, error);
#ifdef _WIN32
            if (error) continue;  // making links may need a right the user lacks
#endif
            ASSERT_FALSE(error) << error.message();
        } else if (how == "spelling") {
            second = tree.path("Photos/.");
        } else {
            tree.makeFolder("Pics");
            std::filesystem::create_hard_link(tree.path("Photos/a.jpg"), tree.path("Pics/a.jpg"));
        }
        slFoldersToScan = {tree.path("Photos"), tree.path("Backup"), second};
        slProtectedFolders = {tree.path("Photos")};
        auto files = collect();
        auto results = FindDuplicates(*files, nullptr);
        std::string shown;
        for (int k = 0; k < results->Count(); ++k) {
            const TFILEINFO& file = *results->EntryFile(*files, k);
            shown += file.FullPath().substr(tree.path("").size()) + (files->IsProtected(file) ? "*" : "") + " ";
        }
        std::replace(shown.begin(), shown.end(), '\\', '/');
        EXPECT_EQ(shown, "Backup/a.jpg Photos/a.jpg* ") << how;
    }
}

TEST(FreeableSpace, SumsEveryGroupIncludingTheLast) {
    TFILELIST files;
    for (int64_t size : {100, 100, 100, 7, 7})
        files.Add(std::make_unique<TFILEINFO>(0, record("f", size)));
    TRESULTS results;
    results.NewGroup();
    for (int i : {1, 2, 0}) results.AddToGroup(i);
    results.NewGroup();
    for (int i : {4, 3}) results.AddToGroup(i);
    bNotDeleteLastCopy = true;
    EXPECT_EQ(FreeableSpace(results, files), 207);
    bNotDeleteLastCopy = false;
    EXPECT_EQ(FreeableSpace(results, files), 314);
    bNotDeleteLastCopy = true;
    EXPECT_EQ(FreeableSpace(TRESULTS(), files), 0);
}

}  // namespace
