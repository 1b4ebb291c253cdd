// The batch file that removes the uninstaller and its folder once the
// uninstaller has ended, and then itself.
#pragma once

#include <string>

inline constexpr const char* kSelfDeleterName = "UnInstalVarnokScan.bat";

// The lines, each ended by CR LF. uninstaller: the uninstaller's full
// path; temporary: the temporary folder, ending with a backslash.
std::string SelfDeleterText(const std::string& uninstaller, const std::string& temporary);
