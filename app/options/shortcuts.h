// The keyboard shortcuts of the main window's commands: one entry per
// action in a fixed table, stored as the registry's binary "ShortCuts".
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// Laid out like Win32's ACCEL (6 bytes).
struct ShortcutEntry {
    uint8_t flags = 0;  // kFVirtKey, kFShift, kFControl, kFAlt; 0 without combination
    uint8_t padding = 0;
    uint16_t key = 0;  // virtual-key code; 0 without combination
    uint16_t command = 0;
    friend bool operator==(const ShortcutEntry&, const ShortcutEntry&) = default;
};
static_assert(sizeof(ShortcutEntry) == 6);

inline constexpr uint8_t kFVirtKey = 0x01;
inline constexpr uint8_t kFShift = 0x04;
inline constexpr uint8_t kFControl = 0x08;
inline constexpr uint8_t kFAlt = 0x10;

inline constexpr size_t kShortcutRows = 14;
using ShortcutTable = std::array<ShortcutEntry, kShortcutRows>;

// The results window's later commands have rows of their own, after the main
// window's, stored apart ("ShortCutsResults") so that "ShortCuts" keeps its size.
inline constexpr size_t kResultsShortcutRows = 3;
using ResultsShortcutTable = std::array<ShortcutEntry, kResultsShortcutRows>;
// Every row the shortcuts dialog lists: the main window's, then the results window's.
inline constexpr size_t kAllShortcutRows = kShortcutRows + kResultsShortcutRows;

// The row's string-table entry with the action's name ("Varnok scan -> Exit" ...),
// for any row the dialog lists.
uint16_t ShortcutActionNameId(size_t row);
ShortcutTable DefaultShortcuts();
ResultsShortcutTable DefaultResultsShortcuts();

// The live tables.
extern ShortcutTable Shortcuts;
extern ResultsShortcutTable ResultsShortcuts;
// A row of either, numbered as the dialog lists them.
ShortcutEntry& ShortcutRow(size_t row);
// The live entry of a command of either table, or null.
const ShortcutEntry* ShortcutOfCommand(uint16_t command);

struct KeyName {
    uint16_t code;
    const char* name;
};
inline constexpr size_t kKeyNameCount = 95;
const std::array<KeyName, kKeyNameCount>& KeyNames();

// The first pair with that code, or -1.
int KeyIndex(uint16_t key);
// "Shift+Ctrl+Alt+" as they apply, then the key's name.
std::string ShortcutText(const ShortcutEntry& entry);
// What the list shows for a row.
std::string ShortcutListText(const ShortcutEntry& entry);

// The other row that already has the entry's flags and key, or -1.
int FindShortcutClash(std::span<const ShortcutEntry> table, size_t row, const ShortcutEntry& entry);
// The same over every row the dialog lists (one key serves one command in either window).
int FindShortcutClash(size_t row, const ShortcutEntry& entry);

// The registry's "ShortCuts" bytes: the entries back to back, little-endian.
std::string EncodeShortcuts(std::span<const ShortcutEntry> table);
// False, the table left alone, when the bytes are not exactly its size.
bool DecodeShortcuts(const std::string& bytes, std::span<ShortcutEntry> table);
// For a table that may gain rows: each stored entry goes to the row of its
// command, whatever the count stored; rows not stored keep what they hold.
void MergeShortcuts(const std::string& bytes, std::span<ShortcutEntry> table);
