// The options, folder list and mask lists kept under the product's key.
// The scan's own options and lists are declared with the scan engine.
#pragma once

#include <cstdint>

#include "app/scan/catalogue.h"
#include "app/scan/masks.h"

extern bool bCreateUndo;    // write an undo batch file when deleting
extern bool bEnhancedUndo;  // the enhanced kind of undo file
extern bool bWarnInternet;  // ask before sending anything over the Internet

// A stored buffer size the options dialog could not have set (below 1 or
// above 2048 units) becomes the default.
int32_t CorrectedBufferUnits(int32_t stored, int32_t defaultUnits);

// The options as a fresh installation has them.
void SetDefaultSettings();

// Each returns false when the key cannot be opened (nothing then changes).
bool LoadSettings();
bool SaveSettings();
bool LoadFolders();
bool SaveFolders();
bool LoadMasks();
bool SaveMasks();
