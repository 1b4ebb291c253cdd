// The system's own wording of a Win32 error code (Windows only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// At most 255 characters, with the line break the system ends it with; empty
// for a code the system does not know.
std::string SysErrorText(uint32_t code);

// The same text written into a caller's buffer of the given size (always
// zero-terminated when size > 0); returns the number of characters written.
size_t SysErrorText(uint32_t code, char* buffer, size_t size);
