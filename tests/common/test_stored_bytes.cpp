// What the program stores or hands on, byte for byte. The x86 edition wrote
// these bytes; the x64 edition (and the native build) must write the same and
// read them back, so settings, lists, undo files, the CSV list and the
// hand-over survive a change of edition in either direction.
#include <gtest/gtest.h>

#include <cstring>

#include "app/results/list_csv.h"
#include "app/results/undo_file.h"
#include "app/options/shortcuts.h"
#include "common/string_list.h"
#include "update/handover.h"

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

std::string Bytes(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

const StringList kFolders = {"C:\\Photos\\", "D:\\\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\\100% & co\\"};

std::string HandOver() {
    std::string stream;
    AppendShortString(stream, "C:\\Varnok Scan\\tips.dat");
    AppendNumber(stream, 3);
    stream += "new";
    stream += '\0';
    AppendShortString(stream, "\"C:\\Varnok Scan\\VarnokScan.exe\" /update:15-03-2099");
    AppendNumber(stream, 0x01020304);
    return stream;
}

std::string Csv() {
    ListCsvEntry entry{2, 5000000000LL, "C:\\\xE6\x97\xA5\\a, \"b\".txt", {2024, 3, 5, 15, 13, 4, 5, 0}, true, false,
                       true};
    return ListCsvHeader() + ListCsvLine(entry);
}

std::string Date() {
    const double date = 38061.5;  // 15-03-2004, noon: "AutoUpdate" stores the double itself
    std::string bytes(sizeof date, '\0');
    std::memcpy(bytes.data(), &date, sizeof date);
    return bytes;
}

struct Stored {
    const char* what;
    std::string written;
    const char* byX86;
};

}  // namespace

TEST(StoredBytes, EveryEditionWritesWhatTheX86EditionWroteAndReadsItBack) {
    const Stored cases[] = {
        {"ShortCuts", EncodeShortcuts(DefaultShortcuts()),
         "110058006700010071009300000000009400000000009500000000009600000000009700000000009800000000009c00000000009e00"
         "050070009f0009007000a00011007000a10000000000a20000000000a300"},
        {"ShortCutsResults", EncodeShortcuts(DefaultResultsShortcuts()),
         "090045000601090053000701000000000801"},
        {"slFoldersToScan", EncodeStringList(kFolders),
         "433a5c50686f746f735c00443a5cc3a974c3a920e697a55c31303025202620636f5c0000"},
        {"hand-over stream", HandOver(),
         "17433a5c5661726e6f6b205363616e5c746970732e646174030000006e6577003222433a5c5661726e6f6b205363616e5c5661726e6f"
         "6b5363616e2e65786522202f7570646174653a31352d30332d3230393904030201"},
        {"CSV list", Csv(),
         "efbbbf2247726f7570222c2253697a65222c2250617468222c224c617374207772697474656e222c2253656c6563746564222c224d61"
         "726b6564222c2250726f746563746564220d0a2232222c2235303030303030303030222c22433a5ce697a55c612c2022226222222e74"
         "7874222c22323032342d30332d31352031333a30343a3035222c22796573222c226e6f222c22796573220d0a"},
        {"undo entry", UndoEntry(false, "C:\\Kept\\a.dat", "D:\\\xE6\x97\xA5\\b.dat", 3, true),
         "69662065786973742022443a5ce697a55c622e6461742220286563686f2022443a5ce697a55c622e6461742220697320746865726520"
         "616c726561647920616e6420776173206e6f74206f7665727772697474656e2e2920656c736520636f7079202f622022433a5c4b6570"
         "745c612e646174222022443a5ce697a55c622e646174220d0a"},
        {"AutoUpdate date", Date(),
         "00000000b095e240"},
    };
    for (const Stored& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Hex(c.written), c.byX86);
    }

    // Read back what the x86 edition wrote.
    ShortcutTable table{};
    ASSERT_TRUE(DecodeShortcuts(Bytes(cases[0].byX86), table));
    EXPECT_EQ(EncodeShortcuts(table), EncodeShortcuts(DefaultShortcuts()));
    StringList folders;
    DecodeStringList(Bytes(cases[2].byX86), folders);
    EXPECT_EQ(folders, kFolders);
    const std::string stream = Bytes(cases[3].byX86);
    MemorySource source(stream);
    const auto handed = ReadHandOver(source);
    ASSERT_TRUE(handed.has_value());
    ASSERT_EQ(handed->files.size(), 1u);
    EXPECT_EQ(handed->files[0]->path, "C:\\Varnok Scan\\tips.dat");
    EXPECT_EQ(handed->restart, "\"C:\\Varnok Scan\\VarnokScan.exe\" /update:15-03-2099");
    EXPECT_EQ(handed->processId, 0x01020304u);
    double date = 0;
    std::memcpy(&date, Bytes(cases[6].byX86).data(), sizeof date);
    EXPECT_EQ(date, 38061.5);
}
