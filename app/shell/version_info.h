// What the About box tells of the running program: its version and release
// date, as read from its own version resource at start.
#pragma once

#include <cstdint>
#include <string>

struct VersionInfo {
    bool read = false;  // the resource was read
    uint16_t fileMajor = 0, fileMinor = 0, fileBuild = 0;
    uint16_t productMajor = 0, productMinor = 0, productBuild = 0;
    double releaseDate = 0;  // an OLE date; 0 when there is none
};

// The running program's, filled by ReadVersionInfo.
extern VersionInfo ProgramVersion;

// The "ReleaseDate" text of the version resource: leading blanks dropped, the
// rest a decimal number ("3.855386081255787E+004"); 0 when it is not one.
double ParseReleaseDate(const std::string& text);

// "Version 1.08 Build 398", or "Unknown version!" when the resource was not
// read.
std::string VersionText(const VersionInfo& info = ProgramVersion);
// The release date and time in the user's formats, or "(none)" when there is
// no usable date.
std::string ReleaseDateText(const VersionInfo& info = ProgramVersion);
