// File operations and path lengths as the system counts them: beside the
// platform layer they use, apart from the text helpers.
#pragma once

#include <cstddef>
#include <string>

#include "messagebox.h"

// Deletes a file (its path in UTF-8), clearing read-only, hidden and system
// once if access is denied. On failure tells the user (in a box owned by
// owner) and returns false.
bool DeleteFileForced(const std::string& path, WindowHandle owner = nullptr);

// The length of a UTF-8 path in the UTF-16 units the system counts.
size_t SystemLength(const std::string& utf8);
