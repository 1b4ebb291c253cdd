#include "selection.h"

#include <cmath>

#include "common/text.h"

platform::SpecialFolders JunkFolders;

void LoadJunkFolders() {
    platform::SpecialFolders f = platform::specialFolders();
    JunkFolders = {UpperStr(f.temp), UpperStr(f.system), UpperStr(f.windows)};
}

namespace {

// An empty folder text is found nowhere.
bool contains(const std::string& text, const std::string& part) {
    return !part.empty() && text.find(part) != std::string::npos;
}

// Compares year, month, day, hour, minute, second and milliseconds.
int compareTimes(const platform::TimeStamp& a, const platform::TimeStamp& b) {
    const uint16_t ka[] = {a.Year, a.Month, a.Day, a.Hour, a.Minute, a.Second, a.Milliseconds};
    const uint16_t kb[] = {b.Year, b.Month, b.Day, b.Hour, b.Minute, b.Second, b.Milliseconds};
    for (size_t k = 0; k < std::size(ka); ++k)
        if (ka[k] != kb[k]) return ka[k] < kb[k] ? -1 : 1;
    return 0;
}

}  // namespace

double JunkScore(const TFILEINFO& file, const platform::SearchPathNames* names) {
    double score = 0.0;
    for (char c : std::string("~$^#@"))
        if (file.Name().find(c) != std::string_view::npos) score += 1;
    const auto dot = file.Name().rfind('.');
    if (dot != std::string_view::npos && UpperStr(std::string(file.Name().substr(dot + 1))) == "BAK") score += 1;
    const std::string folder = UpperStr(file.AnsiFolderPath());
    if (contains(folder, JunkFolders.temp)) score += 1;
    if (contains(folder, JunkFolders.system)) score -= 2;
    if (contains(folder, JunkFolders.windows)) score -= 1;
    if (file.Attributes & 0x100) score += 1;
    if (file.Attributes & platform::kAttrHidden) score -= 1;
    if (file.Attributes & platform::kAttrSystem) score -= 1;
    if (file.Attributes & platform::kAttrReadOnly) score -= 1;
    if (file.Attributes & platform::kAttrArchive) score += 0.1;
    const bool onPath =
        names ? names->contains(std::string(file.RealName())) : platform::onSearchPath(std::string(file.Name()));
    score += onPath ? -1 : 1;
    return score;
}

std::vector<bool> SmartSelection(const std::vector<double>& scores) {
    double lowest = 32000.0;
    for (double s : scores)
        if (s < lowest) lowest = s;
    std::vector<bool> select(scores.size(), false);
    bool kept = false;
    for (size_t k = 0; k < scores.size(); ++k) {
        if (std::fabs(scores[k] - lowest) >= 0.01)
            select[k] = true;
        else if (!kept)
            kept = true;  // the first lowest-scored copy stays
        else
            select[k] = scores[k] > 0;
    }
    return select;
}

std::vector<bool> TimeSelection(const std::vector<platform::TimeStamp>& written, bool oldestFiles) {
    platform::TimeStamp reference;
    reference.Year = oldestFiles ? 0 : 64000;
    for (const platform::TimeStamp& t : written) {
        const int c = compareTimes(t, reference);
        if (oldestFiles ? c > 0 : c < 0) reference = t;
    }
    std::vector<bool> select;
    for (const platform::TimeStamp& t : written) select.push_back(compareTimes(t, reference) != 0);
    return select;
}

bool InSingleFolder(const std::string& folderPath, const std::string& target) {
    return platform::upperUtf8(folderPath) + "\\" == target;
}

bool InFolderTree(const std::string& folderPath, const std::string& target) {
    return (platform::upperUtf8(folderPath) + "\\").find(target) != std::string::npos;
}
