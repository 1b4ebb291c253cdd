// The system services of the core, on Win32.
#include "common/platform.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "common/text.h"
#include "common/win32/unique_handle.h"
#include "common/win32/wide.h"

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf16FromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string Utf8(const std::wstring& wide) { return Utf8FromUtf16(std::u16string(wide.begin(), wide.end())); }
// Called for every entry a search lists: one copy, no more.
std::string Utf8(const wchar_t* wide) {
    return wide ? Utf8FromUtf16(std::u16string(wide, wide + lstrlenW(wide))) : std::string();
}

namespace {

// Whether a name begins as a device name does (CON, PRN, AUX, NUL, COM, LPT,
// CLOCK$), so that only those are looked at closely on each open.
bool mayNameDevice(const std::wstring& part) {
    if (part.size() < 3) return false;
    wchar_t head[4] = {part[0], part[1], part[2], 0};
    CharUpperBuffW(head, 3);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"COM", L"LPT", L"CLO"})
        if (lstrcmpW(head, device) == 0) return true;
    return false;
}

}  // namespace

std::wstring SystemPath(const std::string& utf8) {
    std::wstring path = Wide(utf8);
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool share = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.';
    if (!drive && !share) return path;  // relative, or already in a form of its own
    bool plain = path.size() < MAX_PATH;
    for (size_t start = drive ? 3 : 2; plain && start < path.size();) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring part = path.substr(start, end - start);
        // ".", ".." and "/" are understood by the plain form only.
        if (part == L"." || part == L".." || part.find(L'/') != std::wstring::npos) return path;
        if (!part.empty() && (part.back() == L'.' || part.back() == L' '))
            plain = false;
        else if (mayNameDevice(part) && IsWindowsDeviceName(platform::toAnsi(Utf8(part))))
            plain = false;
        start = end + 1;
    }
    if (plain) return path;
    return drive ? L"\\\\?\\" + path : L"\\\\?\\UNC" + path.substr(1);
}

namespace platform {

static_assert(sizeof(TimeStamp) == sizeof(SYSTEMTIME));
static_assert(kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY && kAttrReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);

namespace {

TimeStamp toTimeStamp(const SYSTEMTIME& st) {
    TimeStamp t;
    t.Year = st.wYear;
    t.Month = st.wMonth;
    t.DayOfWeek = st.wDayOfWeek;
    t.Day = st.wDay;
    t.Hour = st.wHour;
    t.Minute = st.wMinute;
    t.Second = st.wSecond;
    t.Milliseconds = st.wMilliseconds;
    return t;
}

// File times in the catalogue are local times, as Explorer shows them.
TimeStamp localFromFileTime(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return {};
    return toTimeStamp(st);
}

bool shortNamesShown = true;

// A name in the ANSI code page without "best fit": a letter the code page
// lacks becomes "?", never a look-alike ("o" for "ő"), which would name
// another file when compared or shown.
std::string ansiName(const wchar_t* name) {
    char text[MAX_PATH * 2] = {};
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, text, sizeof text, "?", nullptr);
    return n > 0 ? std::string(text) : std::string("?");
}

void fillFindData(const WIN32_FIND_DATAW& raw, FindData& data) {
    data.Name = ansiName(raw.cFileName);
    data.RealName = Utf8(raw.cFileName);
    data.ShortName = shortNamesShown ? ansiName(raw.cAlternateFileName) : std::string();
    data.Size = (static_cast<int64_t>(raw.nFileSizeHigh) << 32) | raw.nFileSizeLow;
    data.Attributes = raw.dwFileAttributes;
    data.Created = localFromFileTime(raw.ftCreationTime);
    data.Written = localFromFileTime(raw.ftLastWriteTime);
    data.Accessed = localFromFileTime(raw.ftLastAccessTime);
    data.IndexListed = false;
}

// A path without the "\\?\\" SystemPath may have put before it.
std::string plainForm(const std::string& path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

HANDLE asHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

std::string localeText(LCTYPE type) {
    char buffer[128] = {};
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer) : std::string();
}

}  // namespace

namespace {

using QueryHandle = LONG(WINAPI*)(HANDLE, void* status, void* data, ULONG size, int kind);
struct IoStatus {
    LONG status;
    ULONG_PTR information;
};

// Whether the open file or folder lies on a device of this machine: a
// share may be served by any system, whatever it calls itself, and its
// serial may be its server's volume's.
bool onLocalDevice(HANDLE h) {
    static const auto query = reinterpret_cast<QueryHandle>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryVolumeInformationFile")));
    IoStatus io{};
    struct {
        ULONG type, characteristics;
    } device{};  // FILE_FS_DEVICE_INFORMATION
    constexpr ULONG kRemoteDevice = 0x10, kNetworkFileSystem = 0x14;
    return query && query(h, &io, &device, sizeof device, 4 /* FileFsDeviceInformation */) >= 0 &&
           !(device.characteristics & kRemoteDevice) && device.type != kNetworkFileSystem;
}

}  // namespace

namespace {

// One folder's listing. Files are listed with their file numbers
// (FileIdBothDirectoryInformation), so that a file whose contents are
// remembered can be known without opening it; where the file system or
// the system does not give them, and for folders, by the find functions.
struct Search {
    static constexpr ULONG kBufferSize = 64 << 10;
    HANDLE find = INVALID_HANDLE_VALUE;
    HANDLE folder = INVALID_HANDLE_VALUE;
    // From the process heap, as the find functions take theirs: the
    // listing's own memory, apart from the catalogue's.
    void* buffer = nullptr;  // 8-aligned, as the entries are
    size_t at = 0, end = 0;
    ~Search() {
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
        if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
        if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    }
};

struct IdBothEntry {  // FILE_ID_BOTH_DIR_INFORMATION
    ULONG next, fileIndex;
    LARGE_INTEGER created, accessed, written, changed, size, allocated;
    ULONG attributes, nameLength, eaSize;
    CCHAR shortNameLength;
    WCHAR shortName[12];
    LARGE_INTEGER id;
    WCHAR name[1];
};
static_assert(offsetof(IdBothEntry, id) == 96 && offsetof(IdBothEntry, name) == 104);

using QueryDirectory = LONG(WINAPI*)(HANDLE, HANDLE event, void* apc, void* context, void* status, void* data,
                                     ULONG size, int kind, BOOLEAN single, void* mask, BOOLEAN restart);
QueryDirectory queryDirectory() {
    static const auto query = reinterpret_cast<QueryDirectory>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryDirectoryFile")));
    return query;
}

constexpr LONG kNoMoreFiles = static_cast<LONG>(0x80000006), kNoSuchFile = static_cast<LONG>(0xC000000F);

// The next batch of entries; false at the end (ERROR_NO_MORE_FILES) or on a
// failure (its error), or, with unsupported set, where the folder cannot be
// listed so at all.
bool fetchEntries(Search& s, bool restart, bool* unsupported = nullptr) {
    IoStatus io{};
    const LONG status = queryDirectory()(s.folder, nullptr, nullptr, nullptr, &io, s.buffer, Search::kBufferSize,
                                         37 /* FileIdBothDirectoryInformation */, FALSE, nullptr, restart);
    if (status < 0 || status == kNoMoreFiles) {
        using ToError = ULONG(WINAPI*)(LONG);
        static const auto toError = reinterpret_cast<ToError>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlNtStatusToDosError")));
        const bool ended = status == kNoMoreFiles || status == kNoSuchFile;
        if (unsupported && !ended) *unsupported = true;
        SetLastError(ended ? (restart ? ERROR_FILE_NOT_FOUND : ERROR_NO_MORE_FILES)
                           : toError ? toError(status) : ERROR_INVALID_FUNCTION);
        return false;
    }
    s.at = 0;
    s.end = io.information;
    if (s.end == 0) SetLastError(restart ? ERROR_FILE_NOT_FOUND : ERROR_NO_MORE_FILES);
    return s.end > 0;
}

bool nextEntry(Search& s, FindData& data) {
    if (s.at >= s.end && !fetchEntries(s, false)) return false;
    const auto* entry = reinterpret_cast<const IdBothEntry*>(static_cast<const char*>(s.buffer) + s.at);
    s.at = entry->next ? s.at + entry->next : s.end;
    // As the find functions give it, so that names and times come out alike.
    WIN32_FIND_DATAW raw{};
    raw.dwFileAttributes = entry->attributes;
    const auto fileTime = [](const LARGE_INTEGER& t) {
        return FILETIME{static_cast<DWORD>(t.QuadPart), static_cast<DWORD>(static_cast<uint64_t>(t.QuadPart) >> 32)};
    };
    raw.ftCreationTime = fileTime(entry->created);
    raw.ftLastAccessTime = fileTime(entry->accessed);
    raw.ftLastWriteTime = fileTime(entry->written);
    raw.nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(entry->size.QuadPart) >> 32);
    raw.nFileSizeLow = static_cast<DWORD>(entry->size.QuadPart);
    if (entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT) raw.dwReserved0 = entry->eaSize;  // its tag
    const size_t length = std::min<size_t>(entry->nameLength / sizeof(WCHAR), MAX_PATH - 1);
    std::memcpy(raw.cFileName, entry->name, length * sizeof(WCHAR));
    const size_t shortLength =
        std::min<size_t>(static_cast<size_t>(static_cast<unsigned char>(entry->shortNameLength)) / sizeof(WCHAR), 12);
    std::memcpy(raw.cAlternateFileName, entry->shortName, shortLength * sizeof(WCHAR));
    fillFindData(raw, data);
    // Only which file the name led to: a folder's entry can lag its file's
    // size and times (another hard link written to).
    data.IndexListed = entry->id.QuadPart != 0 && entry->id.QuadPart != -1;
    data.Identity = FileIdentity{};
    data.Identity.index = static_cast<uint64_t>(entry->id.QuadPart);
    return true;
}

}  // namespace

FolderSearch::~FolderSearch() { close(); }

bool FolderSearch::first(const std::string& pattern, FindData& data, Entries wanted) {
    close();
    auto search = std::make_unique<Search>();
    // Files of a whole folder ("...\*.*") are listed with their numbers.
    const size_t slash = pattern.rfind('\\');
    if (wanted == Entries::Files && slash != std::string::npos && pattern.compare(slash + 1, std::string::npos, "*.*") == 0 &&
        queryDirectory()) {
        search->folder = CreateFileW(SystemPath(pattern.substr(0, slash + 1)).c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (search->folder == INVALID_HANDLE_VALUE) return false;
        search->buffer = HeapAlloc(GetProcessHeap(), 0, Search::kBufferSize);
        if (!search->buffer) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        bool unsupported = false;
        if (fetchEntries(*search, true, &unsupported) && nextEntry(*search, data)) {
            handle_ = search.release();
            return true;
        }
        if (!unsupported) return false;
        CloseHandle(std::exchange(search->folder, INVALID_HANDLE_VALUE));
    }
    // The search runs wide, so that the names it gives are the files' own
    // (the narrow one gives look-alikes for letters the code page lacks).
    const std::wstring wide = SystemPath(pattern);
    WIN32_FIND_DATAW raw{};
    // Limiting to folders is a hint the file system may take; the caller still looks.
    search->find = FindFirstFileExW(wide.c_str(), FindExInfoStandard, &raw,
                                    wanted == Entries::Folders ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
                                    nullptr, 0);
    if (search->find == INVALID_HANDLE_VALUE) return false;
    fillFindData(raw, data);
    handle_ = search.release();
    return true;
}

bool FolderSearch::next(FindData& data) {
    if (!handle_) return false;
    Search& s = *static_cast<Search*>(handle_);
    if (s.folder != INVALID_HANDLE_VALUE) return nextEntry(s, data);
    WIN32_FIND_DATAW raw{};
    if (!FindNextFileW(s.find, &raw)) return false;
    fillFindData(raw, data);
    return true;
}

void FolderSearch::close() {
    delete static_cast<Search*>(std::exchange(handle_, nullptr));
}

bool FolderSearch::volume(uint64_t& id) const {
    const auto* s = static_cast<const Search*>(handle_);
    if (!s || s->folder == INVALID_HANDLE_VALUE) return false;
    // FileIdInformation (Windows 8 and later): the volume's 64-bit serial,
    // asked of the folder already open. Under Wine each answer is a round
    // trip to its mount manager (0.4 ms), as the volume information is.
    static const auto query = reinterpret_cast<QueryHandle>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
    IoStatus io{};
    struct {
        ULONGLONG volume;
        BYTE id[16];
    } fileId{};
    // A folder reached over the network is never taken for one on its server's volume.
    if (!query || query(s->folder, &io, &fileId, sizeof fileId, 59 /* FileIdInformation */) < 0 ||
        !onLocalDevice(s->folder))
        return false;
    id = fileId.volume;
    return true;
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

File::~File() { close(); }

bool File::open(const std::string& path) {
    close();
    unique_file h(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) return false;
    if (GetFileType(h.get()) != FILE_TYPE_DISK) {
        h.reset();
        SetLastError(ERROR_BAD_FILE_TYPE);
        return false;
    }
    handle_ = reinterpret_cast<intptr_t>(h.release());
    return true;
}

bool File::isOpen() const { return handle_ != -1; }

bool File::rewind() { return seek(0); }

bool File::seek(int64_t position) {
    if (!isOpen()) return false;
    LARGE_INTEGER to{};
    to.QuadPart = position;
    return SetFilePointerEx(asHandle(handle_), to, nullptr, FILE_BEGIN) != FALSE;
}

int32_t File::read(void* buffer, int32_t count) {
    if (!isOpen() || count < 0) return -1;
    auto* out = static_cast<char*>(buffer);
    int32_t total = 0;
    while (total < count) {
        DWORD got = 0;
        const DWORD asked = static_cast<DWORD>(count - total);
        if (!ReadFile(asHandle(handle_), out + total, asked, &got, nullptr)) return -1;
        total += static_cast<int32_t>(got);
        // Only disk files are opened, and one gives fewer bytes than asked
        // only at its end: asking again would cost a call to learn nothing.
        if (got < asked) break;
    }
    return total;
}

bool File::close() {
    if (!isOpen()) return true;
    unique_file owner(asHandle(std::exchange(handle_, -1)));
    return owner.reset();
}

bool File::identity(FileIdentity& id) const {
    // Three queries of the open file: its times (with the change time, which
    // GetFileTime does not give), its size and its whole index. One
    // FileAllInformation query gives all three, but Wine answers it with a
    // round trip to its server for the file's name: a search of 31,000 files
    // took a fifth longer. The volume serial is left out: under Wine asking
    // for it costs a round trip to the mount manager for every file, and the
    // index with the size and the times tells one file from another as well.
    using QueryFile = LONG(WINAPI*)(HANDLE, void* status, void* data, ULONG size, int kind);
    static const auto query = reinterpret_cast<QueryFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
    if (!isOpen() || !query) return false;
    struct {
        LONG status;
        ULONG_PTR information;
    } io{};
    struct {
        LARGE_INTEGER created, accessed, written, changed;
        ULONG attributes;
    } basic{};  // FILE_BASIC_INFORMATION
    struct {
        LARGE_INTEGER allocated, size;
        ULONG links;
        BOOLEAN deletePending, directory;
    } standard{};  // FILE_STANDARD_INFORMATION
    LARGE_INTEGER index{};  // FILE_INTERNAL_INFORMATION: with its reuse count in the high bits
    static_assert(sizeof basic == 40 && sizeof standard == 24);
    const HANDLE h = asHandle(handle_);
    if (query(h, &io, &basic, sizeof basic, 4 /* FileBasicInformation */) < 0 ||
        query(h, &io, &standard, sizeof standard, 5 /* FileStandardInformation */) < 0 ||
        query(h, &io, &index, sizeof index, 6 /* FileInternalInformation */) < 0)
        return false;
    id.volume = 0;
    id.volumeKnown = false;
    id.index = static_cast<uint64_t>(index.QuadPart);
    id.size = standard.size.QuadPart;
    id.created = basic.created.QuadPart;
    id.written = basic.written.QuadPart;
    id.changed = basic.changed.QuadPart;
    return true;
}

bool folderIdentity(const std::string& path, FileIdentity& id) {
    // A folder opens only with backup semantics; no access is asked of it.
    HANDLE folder = CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(folder, &info) != FALSE;
    CloseHandle(folder);
    if (!known) return false;
    id = FileIdentity{};
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // The times tell one folder from another where two drive letters of one
    // folder report two serial numbers (see SameFile).
    auto wide = [](const FILETIME& t) {
        return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    id.created = wide(info.ftCreationTime);
    id.written = wide(info.ftLastWriteTime);
    return true;
}

bool remembersFiles(const std::string& folder, uint32_t& serial) {
    HANDLE h = CreateFileW(SystemPath(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    static const auto query = reinterpret_cast<QueryHandle>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryVolumeInformationFile")));
    IoStatus io{};
    const bool local = query && onLocalDevice(h);
    // A long volume label does not fit: STATUS_BUFFER_OVERFLOW, a warning,
    // with the serial filled in.
    constexpr LONG kBufferOverflow = static_cast<LONG>(0x80000005);
    struct {
        LARGE_INTEGER created;
        ULONG serial, labelLength;
        BOOLEAN objects;
        WCHAR label[34];
    } volume{};  // FILE_FS_VOLUME_INFORMATION
    struct {
        ULONG attributes;
        LONG longestName;
        ULONG nameLength;
        WCHAR name[32];
    } system{};  // FILE_FS_ATTRIBUTE_INFORMATION
    const auto answered = [](LONG status) { return status >= 0 || status == kBufferOverflow; };
    const bool named = local && answered(query(h, &io, &volume, sizeof volume, 1 /* FileFsVolumeInformation */)) &&
                       answered(query(h, &io, &system, sizeof system, 5 /* FileFsAttributeInformation */));
    CloseHandle(h);
    if (!named) return false;
    serial = volume.serial;
    const std::wstring name(system.name, std::min<size_t>(system.nameLength / sizeof(WCHAR), 32));
    // Only these keep a file's number for its life and a change time that
    // only a program asking for it by name sets.
    return name == L"NTFS" || name == L"ReFS";
}

bool peekIdentity(const std::string& path, FileIdentity& id) {
    // NtQueryFullAttributesFile: the one query that gives the change time by
    // name; the system opens the file for it and nothing else can see that.
    struct Counted {
        USHORT length, largest;
        PWSTR text;
    };
    struct Object {
        ULONG length;
        HANDLE root;
        Counted* name;
        ULONG attributes;
        void *security, *quality;
    };
    struct {
        LARGE_INTEGER created, accessed, written, changed, allocated, size;
        ULONG attributes;
    } info{};  // FILE_NETWORK_OPEN_INFORMATION
    using ToNtName = BOOLEAN(WINAPI*)(PCWSTR, Counted*, PCWSTR*, void*);
    using FreeName = void(WINAPI*)(Counted*);
    using Query = LONG(WINAPI*)(Object*, void*);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    static const auto toNtName =
        reinterpret_cast<ToNtName>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlDosPathNameToNtPathName_U")));
    static const auto freeName =
        reinterpret_cast<FreeName>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlFreeUnicodeString")));
    static const auto query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryFullAttributesFile")));
    Counted name{};
    if (!toNtName || !freeName || !query || !toNtName(SystemPath(path).c_str(), &name, nullptr, nullptr)) return false;
    Object object{sizeof(Object), nullptr, &name, 0x40 /* OBJ_CASE_INSENSITIVE */, nullptr, nullptr};
    const LONG status = query(&object, &info);
    freeName(&name);
    if (status < 0 || (info.attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    id = FileIdentity{};
    id.volumeKnown = false;
    id.size = info.size.QuadPart;
    id.created = info.created.QuadPart;
    id.written = info.written.QuadPart;
    id.changed = info.changed.QuadPart;
    return true;
}

int64_t rawTimeSecondsAgo(int32_t seconds) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
           int64_t{seconds} * 10000000;
}

bool readWholeFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool done = GetFileSizeEx(h, &size) && static_cast<uint64_t>(size.QuadPart) <= limit;
    if (done) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t at = 0;
        while (at < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, 1 << 24));
            if (!ReadFile(h, bytes.data() + at, want, &got, nullptr) || got == 0) break;
            at += got;
        }
        bytes.resize(at);
    }
    CloseHandle(h);
    return done;
}

bool writeWholeFile(const std::string& path, const void* data, size_t size) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const auto* bytes = static_cast<const char*>(data);
    size_t at = 0;
    while (at < size) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size - at, 1 << 24));
        if (!WriteFile(h, bytes + at, want, &wrote, nullptr) || wrote == 0) break;
        at += wrote;
    }
    // On the disk before it is moved over the old one, or a crash could leave neither.
    const bool done = at == size && FlushFileBuffers(h);
    return CloseHandle(h) && done;
}

bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool namesKeepTrailingDots() { return false; }
bool namesIgnoreCase() { return true; }

bool isFolder(const std::string& path) {
    std::string folder = path;
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    const DWORD attributes = GetFileAttributesW(SystemPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool exists(const std::string& path) { return GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ansiToOem(const std::string& ansi, std::string& oem) {
    oem.clear();
    if (ansi.empty()) return true;
    const int length = static_cast<int>(ansi.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), static_cast<int>(wide.size()));
    BOOL lossy = FALSE;
    const int wideLength = static_cast<int>(wide.size());
    oem.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, nullptr, 0, "?", &lossy)));
    WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, oem.data(),
                        static_cast<int>(oem.size()), "?", &lossy);
    return !lossy;
}

uint32_t lastError() { return GetLastError(); }

bool removeFile(const std::string& path) { return DeleteFileW(SystemPath(path).c_str()) != FALSE; }

bool clearAttributes(const std::string& path) { return SetFileAttributesW(SystemPath(path).c_str(), 0) != FALSE; }

void setShortNamesReported(bool reported) { shortNamesShown = reported; }
bool shortNamesReported() { return shortNamesShown; }

std::string toAnsi(const std::string& utf8, bool* exact) {
    const std::wstring wide = Wide(utf8);
    if (wide.empty()) {
        if (exact) *exact = true;
        return {};
    }
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    std::string ansi(static_cast<size_t>(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr,
                                                             0, "?", &lossy)),
                     '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, ansi.data(), static_cast<int>(ansi.size()),
                        "?", &lossy);
    // A round trip catches what the flag may not (a code page without "best fit" tables).
    if (exact) *exact = !lossy && fromAnsi(ansi) == utf8;
    return ansi;
}

std::string fromAnsi(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int length = static_cast<int>(ansi.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), static_cast<int>(wide.size()));
    return Utf8(wide);
}

bool utf8ToOem(const std::string& utf8, std::string& oem) {
    oem.clear();
    const std::wstring wide = Wide(utf8);
    if (wide.empty()) return true;
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    oem.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "?", &lossy)));
    WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide.data(), length, oem.data(), static_cast<int>(oem.size()),
                        "?", &lossy);
    return !lossy;
}

std::string shortPath(const std::string& path) {
    if (!shortNamesShown) return {};
    const std::wstring wide = SystemPath(path);
    std::wstring shortened(32768, L'\0');
    const DWORD n = GetShortPathNameW(wide.c_str(), shortened.data(), static_cast<DWORD>(shortened.size()));
    if (n == 0 || n >= shortened.size()) return {};
    shortened.resize(n);
    const std::string result = plainForm(Utf8(shortened));
    bool exact = false;
    toAnsi(result, &exact);
    // A name without an 8.3 form keeps its long one, and then no short path spells it.
    return exact ? result : std::string();
}

TimeStamp localTime() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return toTimeStamp(st);
}

LocaleFormats userLocaleFormats() {
    LocaleFormats f;
    f.shortDate = localeText(LOCALE_SSHORTDATE);
    f.time = localeText(LOCALE_STIMEFORMAT);
    if (f.time.find('t') != std::string::npos) {
        f.am = localeText(LOCALE_S1159);
        f.pm = localeText(LOCALE_S2359);
    }
    return f;
}

SpecialFolders specialFolders() {
    char buffer[MAX_PATH + 1] = {};
    SpecialFolders f;
    if (DWORD n = GetTempPathA(sizeof buffer, buffer); n > 0 && n < sizeof buffer) f.temp.assign(buffer, n);
    if (UINT n = GetSystemDirectoryA(buffer, sizeof buffer); n > 0 && n < sizeof buffer) f.system.assign(buffer, n);
    if (UINT n = GetWindowsDirectoryA(buffer, sizeof buffer); n > 0 && n < sizeof buffer) f.windows.assign(buffer, n);
    return f;
}

bool onSearchPath(const std::string& name) {
    char found[MAX_PATH] = {};
    char* filePart = nullptr;
    return SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, found, &filePart) != 0;
}

SearchPathNames::SearchPathNames() {
    // The folders SearchPath looks in: the program's, the system's, the
    // 16-bit system's, Windows', the current one, then the PATH. Read wide:
    // a folder or a name the code page cannot spell is still found.
    std::vector<std::wstring> folders;
    std::wstring buffer(32768, L'\0');
    const DWORD size = static_cast<DWORD>(buffer.size());
    if (DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size); n > 0 && n < size) {
        const std::wstring program(buffer.data(), n);
        folders.push_back(program.substr(0, program.rfind(L'\\') + 1));
    }
    if (UINT n = GetSystemDirectoryW(buffer.data(), size); n > 0 && n < size) folders.emplace_back(buffer.data(), n);
    if (UINT n = GetWindowsDirectoryW(buffer.data(), size); n > 0 && n < size) {
        folders.push_back(std::wstring(buffer.data(), n) + L"\\system");
        folders.emplace_back(buffer.data(), n);
    }
    if (DWORD n = GetCurrentDirectoryW(size, buffer.data()); n > 0 && n < size) folders.emplace_back(buffer.data(), n);
    std::wstring path;
    if (DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0); n > 0) {
        path.resize(n);
        path.resize(GetEnvironmentVariableW(L"PATH", path.data(), n));
    }
    for (size_t at = 0; at <= path.size();) {
        size_t end = path.find(L';', at);
        if (end == std::wstring::npos) end = path.size();
        if (end > at) folders.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    for (std::wstring folder : folders) {
        if (folder.empty()) continue;
        if (folder.back() != L'\\') folder += L'\\';
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            for (const wchar_t* name : {found.cFileName, found.cAlternateFileName})
                if (*name) names_.insert(upperUtf8(Utf8(name)));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
}

bool SearchPathNames::contains(const std::string& name) const { return names_.count(upperUtf8(name)) > 0; }

std::string environment(const std::string& name) {
    char value[1024] = {};
    DWORD n = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string longPath(const std::string& path) {
    std::wstring expanded(32768, L'\0');
    const DWORD n = GetLongPathNameW(SystemPath(path).c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    if (n == 0 || n >= expanded.size()) return {};
    expanded.resize(n);
    return path.rfind("\\\\?\\", 0) == 0 ? Utf8(expanded) : plainForm(Utf8(expanded));
}

namespace {

BoxHelp boxHelp = nullptr;
HWND answeredBox = nullptr;

// The box's Help button and F1 come here, with the context id it was made with.
void CALLBACK onBoxHelp(LPHELPINFO info) {
    HWND box = info && info->hItemHandle ? GetAncestor(static_cast<HWND>(info->hItemHandle), GA_ROOT) : nullptr;
    answeredBox = box;
    if (boxHelp) boxHelp(box ? GetWindow(box, GW_OWNER) : nullptr, static_cast<uint32_t>(info ? info->dwContextId : 0));
}

// A box with a Help button answers it itself: Windows would send the help
// request to the owner without a topic, and a box without an owner loses it.
template <typename Char, typename Params, typename Show>
int helpedBox(void* owner, const Char* text, const Char* caption, uint32_t style, Show show) {
    Params box{};
    box.cbSize = sizeof box;
    box.hwndOwner = static_cast<HWND>(owner);
    box.lpszText = text;
    box.lpszCaption = caption;
    box.dwStyle = style;
    box.dwContextHelpId = owner ? GetWindowContextHelpId(static_cast<HWND>(owner)) : 0;
    box.lpfnMsgBoxCallback = onBoxHelp;
    return show(&box);
}

}  // namespace

void setMessageBoxHelp(BoxHelp help) { boxHelp = help; }

bool boxHelpAnswered(void* window) { return window && window == answeredBox; }

int systemMessageBox(void* owner, const std::string& text, const std::string& caption, uint32_t style) {
    if (boxHelp && (style & MB_HELP))
        return helpedBox<char, MSGBOXPARAMSA>(owner, text.c_str(), caption.c_str(), style, MessageBoxIndirectA);
    return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

int systemMessageBoxUtf8(void* owner, const std::string& text, const std::string& caption, uint32_t style) {
    const std::wstring wideText = Wide(text), wideCaption = Wide(fromAnsi(caption));
    if (boxHelp && (style & MB_HELP))
        return helpedBox<wchar_t, MSGBOXPARAMSW>(owner, wideText.c_str(), wideCaption.c_str(), style,
                                                 MessageBoxIndirectW);
    return MessageBoxW(static_cast<HWND>(owner), wideText.c_str(), wideCaption.c_str(), style);
}

std::string upperUtf8(const std::string& text) {
    std::wstring wide = Wide(text);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

unsigned char charUpper(unsigned char c) {
    char text[2] = {static_cast<char>(c), 0};
    CharUpperBuffA(text, 1);
    return static_cast<unsigned char>(text[0]);
}

unsigned char charLower(unsigned char c) {
    char text[2] = {static_cast<char>(c), 0};
    CharLowerBuffA(text, 1);
    return static_cast<unsigned char>(text[0]);
}

}  // namespace platform
