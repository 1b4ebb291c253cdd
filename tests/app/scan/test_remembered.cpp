// What files hold, remembered between searches: a second search with the
// store must give exactly the groups of a search without it, however the
// files changed in between, and a damaged store is set aside unused.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "app/scan/remembered.h"
#include "tests/app/scan/scan_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kHeader = 40;  // the store's header, its checksum last

std::string randomBytes(std::mt19937& random, size_t size) {
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

void writeInPlace(const std::string& path, const std::string& content) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.write(content.data(), static_cast<std::streamsize>(content.size()));
}

class Remembered : public ScanFixture {
protected:
    void SetUp() override {
        RememberedSettleSeconds = 0;
        CatalogueLearnsVolumes = true;
    }
    void TearDown() override {
        RememberedSettleSeconds = 2;
        CatalogueLearnsVolumes = false;
        ScanFixture::TearDown();
    }

    // One search of the folder, with the store at path when it is given.
    std::string search(const TempFolder& f, const std::string& at, bool* setAside = nullptr) {
        slFoldersToScan = {f.entry()};
        auto files = collect();
        TREMEMBERED store;
        if (!at.empty()) store.Load(at);
        auto results = FindDuplicates(*files, nullptr, at.empty() ? nullptr : &store);
        if (setAside) *setAside = LeftOutText(*files).find(RememberedSetAsideText()) != std::string::npos;
        if (!at.empty()) {
            EXPECT_TRUE(store.Save(at));
        }
        return groupNames(*results, *files);
    }

    TempFolder storeFolder;
    const std::string storePath = storeFolder.path("remembered");
};

TEST_F(Remembered, ASecondSearchGivesTheGroupsOfASearchWithoutTheStoreHoweverFilesChanged) {
    // Each change keeps the size and puts the last write back, as copy and
    // sync tools do: only the file number or the change time tells.
    std::mt19937 random(41);
    const size_t size = 200000;  // read in several blocks
    const std::string A = randomBytes(random, size), B = randomBytes(random, size), U = randomBytes(random, size);
    struct Case {
        const char* name;
        const char* file;
        std::function<void(const std::string& path)> change;
    } cases[] = {
        {"in place", "a3", [&](const std::string& p) { writeInPlace(p, B); }},
        {"renamed over", "b2",
         [&](const std::string& p) {
             const std::string other = p + "-new";
             std::ofstream(other, std::ios::binary) << A;
             fs::last_write_time(other, fs::last_write_time(p));
             fs::rename(other, p);
         }},
        {"replaced by a copy with the same times", "u",
         [&](const std::string& p) {
             fs::remove(p);  // its number is free for the next file made
             std::ofstream(p, std::ios::binary) << A;
         }},
        {"truncated and re-extended", "a1",
         [&](const std::string& p) {
             fs::resize_file(p, 0);
             fs::resize_file(p, size);
             writeInPlace(p, U);
         }},
    };
    for (const Case& c : cases) {
        TempFolder f;
        fs::remove(storePath);
        for (const char* name : {"a1", "a2", "a3"}) f.write(name, A);
        for (const char* name : {"b1", "b2"}) f.write(name, B);
        f.write("u", U);
        search(f, storePath);
        // Nothing changed: no file is opened, not even "u", which parts from
        // the others of its size at its first block.
        const int64_t opensBefore = TFILEINFO::Opens;
        const std::string unchanged = search(f, storePath);
        EXPECT_EQ(TFILEINFO::Opens, opensBefore) << c.name << ": nothing changed";
        EXPECT_EQ(unchanged, search(f, "")) << c.name << ": before the change";
        const std::string path = f.path(c.file);
        const auto written = fs::last_write_time(path);
        // The change time must move on: the system keeps it to a clock tick.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        c.change(path);
        fs::last_write_time(path, written);
        ASSERT_EQ(fs::file_size(path), size);
        const int64_t readBefore = TFILEINFO::BytesRead;
        const std::string remembered = search(f, storePath);
        EXPECT_LT(TFILEINFO::BytesRead - readBefore, static_cast<int64_t>(3 * size)) << c.name << ": the store went unused";
        EXPECT_EQ(remembered, search(f, "")) << c.name;
        EXPECT_EQ(search(f, storePath), search(f, "")) << c.name << ": searched again";
    }
}

TEST_F(Remembered, FilesOfAnotherVolumeWithTheSameNumbersSizesAndTimesAreNotThese) {
    // A store that knows files on another volume under these files' very
    // numbers, sizes and times, all of one content: what it knows of that
    // volume says nothing of this one.
    std::mt19937 random(47);
    const std::string A = randomBytes(random, 9000), B = randomBytes(random, 9000);
    for (const char* name : {"a1", "a2", "a3"}) folder.write(name, A);
    for (const char* name : {"b1", "b2"}) folder.write(name, B);
    folder.write("u", randomBytes(random, 9000));
    const std::string expected = search(folder, "");
    search(folder, storePath);
    std::string bytes = ReadWholeFile(storePath);
    ASSERT_EQ(bytes.size(), kHeader + 8 + 6 * 48u);  // header, one volume, six files
    bytes[kHeader] ^= 0x01;  // the volume's serial
    const size_t first = kHeader + 8;
    for (size_t record = first + 48; record < bytes.size(); record += 48)
        std::copy_n(bytes.begin() + first + 32, 16, bytes.begin() + static_cast<ptrdiff_t>(record) + 32);  // one digest
    const uint64_t checksum = XXH3_64bits(bytes.data() + kHeader, bytes.size() - kHeader);
    std::memcpy(bytes.data() + kHeader - 8, &checksum, sizeof checksum);
    std::ofstream(storePath, std::ios::binary | std::ios::trunc) << bytes;
    bool setAside = true;
    EXPECT_EQ(search(folder, storePath, &setAside), expected);
    EXPECT_FALSE(setAside);
}

TEST_F(Remembered, ADamagedStoreIsSetAsideAndTheSearchStillFindsTheGroups) {
    std::mt19937 random(43);
    const std::string A = randomBytes(random, 5000), B = randomBytes(random, 5000);
    folder.write("a1", A);
    folder.write("a2", A);
    folder.write("b1", B);
    folder.write("b2", B);
    folder.write("c", randomBytes(random, 5000));
    const std::string expected = search(folder, "");
    ASSERT_EQ(expected.size(), std::string("a1 a2 | b1 b2").size());  // two groups of two
    struct Case {
        const char* name;
        std::function<void(std::string& bytes)> damage;
    } cases[] = {
        {"a flipped byte in a digest", [](std::string& b) { b[b.size() - 3] ^= 0x10; }},
        {"a flipped byte in a file number", [](std::string& b) { b[kHeader + 8 + 48 + 2] ^= 0x10; }},
        {"a flipped byte in the header", [](std::string& b) { b[9] ^= 0x01; }},
        {"truncated", [](std::string& b) { b.resize(b.size() - 7); }},
        {"a file of zeros", [](std::string& b) { b.assign(b.size(), '\0'); }},
        {"empty", [](std::string& b) { b.clear(); }},
    };
    for (const Case& c : cases) {
        fs::remove(storePath);
        fs::remove(storePath + ".bad");
        search(folder, storePath);
        std::string bytes = ReadWholeFile(storePath);
        ASSERT_EQ(bytes.size(), kHeader + 8 + 5 * 48u) << c.name;  // header, one volume, five files read whole
        c.damage(bytes);
        std::ofstream(storePath, std::ios::binary | std::ios::trunc) << bytes;
        bool setAside = false;
        EXPECT_EQ(search(folder, storePath, &setAside), expected) << c.name;
        EXPECT_TRUE(setAside) << c.name;
        EXPECT_EQ(ReadWholeFile(storePath + ".bad"), bytes) << c.name;
        // What this search read is remembered anew, in a sound store.
        TREMEMBERED again;
        EXPECT_EQ(again.Load(storePath), TREMEMBERED::TLOAD::Loaded) << c.name;
        EXPECT_EQ(again.Count(), 5u) << c.name;
    }
}

}  // namespace
