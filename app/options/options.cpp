#include "app/options/options.h"

std::vector<std::string> slFoldersToScan;
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

int32_t CorrectedBufferUnits(int32_t stored, int32_t defaultUnits) {
    // Such a value can only have been put there by hand or by damage, so it
    // says nothing reliable about what the user wants.
    return stored >= kMinBufferUnits && stored <= kMaxBufferUnits ? stored : defaultUnits;
}

void SetDefaultSettings() {
    bEnableAdvanced = false;
    lAdvancedBufferSize = kDefaultAdvancedBufferUnits;
    lStandartBufferSize = kDefaultStandardBufferUnits;
    bNotDeleteLastCopy = true;
    bCreateUndo = true;
    bEnhancedUndo = true;
    bWarnInternet = false;
}
