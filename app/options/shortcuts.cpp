#include "app/options/shortcuts.h"

#include <vector>

namespace {

struct Action {
    uint16_t command;
    uint16_t nameId;
    uint8_t flags;
    uint16_t key;
};

constexpr Action kActions[kShortcutRows] = {
    {103, 600, kFVirtKey | kFAlt, 0x58},      // Alt+X
    {147, 601, kFVirtKey, 0x71},              // F2
    {148, 602, 0, 0},
    {149, 603, 0, 0},
    {150, 604, 0, 0},
    {151, 605, 0, 0},
    {152, 606, 0, 0},
    {156, 610, 0, 0},
    {158, 612, 0, 0},
    {159, 613, kFVirtKey | kFShift, 0x70},    // Shift+F1
    {160, 614, kFVirtKey | kFControl, 0x70},  // Ctrl+F1
    {161, 615, kFVirtKey | kFAlt, 0x70},      // Alt+F1
    {162, 616, 0, 0},
    {163, 617, 0, 0},
};

// Ctrl+E opens where the file is (as "Explorer"), Ctrl+S saves, as elsewhere.
constexpr Action kResultsActions[kResultsShortcutRows] = {
    {262, 618, kFVirtKey | kFControl, 0x45},  // Ctrl+E
    {263, 619, kFVirtKey | kFControl, 0x53},  // Ctrl+S
    {264, 620, 0, 0},                         // linking replaces files: no key unless the user gives one
};

std::array<KeyName, kKeyNameCount> buildKeyNames() {
    static const char* const letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                          "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char* const gray[] = {"Gray0", "Gray1", "Gray2", "Gray3", "Gray4",
                                       "Gray5", "Gray6", "Gray7", "Gray8", "Gray9"};
    static const char* const functions[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12"};
    std::array<KeyName, kKeyNameCount> names{};
    size_t n = 0;
    for (uint16_t k = 0; k < 26; ++k) names[n++] = {static_cast<uint16_t>(0x41 + k), letters[k]};
    for (uint16_t k = 0; k < 10; ++k) names[n++] = {static_cast<uint16_t>(0x30 + k), digits[k]};
    for (uint16_t k = 0; k < 10; ++k) names[n++] = {static_cast<uint16_t>(0x60 + k), gray[k]};
    for (KeyName k : {KeyName{0x6A, "Gray*"}, {0x6B, "Gray+"}, {0x6D, "Gray-"}, {0x6E, "Gray."}, {0x6F, "Gray/"},
                      {0xBD, "-"}, {0xC0, "~"}, {0xBB, "+"}, {0xDC, "|"}, {0xDD, "]"}, {0xDB, "["}, {0xDE, "'"},
                      {0xBA, ";"}, {0xBF, "?"}, {0xBE, ">"}, {0xBC, "<"}})
        names[n++] = k;
    for (uint16_t k = 0; k < 12; ++k) names[n++] = {static_cast<uint16_t>(0x70 + k), functions[k]};
    for (KeyName k : {KeyName{0x21, "PgUp"}, {0x22, "PgDown"}, {0x23, "End"}, {0x24, "Home"}, {0x25, "Left"},
                      {0x26, "Up"}, {0x27, "Right"}, {0x28, "Down"}, {0x08, "backspace"}, {0x09, "Tab"},
                      {0x0C, "Clear"}, {0x0D, "Enter"}, {0x13, "Pause"}, {0x1B, "Esc"}, {0x20, "Space"},
                      {0x2C, "PrnScr"}, {0x2D, "Insert"}, {0x2E, "Delete"}, {0x14, "CapsLock"}, {0x90, "NumLock"},
                      {0x91, "ScrollLock"}})
        names[n++] = k;
    return names;
}

}  // namespace

ShortcutTable Shortcuts = DefaultShortcuts();
ResultsShortcutTable ResultsShortcuts = DefaultResultsShortcuts();

uint16_t ShortcutActionNameId(size_t row) {
    return row < kShortcutRows ? kActions[row].nameId : kResultsActions[row - kShortcutRows].nameId;
}

ResultsShortcutTable DefaultResultsShortcuts() {
    ResultsShortcutTable table{};
    for (size_t row = 0; row < kResultsShortcutRows; ++row)
        table[row] = {kResultsActions[row].flags, 0, kResultsActions[row].key, kResultsActions[row].command};
    return table;
}

ShortcutEntry& ShortcutRow(size_t row) {
    return row < kShortcutRows ? Shortcuts[row] : ResultsShortcuts[row - kShortcutRows];
}

const ShortcutEntry* ShortcutOfCommand(uint16_t command) {
    for (size_t row = 0; row < kAllShortcutRows; ++row)
        if (ShortcutRow(row).command == command) return &ShortcutRow(row);
    return nullptr;
}

ShortcutTable DefaultShortcuts() {
    ShortcutTable table{};
    for (size_t row = 0; row < kShortcutRows; ++row)
        table[row] = {kActions[row].flags, 0, kActions[row].key, kActions[row].command};
    return table;
}

const std::array<KeyName, kKeyNameCount>& KeyNames() {
    static const std::array<KeyName, kKeyNameCount> names = buildKeyNames();
    return names;
}

int KeyIndex(uint16_t key) {
    const auto& names = KeyNames();
    for (size_t k = 0; k < names.size(); ++k)
        if (names[k].code == key) return static_cast<int>(k);
    return -1;
}

std::string ShortcutText(const ShortcutEntry& entry) {
    std::string text;
    if (entry.flags & kFShift) text += "Shift+";
    if (entry.flags & kFControl) text += "Ctrl+";
    if (entry.flags & kFAlt) text += "Alt+";
    if (entry.flags & kFVirtKey) {
        int index = KeyIndex(entry.key);
        text += index >= 0 ? std::string(KeyNames()[static_cast<size_t>(index)].name)
                           : "Unknown code : " + std::to_string(entry.key);
    } else {
        text += '"';
        text += static_cast<char>(entry.key);
        text += '"';
    }
    return text;
}

std::string ShortcutListText(const ShortcutEntry& entry) {
    return entry.key == 0 ? "not defined." : ShortcutText(entry);
}

int FindShortcutClash(std::span<const ShortcutEntry> table, size_t row, const ShortcutEntry& entry) {
    for (size_t other = 0; other < table.size(); ++other)
        if (other != row && table[other].flags == entry.flags && table[other].key == entry.key)
            return static_cast<int>(other);
    return -1;
}

int FindShortcutClash(size_t row, const ShortcutEntry& entry) {
    for (size_t other = 0; other < kAllShortcutRows; ++other)
        if (other != row && ShortcutRow(other).flags == entry.flags && ShortcutRow(other).key == entry.key)
            return static_cast<int>(other);
    return -1;
}

std::string EncodeShortcuts(std::span<const ShortcutEntry> table) {
    std::string bytes;
    for (const ShortcutEntry& e : table) {
        bytes += static_cast<char>(e.flags);
        bytes += static_cast<char>(e.padding);
        bytes += static_cast<char>(e.key & 0xFF);
        bytes += static_cast<char>(e.key >> 8);
        bytes += static_cast<char>(e.command & 0xFF);
        bytes += static_cast<char>(e.command >> 8);
    }
    return bytes;
}

bool DecodeShortcuts(const std::string& bytes, std::span<ShortcutEntry> table) {
    if (bytes.size() != table.size() * sizeof(ShortcutEntry)) return false;
    auto byte = [&](size_t at) { return static_cast<uint8_t>(bytes[at]); };
    for (size_t row = 0; row < table.size(); ++row) {
        const size_t at = row * 6;
        table[row] = {byte(at), byte(at + 1), static_cast<uint16_t>(byte(at + 2) | byte(at + 3) << 8),
                      static_cast<uint16_t>(byte(at + 4) | byte(at + 5) << 8)};
    }
    return true;
}

void MergeShortcuts(const std::string& bytes, std::span<ShortcutEntry> table) {
    std::vector<ShortcutEntry> stored(bytes.size() / sizeof(ShortcutEntry));
    DecodeShortcuts(bytes.substr(0, stored.size() * sizeof(ShortcutEntry)), stored);
    for (const ShortcutEntry& entry : stored)
        for (ShortcutEntry& row : table)
            if (row.command == entry.command) row = entry;
}
