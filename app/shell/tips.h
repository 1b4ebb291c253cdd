// The tips file: records of a 4-byte prefix (skipped), a length byte and
// that many bytes of text, one after another with nothing between them.
#pragma once

#include <cstdint>
#include <string>

// A tips file is a few kilobytes; a larger one is damaged or not ours, and is
// refused like a missing one rather than read for minutes.
inline constexpr size_t kMaxTipsFileBytes = 1 << 20;

// How many whole records the bytes hold. A last record cut short inside its
// text is not counted: the window shows only what is there to show.
int32_t CountTips(const std::string& bytes);
// The text of record index (0-based); empty past the last whole record.
std::string TipText(const std::string& bytes, int32_t index);
