#include "app/scan/masks.h"
#include "tests/support/program_state.h"

#include <gtest/gtest.h>

namespace {

struct MatchCase {
    const char* mask;
    const char* name;
    bool dos;   // expected with DOS-style wildcards
    bool unix;  // expected with UNIX-style wildcards
};

// Cases where the two dialects agree and where classes make them differ.
const MatchCase kMatchCases[] = {
    // "*" alone, and stars at either end
    {"*", "", true, true},
    {"*", "anything.at.all", true, true},
    {"*.*", "README", false, false},
    {"*.*", "README.", true, true},
    {"*.*", "a.b", true, true},
    {"*.TXT", "notes.txt", true, true},
    {"*.txt", "NOTES.TXT", true, true},
    {"*.txt", "notes.txt.bak", false, false},
    {"*.txt", ".txt", true, true},
    {"*txt", "txt", true, true},
    {"abc*", "abc", true, true},
    {"abc**", "abc", false, false},
    {"abc**", "abcd", true, true},
    {"a*b*c", "aXXbYYc", true, true},
    {"a*b*c", "abcabc", true, true},
    {"a*b*c", "acb", false, false},
    {"*a", "banana", true, true},
    {"*ab", "aab", true, true},
    {"**", "x", true, true},
    {"**", "", false, false},
    {"*?", "", false, false},
    {"*?", "a", true, true},
    // "?" consumes exactly one character
    {"a?c", "ac", false, false},
    {"a?c", "abc", true, true},
    {"a?c", "abbc", false, false},
    {"???", "ab", false, false},
    {"?", "", false, false},
    // empty mask, empty name
    {"", "", true, true},
    {"", "a", false, false},
    {"a", "", false, false},
    // plain characters compare case-insensitively
    {"Photo.JPG", "photo.jpg", true, true},
    {"photo.jpg", "photo.jpe", false, false},
    // classes (UNIX only; DOS reads "[" and "]" literally)
    {"[a-c]*", "Beta.doc", false, true},
    {"[a-c]*", "delta.doc", false, false},
    {"[!a]*", "alpha", false, false},
    {"[!a]*", "beta", false, true},
    {"[^a]*", "Alpha", false, false},
    {"[]x", "x", false, false},
    {"[]x", "]x", false, false},
    {"[a]b", "[a]b", true, false},
    {"[a]b", "ab", false, true},
    {"[a]b", "Ab", false, true},
    {"[abc]", "B", false, true},
    {"[abc]", "d", false, false},
    {"[a-c-e]x", "dx", false, true},   // the second range starts again from "a"
    {"[c-a]x", "bx", false, false},    // a descending range adds nothing
    {"[-c]x", "cx", false, false},     // "-" with nothing before it swallows "c"
    {"[a-]x", "]x", false, false},     // "]" taken as the range end leaves the class open
    {"[a!]x", "bx", false, true},      // "!" anywhere inside negates
    {"[a!]x", "ax", false, false},
    {"x[0-9][0-9]", "x42", false, true},
    {"x[0-9][0-9]", "x4z", false, false},
    {"*[0-9].txt", "file7.txt", false, true},
    {"*[0-9].txt", "file.txt", false, false},
    {"[a-c]", "", false, false},
    // a class without "]" matches nothing and never reads past the mask
    {"[abc", "a", false, false},
    {"[abc", "[abc", true, false},
    {"a[", "a[", true, false},
    {"a[", "ab", false, false},
    {"[a-", "a", false, false},
    {"*[", "x[", true, false},
};

// Shown in test names as mask|name.
void PrintTo(const MatchCase& c, std::ostream* out) { *out << c.mask << '|' << c.name; }

class MatchTest : public ::testing::TestWithParam<MatchCase> {
protected:
    void TearDown() override { SetUnixWildcards(false); }
};

TEST_P(MatchTest, DosStyle) {
    const MatchCase& c = GetParam();
    SetUnixWildcards(false);
    EXPECT_EQ(Match(c.mask, c.name), c.dos) << "mask " << c.mask << " name " << c.name;
    EXPECT_EQ(DosMatch(c.mask, c.name), c.dos);
}

TEST_P(MatchTest, UnixStyle) {
    const MatchCase& c = GetParam();
    SetUnixWildcards(true);
    EXPECT_EQ(Match(c.mask, c.name), c.unix) << "mask " << c.mask << " name " << c.name;
    EXPECT_EQ(UnixMatch(c.mask, c.name), c.unix);
}

INSTANTIATE_TEST_SUITE_P(Masks, MatchTest, ::testing::ValuesIn(kMatchCases));

TEST(Match, AccentedLettersIgnoreCaseByTheCodePage) {
    // e acute and E acute in the ANSI code page
    EXPECT_TRUE(DosMatch("caf\xC9.txt", "caf\xE9.TXT"));
    EXPECT_TRUE(UnixMatch("[\xC9]*", "\xE9t\xE9"));
}

TEST(Match, ManyStarsFinishQuickly) {
    std::string name(200, 'a');
    EXPECT_FALSE(DosMatch("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(DosMatch("*a*a*a*a*a*a*a*a*a*a*a*a*a", name));
    EXPECT_FALSE(UnixMatch("*[a]*[a]*a*a*a*a*a*a*a*a*a*[!a]", name));
}

TEST(Match, SetUnixWildcardsSwitchesTheActiveDialect) {
    SetUnixWildcards(true);
    EXPECT_TRUE(UnixWildcards);
    EXPECT_TRUE(Match("[ab]x", "bx"));
    SetUnixWildcards(false);
    EXPECT_FALSE(UnixWildcards);
    EXPECT_FALSE(Match("[ab]x", "bx"));
    EXPECT_TRUE(Match("[ab]x", "[AB]X"));
}

class MaskListTest : public ::testing::Test {
protected:
    void TearDown() override { ResetProgramState(); }
};

TEST_F(MaskListTest, EmptyListGivesTheDefault) {
    EXPECT_TRUE(MatchList({}, "x", true));
    EXPECT_FALSE(MatchList({}, "x", false));
    EXPECT_TRUE(MatchList({"*.doc", "*.txt"}, "a.txt", false));
    EXPECT_FALSE(MatchList({"*.doc", "*.txt"}, "a.pdf", true));
}

TEST_F(MaskListTest, AcceptFileName) {
    struct Case {
        MaskList include;
        MaskList exclude;
        const char* name;
        bool accepted;
    };
    const Case cases[] = {
        {{}, {}, "anything", true},
        {{}, {}, "", true},
        {{"*.jpg"}, {"thumb*"}, "Thumb01.JPG", false},
        {{"*.jpg"}, {"thumb*"}, "photo.jpg", true},
        {{"*.jpg"}, {"thumb*"}, "thumb.png", false},
        {{}, {"*.tmp"}, "a.tmp", false},
        {{}, {"*.tmp"}, "a.txt", true},
        {{"*.txt", "*.doc"}, {}, "b.DOC", true},
        {{"*.txt", "*.doc"}, {}, "b.pdf", false},
    };
    for (const Case& c : cases) {
        slIncludedFiles = c.include;
        slExcludedFiles = c.exclude;
        EXPECT_EQ(AcceptFileName(c.name), c.accepted) << c.name;
    }
}

TEST(SplitMaskText, Table) {
    struct Case {
        const char* text;
        MaskList masks;
    };
    const Case cases[] = {
        {" *.txt, ,*.doc ,", {"*.txt", "*.doc"}},
        {"*.a ,*.b", {"*.a ", "*.b"}},
        {"", {}},
        {" , ,, ", {}},
        {"*.txt", {"*.txt"}},
        {"a b,c", {"a b", "c"}},
        {",,a,,,b,,", {"a", "b"}},
        {"*.arj,*.zip,*.rar,*.ha,*.lzh,*.ice,*.pak,*.cab",
         {"*.arj", "*.zip", "*.rar", "*.ha", "*.lzh", "*.ice", "*.pak", "*.cab"}},
        {"x ,  y", {"x ", "y"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitMaskText(c.text), c.masks) << '"' << c.text << '"';
}

}  // namespace

TEST(AddMaskText, SkipsWhatTheListHoldsAndMovesOnlyWhenAllowed) {
    struct Case {
        const char* text;
        MaskList include, exclude;
        bool allowMove;
        MaskList wantInclude, wantExclude;
        std::vector<std::string> asked;
    } cases[] = {
        {"*.txt, *.TXT", {}, {}, false, {"*.txt"}, {}, {}},
        {"*.jpg,*.jpeg,*.bmp", {"*.BMP"}, {}, false, {"*.BMP", "*.jpg", "*.jpeg"}, {}, {}},
        {"*.tmp, *.log", {}, {"*.TMP"}, false, {"*.log"}, {"*.TMP"}, {"*.tmp"}},
        {"*.tmp, *.log", {}, {"*.TMP", "*.x"}, true, {"*.tmp", "*.log"}, {"*.x"}, {"*.tmp"}},
        {" , ,", {"a"}, {}, true, {"a"}, {}, {}},
    };
    for (Case& c : cases) {
        std::vector<std::string> asked;
        AddMaskText(c.text, c.include, c.exclude, [&](const std::string& mask) {
            asked.push_back(mask);
            return c.allowMove;
        });
        EXPECT_EQ(c.include, c.wantInclude) << c.text;
        EXPECT_EQ(c.exclude, c.wantExclude) << c.text;
        EXPECT_EQ(asked, c.asked) << c.text;
    }
}
