// The hand-over stream the applier reads: whole, or not at all.
#include <gtest/gtest.h>

#include "update/handover.h"

namespace {

std::string stream(const std::vector<std::pair<std::string, std::string>>& files, const std::string& restart,
                   uint32_t processId) {
    std::string out;
    for (const auto& [path, content] : files) {
        AppendShortString(out, path);
        AppendNumber(out, static_cast<uint32_t>(content.size()));
        out += content;
    }
    out += '\0';
    AppendShortString(out, restart);
    AppendNumber(out, processId);
    return out;
}

}  // namespace

TEST(HandOver, AWholeStreamReadsBack) {
    const std::string bytes = stream({{"C:\\App\\a.txt", "alpha"}, {"C:\\App\\empty.txt", ""}},
                                     "C:\\App\\VarnokScan.exe /update:15-03-2004", 0x01020304);
    MemorySource source(bytes);
    auto read = ReadHandOver(source);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->files.size(), 2u);
    EXPECT_EQ(read->files[0]->path, "C:\\App\\a.txt");
    EXPECT_EQ(std::string(read->files[0]->data.begin(), read->files[0]->data.end()), "alpha");
    EXPECT_TRUE(read->files[1]->data.empty());
    EXPECT_EQ(read->restart, "C:\\App\\VarnokScan.exe /update:15-03-2004");
    EXPECT_EQ(read->processId, 0x01020304u);

    const std::string empty = stream({}, "C:\\App\\VarnokScan.exe /update:15-03-2004", 7);
    MemorySource none(empty);
    auto nothing = ReadHandOver(none);
    ASSERT_TRUE(nothing);
    EXPECT_TRUE(nothing->files.empty());
}

TEST(HandOver, AStreamCutAnywhereOrLyingAboutSizesGivesNothing) {
    const std::string bytes = stream({{"C:\\App\\a.txt", "alpha"}}, "C:\\App\\VarnokScan.exe /update:15-03-2004", 9);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        MemorySource source(std::string_view(bytes).substr(0, cut));
        EXPECT_FALSE(ReadHandOver(source)) << cut;
    }
    // Four gigabytes announced, five bytes sent: refused without reserving the memory.
    std::string lying;
    AppendShortString(lying, "C:\\App\\a.txt");
    AppendNumber(lying, 0xFFFFFFF0u);
    lying += "alpha";
    MemorySource source(lying);
    EXPECT_FALSE(ReadHandOver(source));
    // Files that each fit but together pass the stream's limit.
    const std::string many = stream({{"C:\\App\\a", "123456"}, {"C:\\App\\b", "123456"}}, "C:\\App\\x.exe", 9);
    MemorySource within(many), past(many);
    EXPECT_TRUE(ReadHandOver(within, 12));
    EXPECT_FALSE(ReadHandOver(past, 11));
    std::string longName;
    EXPECT_FALSE(AppendShortString(longName, std::string(256, 'x')));
    EXPECT_TRUE(longName.empty());
}

TEST(HandOver, MoreFilesThanAPackageCanHoldAreRefused) {
    // Empty files cost nothing against the byte limit, but each costs the
    // reader memory: a package holds at most 999, and so may a stream.
    for (const auto& [count, accepted] : {std::pair{kMaxPackageEntries, true}, std::pair{kMaxPackageEntries + 1, false}}) {
        std::vector<std::pair<std::string, std::string>> files;
        for (size_t k = 0; k < count; ++k) files.emplace_back("C:\\App\\f" + std::to_string(k), "");
        const std::string bytes = stream(files, "C:\\App\\x.exe", 9);
        MemorySource source(bytes);
        const auto read = ReadHandOver(source);
        EXPECT_EQ(read.has_value(), accepted) << count;
        if (read) {
            EXPECT_EQ(read->files.size(), count);
        }
    }
}

// Which machine a file the applier is handed is built for: read from the PE
// header, and only where the header is whole.
TEST(HandOver, TheMachineOfAProgramOrLibrary) {
    // A DOS header pointing at headerAt, where a PE header names the machine, in size bytes.
    const auto image = [](uint32_t headerAt, const char* magic, uint16_t machine, size_t size) {
        std::string bytes = "MZ" + std::string(0x3A, '\0');
        AppendNumber(bytes, headerAt);
        bytes.resize(std::max<size_t>(size, headerAt + 6), '\0');
        bytes.replace(headerAt, 6, std::string(magic, 4) + char(machine & 0xFF) + char(machine >> 8));
        bytes.resize(size);
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::optional<uint16_t> machine;
    };
    const Case cases[] = {
        {"x86", image(0x80, "PE\0\0", 0x014C, 0x100), 0x014C},
        {"x64", image(0x80, "PE\0\0", 0x8664, 0x100), 0x8664},
        {"header ending at the end", image(0xFA, "PE\0\0", 0x8664, 0x100), 0x8664},
        {"machine cut off", image(0xFB, "PE\0\0", 0x8664, 0x100), std::nullopt},
        {"header past the end", image(0x1000, "PE\0\0", 0x8664, 0x100), std::nullopt},
        {"no PE signature", image(0x80, "NE\0\0", 0x8664, 0x100), std::nullopt},
        {"DOS header cut", image(0x80, "PE\0\0", 0x8664, 0x3F), std::nullopt},
        {"not MZ", std::vector<uint8_t>(0x100, 'M'), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ImageMachine(c.bytes), c.machine) << c.what;
    std::vector<uint8_t> far = image(0x80, "PE\0\0", 0x8664, 0x100);
    far[0x3C] = far[0x3D] = far[0x3E] = far[0x3F] = 0xFF;  // e_lfanew at 4 GiB
    EXPECT_FALSE(ImageMachine(far));
    EXPECT_EQ(MachineEdition(0x014C), kEditionX86);
    EXPECT_EQ(MachineEdition(0x8664), kEditionX64);
    EXPECT_EQ(MachineEdition(0xAA64), "");
}
