// Loading and storing the options and lists under the product's key.
#pragma once

// Each returns false when the key cannot be opened (nothing then changes).
bool LoadSettings();
bool SaveSettings();
bool LoadFolders();
bool SaveFolders();
bool LoadMasks();
bool SaveMasks();
