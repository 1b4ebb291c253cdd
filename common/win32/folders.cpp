#include "common/win32/folders.h"

#include <windows.h>

void MakeParentFolders(const std::string& path) {
    // From after "C:\" on: the drive's root is there already.
    for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
}
