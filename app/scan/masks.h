// Which file names a scan keeps: include and exclude masks in DOS or UNIX
// wildcard style. Masks see the file name alone, never its folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options/options.h"

// The active dialect; loading the settings sets it from bUnixWildCard.
extern bool UnixWildcards;

// "*", "?" and plain characters, case-insensitive by the ANSI code page.
bool DosMatch(std::string_view mask, std::string_view name);
// As DosMatch, plus classes such as "[a-c]" and "[!x]".
bool UnixMatch(std::string_view mask, std::string_view name);

void SetUnixWildcards(bool flag);
bool Match(std::string_view mask, std::string_view name);  // the active dialect

// whenEmpty for an empty list, else whether any mask matches.
bool MatchList(const MaskList& list, std::string_view name, bool whenEmpty);

// Included (or no include masks) and not excluded.
bool AcceptFileName(std::string_view name);

// Splits typed text such as " *.txt, ,*.doc ," into masks.
MaskList SplitMaskText(std::string_view text);

// Adds the masks of a typed or predefined text to thisList in order: one
// thisList already holds (letter case aside) is skipped; one otherList holds
// moves over only when moveFromOther(mask) agrees, else it is skipped.
void AddMaskText(std::string_view text, MaskList& thisList, MaskList& otherList,
                 const std::function<bool(const std::string& mask)>& moveFromOther);
