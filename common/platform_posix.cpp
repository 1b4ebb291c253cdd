// The system services of the core on a POSIX host, for tests and benchmarks.
// Paths arrive in Windows form; every backslash is read as a path separator.
#include "platform.h"
#include "text.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

namespace {

thread_local uint32_t lastErrorCode = 0;

uint32_t win32ErrorFromErrno(int e) {
    switch (e) {
    case 0: return 0;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrorAccessDenied;
    case EBUSY: return kErrorSharingViolation;
    default: return 31;  // ERROR_GEN_FAILURE
    }
}

void setLastErrorFromErrno() { lastErrorCode = win32ErrorFromErrno(errno); }

std::string hostPath(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

TimeStamp fromTimeT(time_t t) {
    struct tm tmv {};
    if (!localtime_r(&t, &tmv)) return {};
    TimeStamp s;
    s.Year = static_cast<uint16_t>(tmv.tm_year + 1900);
    s.Month = static_cast<uint16_t>(tmv.tm_mon + 1);
    s.DayOfWeek = static_cast<uint16_t>(tmv.tm_wday);
    s.Day = static_cast<uint16_t>(tmv.tm_mday);
    s.Hour = static_cast<uint16_t>(tmv.tm_hour);
    s.Minute = static_cast<uint16_t>(tmv.tm_min);
    s.Second = static_cast<uint16_t>(tmv.tm_sec);
    return s;
}

FileIdentity identityOf(const struct stat& st) {
    auto nanoseconds = [](const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; };
    FileIdentity id;
    id.volume = static_cast<uint64_t>(st.st_dev);
    id.index = static_cast<uint64_t>(st.st_ino);
    id.size = static_cast<int64_t>(st.st_size);
    id.created = nanoseconds(st.st_ctim);
    id.written = nanoseconds(st.st_mtim);
    id.changed = id.created;
    return id;
}

struct Search {
    DIR* dir = nullptr;
    FolderSearch::Entries wanted = FolderSearch::Entries::All;
    ~Search() {
        if (dir) closedir(dir);
    }
};

// Reads entries until one that a Windows search would report: regular files
// and folders. Devices, pipes and sockets have no Windows counterpart and
// would block or fail a read, so they are left out.
bool readEntry(Search& s, FindData& data) {
    while (dirent* e = readdir(s.dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") {  // reported as Windows does, without a look at them
            data = FindData{};
            data.Name = name;
            data.RealName = name;
            data.Attributes = kAttrDirectory;
            return true;
        }
        // Entries the system says are neither files, folders nor links are
        // no concern of a search, and cost no look.
        if (e->d_type != DT_UNKNOWN && e->d_type != DT_REG && e->d_type != DT_DIR && e->d_type != DT_LNK) continue;
        if (s.wanted == FolderSearch::Entries::Folders && e->d_type == DT_REG) continue;
        if (s.wanted == FolderSearch::Entries::Files && e->d_type == DT_DIR) continue;
        // Looked up from the open folder: the one look an entry costs, without
        // walking its path again from the root.
        struct stat st {};
        if (fstatat(dirfd(s.dir), e->d_name, &st, 0) != 0) continue;
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) continue;
        data.Name = name;
        data.RealName = name;
        data.ShortName.clear();
        data.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<int64_t>(st.st_size);
        uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
        if (!(st.st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
        data.Attributes = attributes;
        data.Created = fromTimeT(st.st_ctime);
        data.Written = fromTimeT(st.st_mtime);
        data.Accessed = fromTimeT(st.st_atime);
        data.HasIdentity = true;
        data.Identity = identityOf(st);
        data.SizeAndTimesListed = true;
        return true;
    }
    return false;
}

}  // namespace

FolderSearch::~FolderSearch() { close(); }

bool FolderSearch::first(const std::string& pattern, FindData& data, Entries wanted) {
    close();
    std::string path = hostPath(pattern);
    auto slash = path.rfind('/');
    auto search = std::make_unique<Search>();
    search->wanted = wanted;
    const std::string folder = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    search->dir = opendir(folder.c_str());
    if (!search->dir) {
        setLastErrorFromErrno();
        return false;
    }
    if (!readEntry(*search, data)) {
        lastErrorCode = kErrorFileNotFound;
        return false;
    }
    handle_ = search.release();
    return true;
}

bool FolderSearch::next(FindData& data) {
    if (!handle_) return false;
    return readEntry(*static_cast<Search*>(handle_), data);
}

void FolderSearch::close() {
    delete static_cast<Search*>(std::exchange(handle_, nullptr));
}

bool FolderSearch::volume(uint64_t& id) const {
    struct stat st {};
    if (!handle_ || fstat(dirfd(static_cast<const Search*>(handle_)->dir), &st) != 0) return false;
    id = static_cast<uint64_t>(st.st_dev);
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
    // Non-blocking, so that a FIFO put in a file's place since the listing
    // cannot hold the open (reading a regular file is unaffected). No look at
    // the open file: the listing already told what it is and which file.
    int fd = ::open(hostPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        setLastErrorFromErrno();
        return false;
    }
    handle_ = fd;
    return true;
}

bool File::isOpen() const { return handle_ != -1; }

bool File::rewind() { return seek(0); }

bool File::seek(int64_t position) {
    if (!isOpen()) return false;
    if (lseek(static_cast<int>(handle_), static_cast<off_t>(position), SEEK_SET) != static_cast<off_t>(position)) {
        setLastErrorFromErrno();
        return false;
    }
    return true;
}

int32_t File::read(void* buffer, int32_t count) {
    if (!isOpen() || count < 0) return -1;
    auto* out = static_cast<char*>(buffer);
    int32_t total = 0;
    while (total < count) {
        ssize_t got = ::read(static_cast<int>(handle_), out + total, static_cast<size_t>(count - total));
        if (got < 0) {
            if (errno == EINTR) continue;
            setLastErrorFromErrno();
            return -1;
        }
        if (got == 0) break;
        total += static_cast<int32_t>(got);
        // A regular file reads short only at its end: no second call to hear
        // it (were it anything else, the file reads shorter than listed and
        // is no copy).
        if (got < count - (total - static_cast<int32_t>(got))) break;
    }
    return total;
}

bool File::close() {
    if (!isOpen()) return true;
    int fd = static_cast<int>(std::exchange(handle_, -1));
    if (::close(fd) != 0) {
        setLastErrorFromErrno();
        return false;
    }
    return true;
}

bool File::identity(FileIdentity& id) const {
    struct stat st {};
    // Only a regular file can be a copy: anything else put in its place has none.
    if (!isOpen() || fstat(static_cast<int>(handle_), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    id = identityOf(st);
    return true;
}

bool folderIdentity(const std::string& path, FileIdentity& id) {
    struct stat st {};
    if (stat(hostPath(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    id = identityOf(st);
    return true;
}

bool remembersFiles(const std::string& folder, uint32_t& serial) {
    struct stat st {};
    if (stat(hostPath(folder).c_str(), &st) != 0) return false;
    const auto device = static_cast<uint64_t>(st.st_dev);
    serial = static_cast<uint32_t>(device ^ (device >> 32));
    return true;
}

bool peekIdentity(const std::string& path, FileIdentity& id) {
    struct stat st {};
    if (stat(hostPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    id = identityOf(st);
    return true;
}

int64_t rawTimeSecondsAgo(int32_t seconds) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return (static_cast<int64_t>(now.tv_sec) - seconds) * 1000000000 + now.tv_nsec;
}

bool readWholeFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    const int fd = ::open(hostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        setLastErrorFromErrno();
        return false;
    }
    struct stat st {};
    bool done = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= limit;
    if (done) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t at = 0;
        while (at < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + at, bytes.size() - at);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            at += static_cast<size_t>(got);
        }
        bytes.resize(at);
    }
    ::close(fd);
    return done;
}

bool writeWholeFile(const std::string& path, const void* data, size_t size) {
    const int fd = ::open(hostPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        setLastErrorFromErrno();
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    size_t at = 0;
    while (at < size) {
        const ssize_t wrote = ::write(fd, bytes + at, size - at);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        at += static_cast<size_t>(wrote);
    }
    // On the disk before it is moved over the old one, or a crash could leave neither.
    const bool done = at == size && fsync(fd) == 0;
    if (::close(fd) != 0 || !done) {
        setLastErrorFromErrno();
        return false;
    }
    return true;
}

bool replaceFile(const std::string& from, const std::string& to) {
    if (::rename(hostPath(from).c_str(), hostPath(to).c_str()) != 0) {
        setLastErrorFromErrno();
        return false;
    }
    return true;
}

bool namesKeepTrailingDots() { return true; }
bool namesIgnoreCase() { return false; }

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(hostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st {};
    return stat(hostPath(path).c_str(), &st) == 0;
}

// Text to code page 437 (the OEM code page of a Western Windows) a character
// at a time, each `width` bytes in the encoding `from`; a character that code
// page lacks becomes "?".
bool toCodePage437(const char* from, const std::string& text, size_t width, std::string& oem) {
    oem.clear();
    iconv_t convert = iconv_open("IBM437", from);
    if (convert == reinterpret_cast<iconv_t>(-1)) return false;
    bool exact = true;
    for (size_t at = 0; at + width <= text.size(); at += width) {
        char in[2] = {text[at], width > 1 ? text[at + 1] : '\0'};
        char out[4];
        char* source = in;
        char* to = out;
        size_t inLeft = width, outLeft = sizeof out;
        if (iconv(convert, &source, &inLeft, &to, &outLeft) == static_cast<size_t>(-1)) {
            exact = false;
            oem += '?';
            iconv(convert, nullptr, nullptr, nullptr, nullptr);
        } else {
            oem.append(out, static_cast<size_t>(to - out));
        }
    }
    iconv_close(convert);
    return exact;
}

// Windows-1252 to code page 437, the pair a Western Windows installation has.
bool ansiToOem(const std::string& ansi, std::string& oem) { return toCodePage437("CP1252", ansi, 1, oem); }

bool utf8ToOem(const std::string& utf8, std::string& oem) {
    std::string units;
    for (char16_t c : Utf16FromUtf8(utf8)) {
        units += static_cast<char>(c & 0xFF);
        units += static_cast<char>(c >> 8);
    }
    return toCodePage437("UTF-16LE", units, 2, oem);
}

// Names here are the bytes the file system holds: nothing to convert.
std::string toAnsi(const std::string& utf8, bool* exact) {
    if (exact) *exact = true;
    return utf8;
}
std::string fromAnsi(const std::string& ansi) { return ansi; }
std::string shortPath(const std::string&) { return {}; }
std::string longPath(const std::string& path) { return path; }

void setShortNamesReported(bool) {}
bool shortNamesReported() { return false; }

uint32_t lastError() { return lastErrorCode; }

bool removeFile(const std::string& path) {
    std::string p = hostPath(path);
    struct stat st {};
    // DeleteFileA refuses read-only files and folders; so does this stand-in.
    if (lstat(p.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)) {
            lastErrorCode = kErrorAccessDenied;
            return false;
        }
    }
    if (unlink(p.c_str()) != 0) {
        setLastErrorFromErrno();
        return false;
    }
    return true;
}

bool clearAttributes(const std::string& path) {
    std::string p = hostPath(path);
    struct stat st {};
    if (stat(p.c_str(), &st) != 0 || chmod(p.c_str(), st.st_mode | S_IWUSR) != 0) {
        setLastErrorFromErrno();
        return false;
    }
    return true;
}

TimeStamp localTime() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    TimeStamp t = fromTimeT(now.tv_sec);
    t.Milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
    return t;
}

LocaleFormats userLocaleFormats() { return {}; }

SpecialFolders specialFolders() {
    const char* tmp = std::getenv("TMPDIR");
    return {std::string(tmp && *tmp ? tmp : "/tmp") + "/", "", ""};
}

bool onSearchPath(const std::string& name) {
    // The program folder and current folder, then the PATH, as SearchPathA looks.
    struct stat st {};
    if (stat(name.c_str(), &st) == 0) return true;
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "";
    size_t at = 0;
    while (at <= list.size()) {
        size_t end = list.find(':', at);
        if (end == std::string::npos) end = list.size();
        std::string candidate = list.substr(at, end - at) + "/" + name;
        if (end > at && stat(candidate.c_str(), &st) == 0) return true;
        at = end + 1;
    }
    return false;
}

SearchPathNames::SearchPathNames() {
    std::vector<std::string> folders = {"."};
    const char* path = std::getenv("PATH");
    const std::string list = path ? path : "";
    for (size_t at = 0; at <= list.size();) {
        size_t end = list.find(':', at);
        if (end == std::string::npos) end = list.size();
        if (end > at) folders.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    for (const std::string& folder : folders) {
        DIR* dir = opendir(folder.c_str());
        if (!dir) continue;
        while (dirent* e = readdir(dir))
            if (e->d_type != DT_DIR) names_.insert(e->d_name);
        closedir(dir);
    }
}

bool SearchPathNames::contains(const std::string& name) const { return names_.count(name) > 0; }

std::string environment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

int systemMessageBox(void*, const std::string& text, const std::string& caption, uint32_t) {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return 1;  // IDOK
}

void setMessageBoxHelp(BoxHelp) {}

bool boxHelpAnswered(void*) { return false; }

int systemMessageBoxUtf8(void* owner, const std::string& text, const std::string& caption, uint32_t style) {
    return systemMessageBox(owner, text, caption, style);
}

std::string upperUtf8(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(charUpper(static_cast<unsigned char>(c)));
    return upper;
}

// Windows-1252, as CharUpperA and CharLowerA map it.
unsigned char charUpper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    switch (c) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return c;
    }
}

unsigned char charLower(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

}  // namespace platform
