#include "app/shell/version_info.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <sstream>

#include "common/text.h"

VersionInfo ProgramVersion;

double ParseReleaseDate(const std::string& text) {
    size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return 0;
    // Read with the classic locale: the resource is written with a full stop
    // whatever the user's decimal separator is.
    std::istringstream in(text.substr(start));
    in.imbue(std::locale::classic());
    double value = 0;
    if (!(in >> value) || in.peek() != std::char_traits<char>::eof()) return 0;
    return std::isfinite(value) ? value : 0;
}

std::string VersionText(const VersionInfo& info) {
    if (!info.read) return "Unknown version!";
    char text[64];
    std::snprintf(text, sizeof text, "Version %d.%2.2d Build %d", info.fileMajor, info.fileMinor, info.fileBuild);
    return text;
}

std::string ReleaseDateText(const VersionInfo& info) {
    if (!(std::fabs(info.releaseDate) >= 0.01)) return "(none)";
    return DateTimeText(OleDateToTimeStamp(info.releaseDate));
}
