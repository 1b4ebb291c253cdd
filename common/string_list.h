// The stored form of a string list: every non-empty string followed by a
// zero byte, then one more zero byte (an empty list is two zero bytes).
#pragma once

#include <string>
#include <vector>

using StringList = std::vector<std::string>;

std::string EncodeStringList(const StringList& list);

// Appends the strings of an encoded block to list: each zero-terminated text
// (at most limit bytes kept), empty ones skipped, stopping at a zero byte
// where a string would start or at the end of the block.
void DecodeStringList(const std::string& encoded, StringList& list, size_t limit = 255);
