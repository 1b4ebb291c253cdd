// A folder tree as the folder list holds it: the root and its subfolders,
// one entry each, depth first.
#pragma once

#include <functional>
#include <string>

// Calls visit(folder) for root and, depth first in the order the system lists
// them, every subfolder that is neither hidden nor system and whose name does
// not begin with "."; each folder ends with a backslash. Folders whose path
// would pass 255 characters are left out (they cannot be searched with the
// program's 255-character paths, and a looping junction ends there).
void ForEachFolderInTree(const std::string& root, const std::function<void(const std::string&)>& visit);
