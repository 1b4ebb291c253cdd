// The program's options and the lists the user keeps: what a scan looks at,
// how it compares, what deleting does. Every default is here; the shell
// loads and stores them, the scan and the results review only read them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Buffer sizes are counted in 512-byte units; the options dialog offers 1 to 2048.
inline constexpr int32_t kMinBufferUnits = 1;
inline constexpr int32_t kMaxBufferUnits = 2048;
inline constexpr int32_t kDefaultAdvancedBufferUnits = 32;
inline constexpr int32_t kDefaultStandardBufferUnits = 128;

using MaskList = std::vector<std::string>;

// The folders a scan lists, one entry per folder (trees were expanded when
// they were added), normally ending with a backslash.
extern std::vector<std::string> slFoldersToScan;
// Stored entries too long for the program to scan (written by another
// program): kept out of slFoldersToScan, and named when a search is run.
extern std::vector<std::string> slFoldersLeftOut;
// Entries of the folder list whose files are never selected, marked, deleted
// or linked: every group keeps its copies there. Stored apart, as
// "slProtectedFolders", so the folder list stays as older versions read it.
extern std::vector<std::string> slProtectedFolders;
// Whether a folder (with or without its trailing backslash) is protected; case
// is ignored, as the file system ignores it.
bool IsProtectedFolder(const std::string& folder);
extern MaskList slIncludedFiles;
extern MaskList slExcludedFiles;

extern bool bEnableAdvanced;         // checksum pass and checksum order
extern int32_t lAdvancedBufferSize;  // checksum block, in 512-byte units
extern int32_t lStandartBufferSize;  // each comparison buffer, in 512-byte units
extern bool bNotDeleteLastCopy;      // one copy of every group always stays
extern bool bUnixWildCard;           // UNIX-style wildcards, as last loaded
extern bool bCreateUndo;             // write an undo batch file when deleting
extern bool bEnhancedUndo;           // the enhanced kind of undo file
extern bool bWarnInternet;           // ask before sending anything over the Internet

// A size floor for the files a search lists (0 and off, the defaults, list
// every file). A file below it is not listed at all, so not counted as left out.
inline constexpr int32_t kMaxSkipSmallerThan = 0x7FFFFFFF;
extern int32_t lSkipSmallerThan;  // bytes
extern bool bSkipEmptyFiles;
bool SkippedForItsSize(int64_t size);

// Delete sends the marked files to the Recycle Bin (off: they are deleted for good).
extern bool bUseRecycleBin;
// A search takes what earlier ones learnt of files' contents from the user's
// store, and keeps there what it read (off: no store is read or written).
extern bool bRememberContents;
// The floor as typed: digits with blanks around them, nothing for 0; false
// for anything else or a number past kMaxSkipSmallerThan.
bool ParseSkipSmallerThan(const std::string& text, int32_t& bytes);

// A stored buffer size the options dialog could not have set (below 1 or
// above 2048 units) becomes the default.
int32_t CorrectedBufferUnits(int32_t stored, int32_t defaultUnits);

// The options as a fresh installation has them (the lists are left alone).
void SetDefaultSettings();

// A buffer size in 512-byte units as the options dialog shows it: the
// kilobytes in a field of five with one decimal, then " Kb" (128 gives " 64.0 Kb").
std::string BufferSizeText(int32_t units);

// The option values together, to put back what a dialog changed.
struct OptionValues {
    bool enableAdvanced, notDeleteLastCopy, unixWildCard, createUndo, enhancedUndo, warnInternet;
    int32_t advancedBufferSize, standartBufferSize;
    int32_t skipSmallerThan;
    bool skipEmptyFiles;
    bool useRecycleBin;
    bool rememberContents;
};
OptionValues CurrentOptions();
void RestoreOptions(const OptionValues& values);
