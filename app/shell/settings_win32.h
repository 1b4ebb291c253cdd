// Loading and storing the options and lists under the product's key.
#pragma once

#include <string>
#include <vector>

// Each returns false when the key cannot be opened (nothing then changes).
bool LoadSettings();
bool SaveSettings();
// The folder list is read wide, so that an entry in letters the code page
// lacks (another program wrote it) names its folder.
bool LoadFolders();
// Entries are stored in the code page (older versions read them so); one it
// cannot spell is stored by its 8.3 path, or, without one, left out of what
// is stored and added to notKept.
bool SaveFolders(std::vector<std::string>* notKept = nullptr);
// The form in which a folder list entry is stored; empty when it has none.
std::string StoredFolderEntry(const std::string& folder);
// This user's store of what files hold (UTF-8), in the local application
// data folder the shell names; empty when it names none.
std::string RememberedContentsPath();
bool LoadMasks();
bool SaveMasks();
