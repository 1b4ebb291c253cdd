// Deleting to the Recycle Bin: which files it can take, and sending them there
// a batch at a time through the shell.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// Whether a file deleted by the shell would land in the Recycle Bin rather
// than be gone for good: on a fixed drive whose bin is not set to delete at
// once (nor turned off by policy), with a path the shell can take. Each
// volume is asked once.
class RecycleBinCheck {
public:
    bool takes(const std::string& path);

private:
    std::map<std::wstring, bool> volumes_;
};

// Sends the files to the Recycle Bin in one shell operation, with no question
// or progress of the shell's own (the shell still asks before it would delete
// one for good). The shell does not say which went: the caller looks.
void RecycleFiles(HWND owner, const std::vector<std::string>& paths);
