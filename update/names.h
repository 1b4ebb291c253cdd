// Which names an update may write: only paths inside the installation folder.
#pragma once

#include <string_view>

// A relative path of at most 255 characters, its parts parted by backslashes:
// none empty, "." or "..", ending in a dot or a blank, or naming a device;
// no drive, colon, slash, leading separator or control character.
bool IsSafeEntryName(std::string_view name);

// path is folder (which ends with a backslash; compared without regard to
// case) followed by a safe entry name.
bool IsInsideFolder(std::string_view path, std::string_view folder);
// Whether path names a file directly in folder (ending with "\\"), not in one of its subfolders.
bool IsFileOfFolder(std::string_view path, std::string_view folder);
