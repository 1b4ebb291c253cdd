// Paths and names between the program's UTF-8 and the system's UTF-16.
#pragma once

#include <string>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide);

// The wide path the system opens for a UTF-8 path: the "\\?\" form where the
// plain one would not reach the file (longer than MAX_PATH, a name ending in
// a dot or a blank, a device name such as "aux.c"), so that every file a
// search lists can be opened and deleted by its own name.
std::wstring SystemPath(const std::string& utf8);
