// The scan's inputs and the catalogue of candidate files it builds from them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/scan/varnoklist.h"
#include "common/platform.h"

// The folders a scan lists, one entry per folder (trees were expanded when
// they were added), normally ending with a backslash.
extern std::vector<std::string> slFoldersToScan;

// Options of the scan engine, with their defaults until the settings are loaded.
extern bool bEnableAdvanced;        // checksum pass and checksum order
extern int32_t lAdvancedBufferSize;  // checksum block, in 512-byte units
extern int32_t lStandartBufferSize;  // each comparison buffer, in 512-byte units
extern bool bNotDeleteLastCopy;     // one copy of every group always stays
extern bool bUnixWildCard;          // UNIX-style wildcards

// Rotate left by one bit, then XOR in the byte; "abc" gives 0x123.
int32_t BlockChecksum(const void* data, int32_t count);

class TFILEINFO : public TLISTITEM {
public:
    using FolderList = std::shared_ptr<const std::vector<std::string>>;

    // folders: the folder list the index refers to; without one, the current folder list.
    TFILEINFO(int32_t folderIndex, const platform::FindData& found, FolderList folders = nullptr);

    std::string FolderPath() const;  // the folder list entry without its trailing backslash
    std::string FullPath() const;

    bool Open();    // rewinds when already open
    bool Rewind();  // opens when not open
    // Bytes read (0 at the end) or -1. The first successful read of the
    // record's life sets its checksum.
    int32_t ReadBlock(void* buffer, int32_t count);
    bool Close();
    void ReadFirstBlock(void* buffer, int32_t count);
    bool DeleteFromDisk();

    // Whether the two records name one file on disk. The identity of a record
    // is learnt while it is open and kept; a record never opened is unknown
    // and the answer is then false.
    bool SameFileAs(TFILEINFO& other);

    // Bytes read from all files since the program started (for benchmarks).
    static int64_t BytesRead;

    int32_t FolderIndex;
    std::string Name;
    std::string ShortName;
    int64_t Size;
    uint32_t Attributes;
    platform::TimeStamp Created;
    platform::TimeStamp Written;
    platform::TimeStamp Accessed;
    platform::File Handle;
    bool IsOpen = false;
    bool HasChecksum = false;
    int32_t Checksum = -1;
    bool Grouped = false;
    bool Deleted = false;

private:
    bool learnIdentity();
    FolderList folders_;
    bool hasIdentity_ = false;
    platform::FileIdentity identity_;
};

class TFILELIST : public TTYPEDLIST<TFILEINFO> {
public:
    // The folder list as it was when the catalogue was built: the folders
    // dialog may change the live list while results are still shown, and a
    // record must keep naming its own file.
    TFILEINFO::FolderList Folders;
};

// Builds a new catalogue of the listed folders into FileList. False when a
// file could not be added.
bool CollectFiles(std::unique_ptr<TFILELIST>& FileList);
// Adds the files of one listed folder; a folder that cannot be read adds none.
bool ScanFolder(int folderIndex, TFILELIST& FileList);
bool AddFile(TFILELIST& FileList, int folderIndex, const platform::FindData& found);
