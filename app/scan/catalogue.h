// The scan's inputs and the catalogue of candidate files it builds from them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/options/options.h"
#include "app/scan/record_pool.h"
#include "app/scan/varnoklist.h"
#include "common/platform.h"

// The longest path an undo file's cmd.exe reaches (MAX_PATH less its
// terminating zero), in characters.
inline constexpr size_t kMaxSystemPath = 259;

// Names Windows keeps for devices (CON, PRN, AUX, NUL, COM1-9, LPT1-9), with or
// without an extension: opening "aux.c" the plain way opens the device.
bool IsDeviceName(const std::string& name);
// Whether a name is created as written by a plain call (cmd.exe's): a "?" or
// "*" is no name, and a trailing dot or blank is dropped on Windows;
// trailingDotsKept says whether the system keeps them.
bool UsableName(const std::string& name, bool trailingDotsKept = platform::namesKeepTrailingDots());

// Rotate left by one bit, then XOR in the byte; "abc" gives 0x123.
int32_t BlockChecksum(const void* data, int32_t count);

// A local time as the catalogue keeps it: a TimeStamp's fields in 8 bytes
// (a record is kept for every file a search lists, millions of them).
struct TPACKEDTIME {
    uint64_t Milliseconds : 10;
    uint64_t DayOfWeek : 3;
    uint64_t Second : 6;
    uint64_t Minute : 6;
    uint64_t Hour : 5;
    uint64_t Day : 5;
    uint64_t Month : 4;
    uint64_t Year : 16;

    TPACKEDTIME(const platform::TimeStamp& t = {});
    operator platform::TimeStamp() const;
    // Year to second: a later time has the larger key.
    uint64_t Key() const {
        return uint64_t{Year} << 26 | uint64_t{Month} << 22 | uint64_t{Day} << 17 | uint64_t{Hour} << 12 |
               uint64_t{Minute} << 6 | uint64_t{Second};
    }
};

class TFILEINFO : public TLISTITEM {
public:
    VARNOK_POOLED_RECORD
    using FolderList = std::shared_ptr<const std::vector<std::string>>;

    // folders: the folder list the index refers to (kept by the catalogue
    // that owns the record); without one, the current folder list.
    TFILEINFO(int32_t folderIndex, const platform::FindData& found, const FolderList& folders = nullptr);

    ~TFILEINFO() override;
    TFILEINFO(const TFILEINFO&) = delete;
    TFILEINFO& operator=(const TFILEINFO&) = delete;

    // The long name in the ANSI code page: masks, orders and rules read it.
    std::string_view Name() const;
    // The name as the file system has it, in UTF-8: shown and opened.
    std::string_view RealName() const;
    // The 8.3 alternate name, empty when the file system reported none.
    std::string_view ShortName() const;

    // Paths are UTF-8, with the file's own name: what the user reads, and
    // what the system opens and deletes.
    std::string FolderPath() const;  // the folder list entry without its trailing backslash
    std::string FullPath() const;
    std::string AccessPath() const;
    // The folder in the ANSI code page, for the rules that compare it by its bytes.
    std::string AnsiFolderPath() const;

    // Rewinds when already open. A file opened must still be the one it was
    // (which file, its size, its last write and change time: as listed where
    // the listing tells, else as at its first open, which learns them): else
    // it is Changed and stays closed.
    bool Open();
    bool Rewind();  // opens when not open
    bool Seek(int64_t position);  // opens when not open
    // Bytes read (0 at the end) or -1. The first successful read of the
    // record's life sets its checksum.
    int32_t ReadBlock(void* buffer, int32_t count);
    // As ReadBlock, leaving the checksum alone (the comparison needs none).
    int32_t ReadData(void* buffer, int32_t count);
    // Closing asks nothing of the file: its open was checked.
    bool Close();
    void ReadFirstBlock(void* buffer, int32_t count);
    bool DeleteFromDisk();

    // Whether the two records name one file on disk. The identity of a record
    // is learnt while it is open and kept; when either cannot be learnt the
    // answer is yes, as two names of one file must never pass for copies.
    bool SameFileAs(TFILEINFO& other);
    // Learns the identity (once is enough): from the listing where it told,
    // else from the open file, else by opening it once more.
    bool LearnIdentity();
    // The identity every open of the file is checked against (its number,
    // size, last write and change time; the volume where it is known):
    // false while it cannot be learnt.
    bool CheckedIdentity(platform::FileIdentity& id);
    // Which file it is without opening it, where the listing told its number
    // but not its size and times (Windows): those asked of the file by its
    // name. Nothing is checked against it until it is adopted, when it has
    // proved to be what an earlier open of the file learnt.
    bool PeekIdentity(platform::FileIdentity& id);
    bool MayPeek() const { return indexListed_ && !hasIdentity_ && !Changed; }
    void AdoptIdentity(const platform::FileIdentity& id);

    // Bytes read from, opens of, and looks at the open files (which file, its
    // size and times) of all files since the program started (for benchmarks).
    static int64_t BytesRead;
    static int64_t Opens;
    static int64_t Looks;

    // Fields are laid out so that the record takes little room, with no gap
    // in either build: its size is the catalogue's size per file (millions
    // of records). The names are in one block of their own, the flags are
    // single bits.
private:
    // From the record pool: the three names' lengths, then their bytes (the
    // real name only where it differs from the code-page name).
    char* names_ = nullptr;

public:
    int32_t FolderIndex;
    uint32_t Attributes;
    int64_t Size;
    TPACKEDTIME Created;
    TPACKEDTIME Written;
    TPACKEDTIME Accessed;

private:
    uint64_t index_ = 0;
    int64_t written_ = 0;  // raw, compared only with itself
    int64_t changed_ = 0;  // raw: the last change to content or attributes, which tools do not set back
    const std::vector<std::string>* folders_;

public:
    platform::File Handle;

private:
    uint32_t volume_ = 0;  // folded to 32 bits: a volume serial, or a device number

public:
    int32_t Checksum = -1;
    // In advanced mode: equal numbers for files of one size whose first
    // blocks, read by the checksum pass, are equal byte for byte; -1 when
    // the pass kept no block of it.
    int32_t FirstBlockPart = -1;
    bool IsOpen : 1 = false;
    bool HasChecksum : 1 = false;
    bool Grouped : 1 = false;
    bool Deleted : 1 = false;
    // Another name of a file met earlier in the catalogue's order (a hard
    // link, a folder listed twice or reached through a link): it takes no
    // further part in the scan, so every file is counted and grouped once.
    bool Alias : 1 = false;
    // The file could not be opened or read while detection needed it.
    bool Unreadable : 1 = false;
    // The file was replaced or written to while the search read it: what was
    // read of it is no content of one file, and it is grouped with none.
    bool Changed : 1 = false;

    // Whether the file is still the one listed, as it was: asked of the open
    // file, else of the file opened once more. False marks it Changed.
    bool Unchanged();

    // For tests: called before a record's file is opened, to change the
    // file at that moment as another program might.
    static void (*BeforeOpen)(const TFILEINFO&);

private:
    // Whether the open file is still the one listed and read before.
    bool stillAsListed();
    // Which file it is, as listed or first opened.
    platform::FileIdentity identity() const;

    bool hasIdentity_ : 1 = false;  // index_ names the file, not only its size and last write
    bool listed_ : 1 = false;       // written_ and changed_ came from the listing
    bool volumeKnown_ : 1 = false;
    bool indexListed_ : 1 = false;  // index_ came from the listing alone, and is trusted by nothing yet
};

class TFILELIST : public TTYPEDLIST<TFILEINFO> {
public:
    // The folder list as it was when the catalogue was built: the folders
    // dialog may change the live list while results are still shown, and a
    // record must keep naming its own file.
    TFILEINFO::FolderList Folders;
    // What the scan could not look at, so the user is told: files that could
    // not be read, and listed folders that could not be opened.
    int32_t FilesLeftOut = 0;
    int32_t FoldersLeftOut = 0;
    int32_t FilesChanged = 0;  // replaced or written to while the search read them
    // What earlier searches remembered was damaged and set aside.
    bool RememberedSetAside = false;

    // How each folder of the list is protected, learnt when a search begins
    // (empty while no folder is protected): kListed by its own entry among
    // the protected folders, kAnotherName as another name of one (a link or
    // junction to it, a second drive letter, another spelling of its path).
    enum : uint8_t { kNotProtected, kAnotherName, kListed };
    std::vector<uint8_t> Protection;
    // Per folder of the list, the volume its listing said it is on, or
    // kVolumeUnknown.
    static constexpr uint64_t kVolumeUnknown = ~uint64_t{0};
    std::vector<uint64_t> FolderVolumes;
    void LearnProtection();
    uint8_t ProtectionOf(const TFILEINFO& file) const;
    // Whether a file lies in a protected folder: a copy no rule, mark or
    // deletion may touch.
    bool IsProtected(const TFILEINFO& file) const { return ProtectionOf(file) != kNotProtected; }
};

// The notice of what a scan left out, or empty when it left out nothing.
std::string LeftOutText(const TFILELIST& FileList);
// What the user is told when a search could not get the memory it needed.
std::string OutOfMemoryText(int64_t filesListed);

// Whether the listing learns each folder's volume (FolderVolumes), for a
// search that remembers what files hold; it costs a query a folder.
extern bool CatalogueLearnsVolumes;

// Builds a new catalogue of the listed folders into FileList. False when a
// file could not be added.
bool CollectFiles(std::unique_ptr<TFILELIST>& FileList);
// Adds the files of one listed folder; a folder that cannot be read adds none.
bool ScanFolder(int folderIndex, TFILELIST& FileList);
bool AddFile(TFILELIST& FileList, int folderIndex, const platform::FindData& found);
