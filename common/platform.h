// The few operating-system services the core needs. One implementation
// for Windows (the product) and one for POSIX hosts (tests, benchmarks).
// Core code reaches the system only through this header. Every path given
// to it is UTF-8 (the Windows side reaches files by their UTF-16 names, past
// MAX_PATH too); the POSIX build takes names as the bytes they are.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

namespace platform {

// Win32 error codes the core looks at.
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorSharingViolation = 32;

// Win32 file attribute bits as a folder search reports them.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrHidden = 0x02;
inline constexpr uint32_t kAttrSystem = 0x04;
inline constexpr uint32_t kAttrVolumeLabel = 0x08;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;
inline constexpr uint32_t kAttrReparsePoint = 0x400;

// A point in local time, laid out like Win32's SYSTEMTIME.
struct TimeStamp {
    uint16_t Year = 0;
    uint16_t Month = 0;
    uint16_t DayOfWeek = 0;
    uint16_t Day = 0;
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    uint16_t Milliseconds = 0;
};

// What makes a file the same file on disk, whatever path reached it: the
// volume serial number and file index on Windows, device and inode elsewhere,
// with the size and times that come with them.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;  // whole: on Windows its high bits count the reuses of a file number
    int64_t size = 0;
    // Raw system times, compared only with each other: created is the
    // creation time on Windows and the status change natively (which keeps no
    // other); changed is the last change to the file's content or attributes
    // (ChangeTime, st_ctime), which copy and sync tools do not set back as
    // they do the last write (natively no program can; on Windows one that
    // names it in SetFileInformationByHandle can).
    int64_t created = 0;
    int64_t written = 0;
    bool volumeKnown = true;
    int64_t changed = 0;
};

// One entry of a folder search.
struct FindData {
    std::string Name;       // long name, no path, in the ANSI code page ("?" for what it lacks)
    std::string RealName;   // the long name as the file system has it, in UTF-8
    std::string ShortName;  // 8.3 alternate name, empty when the name is already short or the volume keeps none
    int64_t Size = 0;
    uint32_t Attributes = 0;
    TimeStamp Created;
    TimeStamp Written;
    TimeStamp Accessed;
    // Which file it is, where the listing tells (POSIX): nothing need be
    // asked of the open file then, and each open is checked against it.
    bool HasIdentity = false;
    FileIdentity Identity;
    // Identity's size and last write came from the search and a file can be
    // checked against them (POSIX). Not on Windows: a folder's entry can lag
    // its file (another hard link written to, some network shares), and every
    // file would pass for changed; a file is checked against its first open.
    bool SizeAndTimesListed = false;
    // Identity.index alone came from the listing (Windows): which file the
    // name led to then, without the size and times, which may lag there.
    bool IndexListed = false;
};

// Enumerates one folder. first() takes a Windows search pattern
// ("C:\Folder\*.*"); the POSIX build lists the folder part and returns
// every entry, which is what "*.*" means there.
class FolderSearch {
public:
    FolderSearch() = default;
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;
    ~FolderSearch();

    // wanted: the entries the caller looks at; others may be left out where
    // that saves looking at each of them (the caller still checks).
    enum class Entries { All, Folders, Files };
    bool first(const std::string& pattern, FindData& data, Entries wanted = Entries::All);
    bool next(FindData& data);
    void close();
    // Which volume the folder being listed is on, where the listing learnt
    // it at no further cost: a number of the system's own for it, the same
    // for every folder of that volume.
    bool volume(uint64_t& id) const;

private:
    void* handle_ = nullptr;
};

// Whether searches report 8.3 names. Off, the program behaves as on a volume
// that keeps none (Windows 10 and 11 make none beyond the system volume), for
// tests and benchmarks: Wine makes them everywhere.
void setShortNamesReported(bool reported);
bool shortNamesReported();

// Whether two identities name one file. A drive letter mapped onto another
// drive's folder can report another volume serial for the same file, so an
// equal index with equal size and times is the same file on any volume (or
// when the volume was not asked): a missed duplicate costs space, a wrong one
// can cost the only copy.
inline bool SameFile(const FileIdentity& a, const FileIdentity& b) {
    if (a.index != b.index) return false;
    if (a.volumeKnown && b.volumeKnown && a.volume == b.volume) return true;
    return a.size == b.size && a.created == b.created && a.written == b.written;
}

// A file opened for sequential reading. Move-only; closes itself.
class File {
public:
    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    // Read-only, shared for reading, existing files only, sequential-scan hint.
    // Only a disk file opens: a device, pipe or socket behind the name is
    // closed again unread (reading one can block for good).
    bool open(const std::string& path);
    bool isOpen() const;
    bool rewind();
    bool seek(int64_t position);  // from the start
    // Reads up to count bytes; returns the number read (0 at the end) or -1.
    int32_t read(void* buffer, int32_t count);
    bool close();
    // False when the system cannot tell.
    bool identity(FileIdentity& id) const;

private:
    intptr_t handle_ = -1;
};

// Whether a name ending in a dot or a blank opens as itself. Windows' calls
// drop those endings (and reach another file, or none); POSIX keeps them.
bool namesKeepTrailingDots();
// Whether names that differ only in case name one file (Windows) or two (POSIX).
bool namesIgnoreCase();

// Which folder path is, whatever name reaches it (a link, a second drive
// letter): its volume and index. False when the system cannot tell.
bool folderIdentity(const std::string& path, FileIdentity& id);

// Whether the files of a folder keep a number and a change time that stay
// theirs while they live, so that what a file held may be remembered under
// them: true natively (every file has its inode and st_ctime), on Windows
// for NTFS and ReFS volumes that are not network drives (FAT and exFAT keep
// no file numbers that last, a share may report anything). serial is the
// folder's volume serial (its device natively).
bool remembersFiles(const std::string& folder, uint32_t& serial);
// The size, last write and change time the file at path has, asked of the
// file itself by its name, without opening it (index and volume not filled).
bool peekIdentity(const std::string& path, FileIdentity& id);

// The time some seconds ago in the raw units of a FileIdentity's times.
int64_t rawTimeSecondsAgo(int32_t seconds);

// A whole file, read (at most limit bytes; false when it is larger, missing
// or unreadable) or written anew.
bool readWholeFile(const std::string& path, std::string& bytes, size_t limit);
bool writeWholeFile(const std::string& path, const void* data, size_t size);
// Moves a file over another, which it replaces whole at once (a reader sees
// one or the other, never a mix).
bool replaceFile(const std::string& from, const std::string& to);

// Whether path names an existing folder (a trailing backslash is allowed).
bool isFolder(const std::string& path);
// Whether a file or folder of that name exists.
bool exists(const std::string& path);

// UTF-8 text in the ANSI code page, "?" for what it lacks (never a look-alike);
// exact tells whether nothing was lost. The ANSI text back in UTF-8. The POSIX
// build keeps the bytes as they are.
std::string toAnsi(const std::string& utf8, bool* exact = nullptr);
std::string fromAnsi(const std::string& ansi);
// UTF-8 text in the OEM code page, as ansiToOem.
bool utf8ToOem(const std::string& utf8, std::string& oem);
// The path that reaches the same folder by 8.3 names only, empty when it has
// none (a volume that keeps none).
std::string shortPath(const std::string& path);
// The path by the long names of its folders and file, empty when it cannot be told.
std::string longPath(const std::string& path);

// Text of the ANSI code page in the OEM code page (the console's, in which
// cmd.exe reads batch files). False when a character has no exact OEM form;
// oem then holds "?" in its place.
bool ansiToOem(const std::string& ansi, std::string& oem);

// The calling thread's last error as a Win32 error code.
uint32_t lastError();

// DeleteFile and SetFileAttributes(path, 0).
bool removeFile(const std::string& path);
bool clearAttributes(const std::string& path);

TimeStamp localTime();

// The user's short date and time formats and AM/PM designators; a field
// the system does not give is left empty.
struct LocaleFormats {
    std::string shortDate;
    std::string time;
    std::string am;
    std::string pm;
};
LocaleFormats userLocaleFormats();

// The temporary-files folder (with its trailing backslash), the system folder
// and the Windows folder; empty where the system has none.
struct SpecialFolders {
    std::string temp;
    std::string system;
    std::string windows;
};
SpecialFolders specialFolders();

// Whether SearchPathA finds a file of this bare name in the system's search order.
bool onSearchPath(const std::string& name);

// The names onSearchPath finds, the folders it looks in listed once, for a
// command that asks about many names (a selection rule over every file).
class SearchPathNames {
public:
    SearchPathNames();
    bool contains(const std::string& utf8Name) const;

private:
    std::unordered_set<std::string> names_;  // in UTF-8, upper case on Windows
};

// The value of an environment variable, empty when it is not set.
std::string environment(const std::string& name);

// MessageBoxA, or its stand-in where there is no window system. MessageBoxW
// for text in UTF-8 (a message that names a file).
int systemMessageBox(void* owner, const std::string& text, const std::string& caption, uint32_t style);
int systemMessageBoxUtf8(void* owner, const std::string& text, const std::string& caption, uint32_t style);
// What a box with a Help button opens, for that button and F1: the help at
// the context id of the box's owner (0 without one), given that owner. Set
// by the program; without it the system's own handling stays.
using BoxHelp = void (*)(void* owner, uint32_t contextId);
void setMessageBoxHelp(BoxHelp help);
// True for the box whose help request was answered so: the system may pass
// the same request on to its owner, which then leaves it alone.
bool boxHelpAnswered(void* window);

// UTF-8 text in upper case, every script as the system folds it
// (CharUpperW); the POSIX build as charUpper, byte by byte.
std::string upperUtf8(const std::string& text);

// CharUpperA / CharLowerA of a single character in the ANSI code page.
unsigned char charUpper(unsigned char c);
unsigned char charLower(unsigned char c);

}  // namespace platform
