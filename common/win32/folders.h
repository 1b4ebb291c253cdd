// Folders a file is about to be written into.
#pragma once

#include <string>

// Creates every folder on the way to path's file that does not exist yet
// (failures show when the file itself cannot be written).
void MakeParentFolders(const std::string& path);
