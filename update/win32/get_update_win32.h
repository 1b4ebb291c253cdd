// Fetching the update package, checking it whole, writing the applier's own
// files and handing every other file to the applier through a pipe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TUPDATEDATA;

// True when the applier has everything and the caller must end now.
// data and size receive the package, released again before the return.
bool DownloadUpdate(const std::string& product, int32_t number, void** data, int32_t* size);

bool HandOver(const std::string& folder, const TUPDATEDATA& package, const std::string& restart);

// A copy of the file in the temporary folder; empty when none could be made.
std::string MakeBackup(const std::string& path);
// 0 when written; -1 when not (the old content restored from the backup).
// With kept, the backup of a file written is left for the caller, named
// there (empty when none could be made); without, it is removed.
int WriteWithBackup(const std::string& path, const std::vector<uint8_t>& data, std::string* kept = nullptr);
