// Where this user's remembered contents of files are kept: one file under
// the user's local application data, outside the program's folder, so that
// every installation of the user's shares it and an update keeps it.
#pragma once

#include <string>

// The store in the user's local application data folder (both UTF-8):
// "<folder>\Varnok Scan\Remembered contents.dat".
std::string RememberedContentsIn(const std::string& localAppData);

// Makes the store's folder where it is not there yet (before a save).
void MakeRememberedContentsFolder(const std::string& path);

// Deletes the store at path, the damaged one set aside beside it and any
// copy left half written; true when there was anything to delete. A file
// that stays (another program holds it) sets *kept.
bool ForgetRememberedContents(const std::string& path, bool* kept = nullptr);
