#include "catalogue.h"

#include "app/scan/masks.h"
#include "common/text.h"

std::vector<std::string> slFoldersToScan;

bool bEnableAdvanced = false;
int32_t lAdvancedBufferSize = 32;
int32_t lStandartBufferSize = 128;
bool bNotDeleteLastCopy = true;
bool bUnixWildCard = false;

int32_t BlockChecksum(const void* data, int32_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t sum = 0;
    for (int32_t k = 0; k < count; ++k) sum = ((sum << 1) | (sum >> 31)) ^ bytes[k];
    return static_cast<int32_t>(sum);
}

TFILEINFO::TFILEINFO(int32_t folderIndex, const platform::FindData& found, FolderList folders)
    : FolderIndex(folderIndex),
      Name(found.Name),
      ShortName(found.ShortName),
      Size(found.Size),
      Attributes(found.Attributes),
      Created(found.Created),
      Written(found.Written),
      Accessed(found.Accessed),
      folders_(std::move(folders)) {}

std::string TFILEINFO::FolderPath() const {
    const std::vector<std::string>& list = folders_ ? *folders_ : slFoldersToScan;
    std::string folder = list.at(static_cast<size_t>(FolderIndex));
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string TFILEINFO::FullPath() const { return FolderPath() + "\\" + Name; }

bool TFILEINFO::Open() {
    if (IsOpen) return Rewind();
    IsOpen = Handle.open(FullPath());
    return IsOpen;
}

bool TFILEINFO::Rewind() {
    if (!IsOpen) return Open();
    return Handle.rewind();
}

int64_t TFILEINFO::BytesRead = 0;

int32_t TFILEINFO::ReadBlock(void* buffer, int32_t count) {
    int32_t got = Handle.read(buffer, count);
    if (got > 0) BytesRead += got;
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
    return DeleteFileForced(FullPath());
}

bool TFILEINFO::learnIdentity() {
    if (!hasIdentity_ && IsOpen) hasIdentity_ = Handle.identity(identity_);
    return hasIdentity_;
}

bool TFILEINFO::SameFileAs(TFILEINFO& other) {
    return learnIdentity() && other.learnIdentity() && identity_ == other.identity_;
}

bool AddFile(TFILELIST& FileList, int folderIndex, const platform::FindData& found) {
    FileList.Add(std::make_unique<TFILEINFO>(folderIndex, found, FileList.Folders));
    return true;
}

bool ScanFolder(int folderIndex, TFILELIST& FileList) {
    std::string pattern = slFoldersToScan.at(static_cast<size_t>(folderIndex));
    if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
    pattern += "*.*";
    platform::FolderSearch search;
    platform::FindData found;
    for (bool more = search.first(pattern, found); more; more = search.next(found)) {
        if (found.Attributes & (platform::kAttrDirectory | platform::kAttrVolumeLabel)) continue;
        if (!found.Name.empty() && found.Name.front() == '.') continue;
        if (!AcceptFileName(found.Name)) continue;
        if (!AddFile(FileList, folderIndex, found)) return false;
    }
    return true;
}

bool CollectFiles(std::unique_ptr<TFILELIST>& FileList) {
    FileList = std::make_unique<TFILELIST>();
    FileList->Folders = std::make_shared<const std::vector<std::string>>(slFoldersToScan);
    for (int i = 0; i < static_cast<int>(slFoldersToScan.size()); ++i)
        if (!ScanFolder(i, *FileList)) return false;
    return true;
}
