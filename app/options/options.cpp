#include "app/options/options.h"

bool bCreateUndo = true;
bool bEnhancedUndo = true;
bool bWarnInternet = false;

int32_t CorrectedBufferUnits(int32_t stored, int32_t defaultUnits) {
    // Such a value can only have been put there by hand or by damage, so it
    // says nothing reliable about what the user wants.
    return stored >= 1 && stored <= 2048 ? stored : defaultUnits;
}

void SetDefaultSettings() {
    bEnableAdvanced = false;
    lAdvancedBufferSize = 32;
    lStandartBufferSize = 128;
    bNotDeleteLastCopy = true;
    bCreateUndo = true;
    bEnhancedUndo = true;
    bWarnInternet = false;
}
