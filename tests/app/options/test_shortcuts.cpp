#include "app/options/shortcuts.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Shortcuts, DefaultTable) {
    const ShortcutTable table = DefaultShortcuts();
    const uint16_t commands[] = {103, 147, 148, 149, 150, 151, 152, 156, 158, 159, 160, 161, 162, 163};
    const uint16_t names[] = {600, 601, 602, 603, 604, 605, 606, 610, 612, 613, 614, 615, 616, 617};
    for (size_t row = 0; row < kShortcutRows; ++row) {
        EXPECT_EQ(table[row].command, commands[row]);
        EXPECT_EQ(ShortcutActionNameId(row), names[row]);
    }
    EXPECT_EQ(table[0], (ShortcutEntry{0x11, 0, 0x58, 103}));
    EXPECT_EQ(table[1], (ShortcutEntry{0x01, 0, 0x71, 147}));
    EXPECT_EQ(table[9], (ShortcutEntry{0x05, 0, 0x70, 159}));
    EXPECT_EQ(table[10], (ShortcutEntry{0x09, 0, 0x70, 160}));
    EXPECT_EQ(table[11], (ShortcutEntry{0x11, 0, 0x70, 161}));
    EXPECT_EQ(table[2], (ShortcutEntry{0, 0, 0, 148}));
}

TEST(Shortcuts, TextOfAnEntry) {
    struct Case {
        ShortcutEntry entry;
        const char* text;
    };
    const Case cases[] = {
        {{0x11, 0, 0x58, 103}, "Alt+X"},
        {{0x01, 0, 0x71, 147}, "F2"},
        {{0x1D, 0, 0x70, 1}, "Shift+Ctrl+Alt+F1"},
        {{0x09, 0, 0xFFFF, 1}, "Ctrl+Unknown code : 65535"},
        {{0x01, 0, 0xBD, 1}, "-"},
        {{0x01, 0, 0x90, 1}, "NumLock"},
        {{0x04, 0, 'q', 1}, "Shift+\"q\""},
        {{0, 0, 0, 1}, "\"\0\""},
    };
    for (const Case& c : cases) {
        std::string expected = c.text;
        if (c.entry.key == 0) expected = std::string("\"\0\"", 3);
        EXPECT_EQ(ShortcutText(c.entry), expected);
    }
    EXPECT_EQ(ShortcutListText({0, 0, 0, 148}), "not defined.");
    EXPECT_EQ(ShortcutListText({0x01, 0, 0x71, 147}), "F2");
}

TEST(Shortcuts, KeyNamesAreUniqueAndFoundByTheirFirstMatch) {
    const auto& names = KeyNames();
    std::set<uint16_t> codes;
    std::set<std::string> texts;
    for (const KeyName& k : names) {
        codes.insert(k.code);
        texts.insert(k.name);
        EXPECT_LE(std::string(k.name).size(), 10u);
    }
    EXPECT_EQ(codes.size(), kKeyNameCount);
    EXPECT_EQ(texts.size(), kKeyNameCount);
    EXPECT_EQ(KeyIndex('A'), 0);
    EXPECT_EQ(KeyIndex('0'), 26);
    EXPECT_EQ(KeyIndex(0x60), 36);
    EXPECT_EQ(KeyIndex(0x70), 62);
    EXPECT_EQ(KeyIndex(0x91), 94);
    EXPECT_EQ(KeyIndex(0xFFFF), -1);
    EXPECT_EQ(KeyIndex(0), -1);
}

TEST(Shortcuts, AClashIsAnotherRowWithTheSameFlagsAndKey) {
    const ShortcutTable table = DefaultShortcuts();
    EXPECT_EQ(FindShortcutClash(table, 0, {0x01, 0, 0x71, 103}), 1);   // F2 belongs to Run
    EXPECT_EQ(FindShortcutClash(table, 1, {0x01, 0, 0x71, 147}), -1);  // unchanged for its own row
    EXPECT_EQ(FindShortcutClash(table, 0, {0x09, 0, 0x71, 103}), -1);  // Ctrl+F2 is free
    EXPECT_EQ(FindShortcutClash(table, 2, {0, 0, 0, 148}), 3);         // "no combination" clashes too
}

TEST(Shortcuts, StoredFormIsSixBytesARow) {
    ShortcutTable table = DefaultShortcuts();
    table[4] = {0x09, 0, 0x1234, 150};
    const std::string bytes = EncodeShortcuts(table);
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(bytes.substr(0, 6), std::string("\x11\x00\x58\x00\x67\x00", 6));
    EXPECT_EQ(bytes.substr(24, 6), std::string("\x09\x00\x34\x12\x96\x00", 6));
    ShortcutTable back{};
    EXPECT_TRUE(DecodeShortcuts(bytes, back));
    EXPECT_EQ(back, table);
    EXPECT_FALSE(DecodeShortcuts(bytes.substr(0, 83), back));
    EXPECT_FALSE(DecodeShortcuts(bytes + "x", back));
}

// The results window's rows are stored apart, entry by command: a value from a
// release with fewer (or other) rows still gives each row its own key.
TEST(Shortcuts, TheResultsWindowsRowsFollowTheMainWindowsAndMergeByCommand) {
    ResultsShortcutTable table = DefaultResultsShortcuts();
    EXPECT_EQ(ShortcutText(table[0]) + " " + ShortcutText(table[1]) + " " + ShortcutListText(table[2]),
              "Ctrl+E Ctrl+S not defined.");
    const std::string stored = EncodeShortcuts(std::vector<ShortcutEntry>{{0x05, 0, 0x53, 263}, {0x01, 0, 0x41, 999}});
    MergeShortcuts(stored + "\x01", table);
    EXPECT_EQ(table, (ResultsShortcutTable{{{0x09, 0, 0x45, 262}, {0x05, 0, 0x53, 263}, {0, 0, 0, 264}}}));
    // One key serves one command in either window.
    Shortcuts = DefaultShortcuts();
    ResultsShortcuts = DefaultResultsShortcuts();
    EXPECT_EQ(FindShortcutClash(0, {0x09, 0, 0x53, 103}), static_cast<int>(kShortcutRows + 1));
    EXPECT_EQ(FindShortcutClash(kShortcutRows, {0x01, 0, 0x71, 262}), 1);
    EXPECT_EQ(ShortcutActionNameId(kShortcutRows + 1), 619);
}

}  // namespace
