#include "catalogue.h"

#include <cstring>
#include <stdexcept>

#include "app/options/options.h"
#include "app/scan/masks.h"
#include "app/scan/remembered.h"
#include "common/files.h"
#include "common/text.h"

bool IsDeviceName(const std::string& name) { return IsWindowsDeviceName(platform::toAnsi(name)); }

bool UsableName(const std::string& name, bool trailingDotsKept) {
    if (name.empty()) return false;
    if ((name.back() == '.' || name.back() == ' ') && !trailingDotsKept) return false;
    return name.find_first_of("?*") == std::string::npos;
}

int32_t BlockChecksum(const void* data, int32_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t sum = 0;
    for (int32_t k = 0; k < count; ++k) sum = ((sum << 1) | (sum >> 31)) ^ bytes[k];
    return static_cast<int32_t>(sum);
}

TPACKEDTIME::TPACKEDTIME(const platform::TimeStamp& t)
    : Milliseconds(t.Milliseconds),
      DayOfWeek(t.DayOfWeek),
      Second(t.Second),
      Minute(t.Minute),
      Hour(t.Hour),
      Day(t.Day),
      Month(t.Month),
      Year(t.Year) {}

TPACKEDTIME::operator platform::TimeStamp() const {
    platform::TimeStamp t;
    t.Year = static_cast<uint16_t>(Year);
    t.Month = static_cast<uint16_t>(Month);
    t.DayOfWeek = static_cast<uint16_t>(DayOfWeek);
    t.Day = static_cast<uint16_t>(Day);
    t.Hour = static_cast<uint16_t>(Hour);
    t.Minute = static_cast<uint16_t>(Minute);
    t.Second = static_cast<uint16_t>(Second);
    t.Milliseconds = static_cast<uint16_t>(Milliseconds);
    return t;
}

namespace {
uint32_t foldVolume(uint64_t volume) { return static_cast<uint32_t>(volume ^ (volume >> 32)); }

// A record's names share one block of the record pool: their lengths (two
// bytes each for the long names, one for the 8.3 name), then their bytes.
// The real name is stored only where it differs from the code-page name:
// for most files the two are one.
constexpr size_t kNamesHeader = 5;

size_t lengthAt(const char* p) { return static_cast<uint8_t>(p[0]) | size_t{static_cast<uint8_t>(p[1])} << 8; }

size_t namesBlockSize(const char* names) {
    return kNamesHeader + lengthAt(names) + lengthAt(names + 2) + static_cast<uint8_t>(names[4]);
}

char* storeNames(std::string_view name, std::string_view real, std::string_view shortName) {
    if (real == name) real = {};
    // An 8.3 name never runs longer; anything else is no short name.
    if (shortName.size() > 12) shortName = {};
    // No file system has a name this long; the lengths must fit their two bytes.
    if (name.size() > 0xFFFF || real.size() > 0xFFFF) throw std::length_error("file name too long");
    auto* names = static_cast<char*>(record_pool::take(kNamesHeader + name.size() + real.size() + shortName.size()));
    const auto putLength = [](char* at, size_t n) {
        at[0] = static_cast<char>(n & 0xFF);
        at[1] = static_cast<char>(n >> 8);
    };
    putLength(names, name.size());
    putLength(names + 2, real.size());
    names[4] = static_cast<char>(shortName.size());
    char* at = names + kNamesHeader;
    for (std::string_view text : {name, real, shortName}) {
        if (text.empty()) continue;  // an empty view may point nowhere
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
    return names;
}
}  // namespace

TFILEINFO::TFILEINFO(int32_t folderIndex, const platform::FindData& found, const FolderList& folders)
    : names_(storeNames(found.Name,
                        // A record made from a name alone (not from a search) reads it in the code page.
                        found.RealName.empty() ? platform::fromAnsi(found.Name) : found.RealName, found.ShortName)),
      FolderIndex(folderIndex),
      Attributes(found.Attributes),
      Size(found.Size),
      Created(found.Created),
      Written(found.Written),
      Accessed(found.Accessed),
      index_(found.Identity.index),
      written_(found.Identity.written),
      changed_(found.Identity.changed),
      folders_(folders.get()),
      volume_(foldVolume(found.Identity.volume)),
      hasIdentity_(found.HasIdentity),
      listed_(found.SizeAndTimesListed),
      volumeKnown_(found.HasIdentity && found.Identity.volumeKnown),
      indexListed_(!found.HasIdentity && found.IndexListed) {}

TFILEINFO::~TFILEINFO() { record_pool::give(names_, namesBlockSize(names_)); }

std::string_view TFILEINFO::Name() const { return {names_ + kNamesHeader, lengthAt(names_)}; }

std::string_view TFILEINFO::RealName() const {
    const size_t real = lengthAt(names_ + 2);
    if (real == 0) return Name();
    return {names_ + kNamesHeader + lengthAt(names_), real};
}

std::string_view TFILEINFO::ShortName() const {
    return {names_ + kNamesHeader + lengthAt(names_) + lengthAt(names_ + 2), static_cast<uint8_t>(names_[4])};
}

std::string TFILEINFO::FolderPath() const {
    const std::vector<std::string>& list = folders_ ? *folders_ : slFoldersToScan;
    std::string folder = list.at(static_cast<size_t>(FolderIndex));
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string TFILEINFO::FullPath() const { return FolderPath().append("\\").append(RealName()); }

// The system reaches every name the search lists (the Windows side takes the
// long form where the plain one would not do): no 8.3 name is needed.
std::string TFILEINFO::AccessPath() const { return FullPath(); }

std::string TFILEINFO::AnsiFolderPath() const { return platform::toAnsi(FolderPath()); }

void (*TFILEINFO::BeforeOpen)(const TFILEINFO&) = nullptr;

bool TFILEINFO::Open() {
    if (IsOpen) return Rewind();
    if (Changed) return false;  // what it holds now is not what was compared
    if (BeforeOpen) BeforeOpen(*this);
    IsOpen = Handle.open(AccessPath());
    ++Opens;
    if (!IsOpen) {
        Unreadable = true;
        return false;
    }
    // Every open is checked before a byte of it is read, with one look at the
    // open file: against its listing where that told which file it is
    // (natively), else against its first open, which learns it. Renamed over
    // or written to in between, it would be judged by two files' bytes.
    if (!stillAsListed()) {
        Changed = true;
        IsOpen = false;
        Handle.close();
        return false;
    }
    return true;
}

platform::FileIdentity TFILEINFO::identity() const {
    platform::FileIdentity id;
    id.index = index_;
    id.volume = volume_;
    id.volumeKnown = volumeKnown_;
    id.size = Size;
    id.written = written_;
    id.changed = changed_;
    return id;
}

bool TFILEINFO::Unchanged() {
    if (IsOpen) {
        if (!stillAsListed()) Changed = true;
    } else if (Open()) {
        Close();
    } else {
        return false;  // gone, or no longer readable
    }
    return !Changed;
}

bool TFILEINFO::stillAsListed() {
    platform::FileIdentity now;
    ++Looks;
    // A system that cannot tell leaves the bytes to tell.
    if (!Handle.identity(now)) return true;
    // The change time too: a program may set the last write back after
    // writing, and a freed file number may go at once to the next new file.
    if (listed_ && (now.size != Size || now.written != written_ || now.changed != changed_)) return false;
    if (!hasIdentity_) {
        index_ = now.index;
        volume_ = foldVolume(now.volume);
        volumeKnown_ = now.volumeKnown;
        written_ = now.written;
        changed_ = now.changed;
        hasIdentity_ = listed_ = true;
        return true;
    }
    if (now.index != index_) return false;
    return !(now.volumeKnown && volumeKnown_ && foldVolume(now.volume) != volume_);
}

bool TFILEINFO::Rewind() {
    if (!IsOpen) return Open();
    return Handle.rewind();
}

bool TFILEINFO::Seek(int64_t position) {
    if (!IsOpen && !Open()) return false;
    if (Handle.seek(position)) return true;
    Unreadable = true;
    return false;
}

int64_t TFILEINFO::BytesRead = 0;
int64_t TFILEINFO::Opens = 0;
int64_t TFILEINFO::Looks = 0;

int32_t TFILEINFO::ReadData(void* buffer, int32_t count) {
    const int32_t got = Handle.read(buffer, count);
    if (got < 0) Unreadable = true;
    if (got > 0) BytesRead += got;
    return got;
}

int32_t TFILEINFO::ReadBlock(void* buffer, int32_t count) {
    const int32_t got = ReadData(buffer, count);
    if (got >= 0 && !HasChecksum) {
        Checksum = BlockChecksum(buffer, got);
        HasChecksum = true;
    }
    return got;
}

bool TFILEINFO::Close() {
    if (!IsOpen) return true;
    IsOpen = false;
    return Handle.close();
}

void TFILEINFO::ReadFirstBlock(void* buffer, int32_t count) {
    if (!Open()) return;
    ReadBlock(buffer, count);
    Close();
}

bool TFILEINFO::DeleteFromDisk() {
    Close();
    return DeleteFileForced(AccessPath());
}

bool TFILEINFO::LearnIdentity() {
    if (hasIdentity_) return true;
    if (IsOpen) {
        if (!stillAsListed()) Changed = true;
        return hasIdentity_;
    }
    // Closed before it was asked (a large set of one size keeps few files
    // open): opened once more for it.
    if (!Open()) return false;
    Close();
    return hasIdentity_;
}

bool TFILEINFO::CheckedIdentity(platform::FileIdentity& id) {
    if (!LearnIdentity() || !listed_ || Changed) return false;
    id = identity();
    return true;
}

bool TFILEINFO::PeekIdentity(platform::FileIdentity& id) {
    if (!indexListed_ || hasIdentity_ || Changed) return false;
    ++Looks;
    // A size other than listed: the file is read, and judged by what it holds.
    if (!platform::peekIdentity(AccessPath(), id) || id.size != Size) return false;
    id.index = index_;
    return true;
}

void TFILEINFO::AdoptIdentity(const platform::FileIdentity& id) {
    if (hasIdentity_) return;
    index_ = id.index;
    written_ = id.written;
    changed_ = id.changed;
    hasIdentity_ = listed_ = true;
}

bool TFILEINFO::SameFileAs(TFILEINFO& other) {
    if (!LearnIdentity() || !other.LearnIdentity()) return true;
    // The size and last write stand in for the volume where one side does not know it.
    return platform::SameFile(identity(), other.identity());
}

void TFILELIST::LearnProtection() {
    Protection.clear();
    if (slProtectedFolders.empty()) return;
    // A folder that cannot be opened now is protected by its entry's text alone.
    std::vector<platform::FileIdentity> guarded;
    for (const std::string& folder : slProtectedFolders)
        if (platform::FileIdentity id; platform::folderIdentity(folder, id)) guarded.push_back(id);
    const std::vector<std::string>& folders = Folders ? *Folders : slFoldersToScan;
    Protection.reserve(folders.size());
    for (const std::string& folder : folders) {
        uint8_t rank = IsProtectedFolder(folder) ? kListed : kNotProtected;
        platform::FileIdentity id;
        if (rank == kNotProtected && !guarded.empty() && platform::folderIdentity(folder, id))
            for (const platform::FileIdentity& g : guarded)
                if (platform::SameFile(id, g)) rank = kAnotherName;
        Protection.push_back(rank);
    }
}

uint8_t TFILELIST::ProtectionOf(const TFILEINFO& file) const {
    const auto at = static_cast<size_t>(file.FolderIndex);
    if (at < Protection.size()) return Protection[at];
    // A list whose protection was never learnt: by the entry's text.
    return IsProtectedFolder(file.FolderPath()) ? kListed : kNotProtected;
}

bool AddFile(TFILELIST& FileList, int folderIndex, const platform::FindData& found) {
    FileList.Add(std::make_unique<TFILEINFO>(folderIndex, found, FileList.Folders));
    return true;
}

bool CatalogueLearnsVolumes = false;

bool ScanFolder(int folderIndex, TFILELIST& FileList) {
    // The catalogue's own copy of the list, which its records refer to.
    const std::vector<std::string>& folders = FileList.Folders ? *FileList.Folders : slFoldersToScan;
    std::string folder = folders.at(static_cast<size_t>(folderIndex));
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    platform::FolderSearch search;
    platform::FindData found;
    bool more = search.first(folder + "*.*", found, platform::FolderSearch::Entries::Files);
    // Not where the listing gives each file's volume (natively).
    if (uint64_t volume = 0; CatalogueLearnsVolumes && more && !found.HasIdentity && search.volume(volume)) {
        if (FileList.FolderVolumes.size() <= static_cast<size_t>(folderIndex))
            FileList.FolderVolumes.resize(static_cast<size_t>(folderIndex) + 1, TFILELIST::kVolumeUnknown);
        FileList.FolderVolumes[static_cast<size_t>(folderIndex)] = volume;
    }
    // Only an existing folder with nothing in it (an empty drive) answers "no file".
    if (!more && !(platform::lastError() == platform::kErrorFileNotFound && platform::isFolder(folder)))
        ++FileList.FoldersLeftOut;
    for (; more; more = search.next(found)) {
        if (found.Attributes & (platform::kAttrDirectory | platform::kAttrVolumeLabel)) continue;
        if (!found.Name.empty() && found.Name.front() == '.') continue;
        if (!AcceptFileName(found.Name) || SkippedForItsSize(found.Size)) continue;
        if (!AddFile(FileList, folderIndex, found)) return false;
    }
    return true;
}

std::string LeftOutText(const TFILELIST& FileList) {
    const std::string files = std::to_string(FileList.FilesLeftOut) + " file(s) that could not be read";
    const std::string folders =
        std::to_string(FileList.FoldersLeftOut) + " folder(s) of the list that could not be opened";
    std::string text;
    if (FileList.FilesLeftOut > 0 && FileList.FoldersLeftOut > 0)
        text = "The search left out " + files + " and " + folders + ".";
    else if (FileList.FilesLeftOut > 0)
        text = "The search left out " + files + ".";
    else if (FileList.FoldersLeftOut > 0)
        text = "The search left out " + folders + ".";
    if (FileList.FilesChanged > 0)
        text += (text.empty() ? "" : " ") + std::to_string(FileList.FilesChanged) +
                " file(s) changed while the search read them; they are in no group. Search again to compare them.";
    if (FileList.RememberedSetAside) text += (text.empty() ? "" : " ") + RememberedSetAsideText();
    return text;
}

std::string OutOfMemoryText(int64_t filesListed) {
    return "There is not enough memory to search so many files: the search stopped after listing " +
           std::to_string(filesListed) +
           " files, and nothing was changed. Please search fewer folders at a time, or close other programs.";
}

bool CollectFiles(std::unique_ptr<TFILELIST>& FileList) {
    FileList = std::make_unique<TFILELIST>();
    FileList->Folders = std::make_shared<const std::vector<std::string>>(slFoldersToScan);
    for (int i = 0; i < static_cast<int>(FileList->Folders->size()); ++i)
        if (!ScanFolder(i, *FileList)) return false;
    return true;
}
