// A folder tree as the folder list holds it: the root and its subfolders,
// one entry each, depth first.
#pragma once

#include <functional>
#include <string>

// The longest entry of the folder list, backslash included.
inline constexpr size_t kMaxFolderEntry = 255;

// Calls visit(folder) for root and, depth first in the order the system lists
// them, every subfolder that is neither hidden nor system and whose name does
// not begin with "."; each folder ends with a backslash. Paths are UTF-8. A
// subfolder is named by its 8.3 name where its own would pass 255
// characters; folders no name fits are left out. A folder reached again
// under another name (a link to a folder above it or beside it) is walked
// once. Returns how many folders were left out.
int ForEachFolderInTree(const std::string& root, const std::function<void(const std::string&)>& visit);
