#include "app/options/options.h"

#include <cstdio>

#include "common/platform.h"

std::vector<std::string> slFoldersToScan;
std::vector<std::string> slFoldersLeftOut;
std::vector<std::string> slProtectedFolders;
MaskList slIncludedFiles;
MaskList slExcludedFiles;

bool bEnableAdvanced = false;
int32_t lAdvancedBufferSize = kDefaultAdvancedBufferUnits;
int32_t lStandartBufferSize = kDefaultStandardBufferUnits;
bool bNotDeleteLastCopy = true;
bool bUnixWildCard = false;
bool bCreateUndo = true;
bool bEnhancedUndo = true;
bool bWarnInternet = false;
int32_t lSkipSmallerThan = 0;
bool bSkipEmptyFiles = false;

bool bUseRecycleBin = false;
bool bRememberContents = false;

bool SkippedForItsSize(int64_t size) { return size < lSkipSmallerThan || (size == 0 && bSkipEmptyFiles); }

bool ParseSkipSmallerThan(const std::string& text, int32_t& bytes) {
    const size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    int64_t value = 0;
    if (first != std::string::npos)
        for (size_t k = first; k <= last; ++k) {
            if (text[k] < '0' || text[k] > '9') return false;
            value = value * 10 + (text[k] - '0');
            if (value > kMaxSkipSmallerThan) return false;
        }
    bytes = static_cast<int32_t>(value);
    return true;
}

int32_t CorrectedBufferUnits(int32_t stored, int32_t defaultUnits) {
    // Such a value can only have been put there by hand or by damage, so it
    // says nothing reliable about what the user wants.
    return stored >= kMinBufferUnits && stored <= kMaxBufferUnits ? stored : defaultUnits;
}

std::string BufferSizeText(int32_t units) {
    char text[32];
    std::snprintf(text, sizeof text, "%5.1f Kb", units / 2.0);
    return text;
}

OptionValues CurrentOptions() {
    return {bEnableAdvanced,     bNotDeleteLastCopy,  bUnixWildCard,    bCreateUndo,    bEnhancedUndo, bWarnInternet,
            lAdvancedBufferSize, lStandartBufferSize, lSkipSmallerThan, bSkipEmptyFiles,
            bUseRecycleBin,      bRememberContents};
}

void RestoreOptions(const OptionValues& v) {
    bEnableAdvanced = v.enableAdvanced;
    bNotDeleteLastCopy = v.notDeleteLastCopy;
    bUnixWildCard = v.unixWildCard;
    bCreateUndo = v.createUndo;
    bEnhancedUndo = v.enhancedUndo;
    bWarnInternet = v.warnInternet;
    lAdvancedBufferSize = v.advancedBufferSize;
    lStandartBufferSize = v.standartBufferSize;
    lSkipSmallerThan = v.skipSmallerThan;
    bSkipEmptyFiles = v.skipEmptyFiles;
    bUseRecycleBin = v.useRecycleBin;
    bRememberContents = v.rememberContents;
}

void SetDefaultSettings() {
    bEnableAdvanced = false;
    lAdvancedBufferSize = kDefaultAdvancedBufferUnits;
    lStandartBufferSize = kDefaultStandardBufferUnits;
    bNotDeleteLastCopy = true;
    bCreateUndo = true;
    bEnhancedUndo = true;
    bWarnInternet = false;
    lSkipSmallerThan = 0;
    bSkipEmptyFiles = false;
    bUseRecycleBin = false;
    bRememberContents = false;
}

bool IsProtectedFolder(const std::string& folder) {
    if (slProtectedFolders.empty()) return false;
    auto key = [](const std::string& path) {
        std::string upper = platform::upperUtf8(path);
        if (!upper.empty() && upper.back() == '\\') upper.pop_back();
        return upper;
    };
    const std::string wanted = key(folder);
    for (const std::string& entry : slProtectedFolders)
        if (key(entry) == wanted) return true;
    return false;
}
