// Which names an update may write: only paths inside the installation folder.
#pragma once

#include <string_view>

// A relative path of at most 255 characters, made of non-empty parts that are
// not "." or "..", without a drive, a colon, a leading separator or control
// characters.
bool IsSafeEntryName(std::string_view name);

// path is folder (which ends with a backslash; compared without regard to
// case) followed by a safe entry name.
bool IsInsideFolder(std::string_view path, std::string_view folder);
