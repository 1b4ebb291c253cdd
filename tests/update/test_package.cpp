// The package as the library reads it: every field checked against the bytes
// that are there, every file unpacked to exactly its recorded size.
#include <gtest/gtest.h>

#include "tests/support/package_builder.h"
#include "update/package.h"

namespace {

std::unique_ptr<TUPDATEDATA> indexed(const std::string& package) {
    auto update = TUPDATEDATA::Create(PackageBytes(package));
    if (update && !update->Index()) return nullptr;
    return update;
}

std::string unpacked(const TUPDATEDATA& update, size_t i) {
    std::vector<uint8_t> out;
    if (!update.Unpack(i, out)) return "<failed>";
    return {out.begin(), out.end()};
}

}  // namespace

TEST(UpdatePackage, NamesSizesContentsAndDate) {
    PackageLayout layout;
    layout.files = {
        {"Swaplet.exe", std::string(5000, 'S')}, {"help\\help.hlp", "help text"}, {"raw.bin", "stored", true}};
    auto update = indexed(BuildPackage(layout));
    ASSERT_TRUE(update);
    ASSERT_EQ(update->Count(), 3u);
    EXPECT_EQ(update->Entry(0).name, "Swaplet.exe");
    EXPECT_EQ(update->Entry(1).name, "help\\help.hlp");
    EXPECT_EQ(update->Entry(1).unpackedSize, 9u);
    EXPECT_EQ(update->Date(), "15-03-2004");
    EXPECT_EQ(unpacked(*update, 0), std::string(5000, 'S'));
    EXPECT_EQ(unpacked(*update, 1), "help text");
    EXPECT_EQ(unpacked(*update, 2), "stored");
    EXPECT_EQ(unpacked(*update, 3), "<failed>");  // the index is no file
}

TEST(UpdatePackage, FieldsThatDoNotAddUpRefuseThePackage) {
    PackageLayout good;
    good.files = {{"a.txt", "alpha"}, {"b.txt", "beta"}};
    const std::string package = BuildPackage(good);
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"nothing", ""},
        {"N not a number", "x02" + package.substr(3)},
        {"N past the data", "999" + package.substr(3)},
        {"N negative", "-01" + package.substr(3)},
        {"a length past the end", package.substr(0, 3) + "9999999999" + package.substr(13)},
        {"a negative length", package.substr(0, 3) + "-000000001" + package.substr(13)},
        {"cut in the records", package.substr(0, package.size() - 40)},
        {"cut in the date", package.substr(0, package.size() - 5)},
    };
    for (size_t cut = 0; cut + 10 < package.size(); cut += 7) cases.push_back({"cut anywhere", package.substr(0, cut)});
    for (const Case& c : cases) EXPECT_FALSE(indexed(c.bytes)) << c.what << " " << c.bytes.size();
}

TEST(UpdatePackage, RecordsThatDoNotMatchTheirFilesAreRefused) {
    struct Case {
        const char* what;
        PackageLayout layout;
        bool indexes;
        const char* content;  // of file 0 once indexed
    };
    PackageLayout base;
    base.files = {{"a.txt", "alpha"}};
    auto with = [&](auto change) {
        PackageLayout l = base;
        change(l);
        return l;
    };
    const Case cases[] = {
        {"as built", base, true, "alpha"},
        {"size too small", with([](PackageLayout& l) { l.sizes = {"0000000004"}; }), true, "<failed>"},
        {"size too large", with([](PackageLayout& l) { l.sizes = {"0000000006"}; }), true, "<failed>"},
        {"size zero", with([](PackageLayout& l) { l.sizes = {"0000000000"}; }), true, "<failed>"},
        {"size not a number", with([](PackageLayout& l) { l.sizes = {"00000x0005"}; }), false, ""},
        {"size of gigabytes", with([](PackageLayout& l) { l.sizes = {"4000000000"}; }), false, ""},
        {"stored with another size", with([](PackageLayout& l) {
             l.files[0].stored = true;
             l.sizes = {"0000000004"};
         }),
         true, "<failed>"},
        {"corrupt stream", with([](PackageLayout& l) {
             l.files[0] = {"a.txt", "\x78\x9c\xff\xff\xff", true};
         }),
         true, "<failed>"},
        {"no name for the id", with([](PackageLayout& l) {
             l.indexHeading = "1##a.txt##\r\n";
             l.files[0].name = "";
         }),
         false, ""},
        {"an id of twenty digits", with([](PackageLayout& l) {
             l.indexHeading = "Varnok Com. update index\r\n99999999999999999999##b.txt##";
             l.files[0].name = "";
         }),
         false, ""},
    };
    for (const Case& c : cases) {
        auto update = indexed(BuildPackage(c.layout));
        ASSERT_EQ(update != nullptr, c.indexes) << c.what;
        if (update) {
            EXPECT_EQ(unpacked(*update, 0), c.content) << c.what;
        }
    }
}

TEST(UpdatePackage, TheSignedMessageCoversEverythingButTheSignature) {
    PackageLayout layout;
    layout.files = {{"a.txt", "alpha"}, {"update.sig", "signature bytes"}};
    auto update = indexed(BuildPackage(layout));
    ASSERT_TRUE(update);
    EXPECT_EQ(update->SignatureEntry(), 1u);
    const std::string message = update->SignedMessage(1);
    const std::string head = "VARNOK-UPDATE-2\nprog=1\n15-03-2004";
    EXPECT_EQ(message.substr(0, head.size()), head);
    EXPECT_NE(update->SignedMessage(2), message) << "another product's package is another message";
    EXPECT_NE(message.find(std::string(update->Block(0))), std::string::npos);
    EXPECT_EQ(message.find("signature"), std::string::npos);
    EXPECT_EQ(message.size(), head.size() + 4 + 5 + 4 + 4 + update->Entry(0).length);

    // A signature entry larger than any key's signature is no signature: it is
    // refused before it is unpacked or anything is hashed.
    layout.files.back().content = std::string(kMaxSignatureBytes + 1, 's');
    auto oversized = indexed(BuildPackage(layout));
    ASSERT_TRUE(oversized);
    EXPECT_FALSE(oversized->SignatureEntry());

    layout.files.pop_back();
    auto unsigned_ = indexed(BuildPackage(layout));
    ASSERT_TRUE(unsigned_);
    EXPECT_FALSE(unsigned_->SignatureEntry());
}

TEST(UpdatePackage, TheEditionItNames) {
    struct Case {
        std::vector<PackageFile> notes;
        const char* edition;
    };
    const Case cases[] = {
        {{}, "x86"},  // every package made before there were two editions
        {{{"update.edition", "x64"}}, "x64"},
        {{{"update.edition", "x86"}}, "x86"},
        {{{"update.edition", "arm64"}}, ""},
        {{{"update.edition", std::string(17, 'x')}}, ""},
        {{{"update.edition", "\x78\x9c\xff\xff\xff", true}}, ""},  // does not unpack
        {{{"Update.Edition", "x64"}}, "x86"},  // a file like any other
    };
    for (const Case& c : cases) {
        PackageLayout layout;
        layout.files = {{"a.txt", "alpha"}};
        layout.files.insert(layout.files.end(), c.notes.begin(), c.notes.end());
        auto update = indexed(BuildPackage(layout));
        ASSERT_TRUE(update);
        EXPECT_EQ(update->Edition(), c.edition) << (c.notes.empty() ? "none" : c.notes[0].content);
    }
    EXPECT_TRUE(IsPackageNote("update.edition") && IsPackageNote("update.sig") && !IsPackageNote("Update.Edition"));
    EXPECT_EQ(OtherEditionText("x64", "x86"),
              "The received update is for the x64 edition of Varnok scan, and this is the x86 edition.");
    EXPECT_EQ(OtherEditionText("", "x64"),
              "The received update is for another edition of Varnok scan, and this is the x64 edition.");
}
