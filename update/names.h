// Which names an update may write: only paths inside the installation folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A relative path of at most 255 characters, its parts parted by backslashes:
// none empty, "." or "..", ending in a dot or a blank, or naming a device;
// no drive, colon, slash, leading separator or control character.
bool IsSafeEntryName(std::string_view name);

// path is folder (which ends with a backslash; compared without regard to
// case) followed by a safe entry name.
bool IsInsideFolder(std::string_view path, std::string_view folder);
// The first name of the list that an earlier one equals without regard to
// case (Windows writes both to one file); empty when there is none.
std::string FirstCaseTwin(const std::vector<std::string>& names);

// Whether path names a file directly in folder (ending with "\\"), not in one of its subfolders.
bool IsFileOfFolder(std::string_view path, std::string_view folder);
