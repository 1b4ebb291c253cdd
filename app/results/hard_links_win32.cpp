#include "app/results/hard_links_win32.h"

#include <cstdint>
#include <string>
#include <vector>

#include "app/results/deletion_plan.h"
#include "common/messagebox.h"
#include "common/platform.h"
#include "common/text.h"
#include "common/win32/syserror.h"
#include "common/win32/unique_handle.h"
#include "common/win32/wide.h"

namespace {

std::wstring volumeOf(const std::string& path) {
    wchar_t root[MAX_PATH + 1] = {};
    return GetVolumePathNameW(SystemPath(path).c_str(), root, MAX_PATH) ? std::wstring(root) : std::wstring();
}

// File systems known to have no hard links (NTFS has them; so does a Unix
// disk under Wine). Any other is tried, and its refusal reported.
bool refusesLinks(const std::wstring& root) {
    wchar_t name[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, name, MAX_PATH)) return false;
    const std::wstring system = name;
    return system == L"FAT" || system == L"FAT32" || system == L"exFAT" || system == L"CDFS" || system == L"UDF";
}

// A file as its volume knows it: which volume and file it is, how many names
// it has, its attributes.
struct OnDisk {
    bool known = false;
    DWORD volume = 0;
    uint64_t index = 0;
    DWORD links = 0;
    DWORD attributes = 0;

    bool sameFile(const OnDisk& other) const {
        return known && other.known && volume == other.volume && index == other.index;
    }
};

OnDisk onDisk(const std::string& path) {
    // Attributes only: no other program's sharing stands in the way.
    unique_file file(CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return {};
    return {true, info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
            info.nNumberOfLinks, info.dwFileAttributes};
}

// What NtSetInformationFile is asked through an open handle (the calls that
// do it by name came with Vista).
LONG setInformation(HANDLE file, void* data, ULONG size, int kind) {
    using SetFile = LONG(WINAPI*)(HANDLE, void* status, void* data, ULONG size, int kind);
    static const auto set = reinterpret_cast<SetFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile")));
    if (!set) return -1;
    struct {
        LONG status;
        ULONG_PTR information;
    } io{};
    return set(file, &io, data, size, kind);
}

bool setAttributes(HANDLE file, DWORD attributes) {
    struct {
        LARGE_INTEGER times[4];  // 0: left as they are
        ULONG attributes;
    } basic{};  // FILE_BASIC_INFORMATION
    basic.attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return setInformation(file, &basic, sizeof basic, 4 /* FileBasicInformation */) >= 0;
}

// Removes one name of a file that other names keep, and leaves the file with
// the attributes given (by default those it has). Attributes belong to the
// file, not to a name: a read-only name can not go, and clearing its bit
// clears it on every name. So it is cleared, the name marked to go and the
// bits put back, all through one handle; the name goes as the handle closes.
bool removeName(const std::wstring& name, DWORD attributes = INVALID_FILE_ATTRIBUTES) {
    unique_file file(CreateFileW(name.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return false;
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = info.dwFileAttributes;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        setAttributes(file.get(), info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
    BOOLEAN remove = TRUE;  // FILE_DISPOSITION_INFORMATION
    const bool removed = setInformation(file.get(), &remove, sizeof remove, 13 /* FileDispositionInformation */) >= 0;
    if (attributes != (info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY)) setAttributes(file.get(), attributes);
    return removed;
}

// Makes a hard link to source under a name of its own beside file, one that
// did not exist. The long form is chosen for that name, longer than the
// file's own. Empty, with the error, when it could not.
std::wstring linkBeside(const std::string& file, const std::wstring& source, DWORD& error) {
    for (DWORD n = GetTickCount(), tries = 0;; ++n, ++tries) {
        std::wstring name = SystemPath(file + ".~link" + std::to_string(n % 100000));
        if (CreateHardLinkW(name.c_str(), source.c_str(), nullptr)) return name;
        error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS || tries == 20) return {};
    }
}

const char* const kOtherDrive = "its kept copy is on another drive; a hard link joins names on one drive only.";

std::string errorText(DWORD error) {
    return error == ERROR_NOT_SAME_DEVICE ? kOtherDrive : platform::fromAnsi(SysErrorText(error));
}

// How a name made by this command is shown: as the user knows the folder.
std::string shown(const std::wstring& name) {
    if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) return "\\\\" + Utf8(name.substr(8));
    return Utf8(name.rfind(L"\\\\?\\", 0) == 0 ? name.substr(4) : name);
}

// The link is made under a name of its own in the file's folder and moved
// over the file in one step: the path always holds the old file or the link.
// Empty when done, else why not. before: the file as it was.
std::string linkInPlace(const std::string& file, const std::string& kept, const OnDisk& before) {
    const std::wstring target = SystemPath(file), source = SystemPath(kept);
    DWORD error = 0;
    const std::wstring part = linkBeside(file, source, error);
    if (part.empty()) return errorText(error);
    // A read-only file is replaced as any other; the link bears the kept
    // copy's attributes. The bit is cleared for the move, and with it on the
    // file's names outside the search: one more name of its own, made first,
    // puts it back there once the file has left this path.
    const bool readOnly = before.attributes & FILE_ATTRIBUTE_READONLY;
    std::wstring old;
    if (readOnly && before.links > 1 && (old = linkBeside(file, target, error)).empty()) {
        removeName(part);
        return errorText(error);
    }
    if (readOnly) SetFileAttributesW(target.c_str(), before.attributes & ~FILE_ATTRIBUTE_READONLY);
    const bool moved = MoveFileExW(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    std::string why = moved ? std::string() : errorText(GetLastError());
    if (readOnly && !moved) SetFileAttributesW(target.c_str(), before.attributes);
    // Every name made here goes, whatever came of the move: the one of the
    // old file with the attributes it had, the link with the kept copy's
    // (read-only too), which the kept copy keeps.
    const bool oldGone = old.empty() || removeName(old, before.attributes);
    if (moved) return {};
    auto left = [](const std::wstring& name) { return " The name " + shown(name) + ", made beside it, stays."; };
    if (!oldGone) why += left(old);
    if (!removeName(part)) why += left(part);
    return why;
}

}  // namespace

void LinkMarkedCommand(HWND owner, TRESVIEW& view) {
    const Tally& del = view.Tallies[TallyDel];
    if (del.Files <= 0) return;
    const std::string question = "Replace " + std::to_string(del.Files) +
                                 " marked file(s) by hard links to the copy kept in their group? Each name then opens "
                                 "the kept copy's bytes: a change made through one is seen through the other.";
    if (ShowMessageBox(owner, question, "Please confirm...", mb::kYesNo | mb::kIconQuestion) != mb::kIdYes) return;
    const auto groups = view.Groups();
    TRESVIEW::Batch drawing(view);
    int32_t linked = 0;
    int64_t freed = 0;
    std::vector<std::string> stayed;  // "path: why"
    int32_t already = 0;  // files that were their kept copy under another name
    for (const auto& [group, members] : groups) {
        // The copy kept: a protected one where there is one, else the first not marked.
        const TRESVIEW::Node* kept = nullptr;
        for (const TRESVIEW::Node& n : members)
            if (n.image != 1 && (!kept || (n.image == TRESVIEW::kProtectedImage && kept->image != n.image))) kept = &n;
        for (const TRESVIEW::Node& n : members) {
            if (n.image != 1) continue;
            const std::string path = n.file->FullPath();
            std::string why;
            if (!kept) {
                why = "every copy of its group is marked, so none is kept to link to.";
            } else {
                const std::string keptPath = kept->file->FullPath();
                n.file->Close();
                const OnDisk mine = onDisk(path), theirs = onDisk(keptPath);
                // One volume whatever the spelling of its root ("\\?\C:\" or "C:\").
                if (mine.known && theirs.known && mine.volume != theirs.volume)
                    why = kOtherDrive;
                else if (refusesLinks(volumeOf(path)))
                    why = "its drive's file system has no hard links.";
                else if (mine.sameFile(theirs)) {
                    ++already;
                    view.Unmark(n.item);
                    continue;
                } else if (!IdenticalCopies(path, keptPath))
                    why = "it is missing, or differs from its kept copy " + keptPath + " now.";
                else if (why = linkInPlace(path, keptPath, mine); why.empty() && mine.links == 1)
                    freed += n.file->Size;  // a file with names outside the search keeps its bytes there
            }
            if (!why.empty()) {
                stayed.push_back(path + ": " + why);
                continue;
            }
            ++linked;
            view.Unmark(n.item);
        }
    }
    std::string report = std::to_string(linked) + " file(s) replaced by hard links, " + SizeText(freed) + "bytes freed.";
    // Before the files that stayed, whose first name may fill the box.
    if (already > 0)
        report += "\r" + std::to_string(already) +
                  " file(s) already were their kept copy under another name (a hard link): nothing to free.";
    if (!stayed.empty())
        report += "\r" + std::to_string(stayed.size()) + " file(s) stayed as they were. The first: " + stayed.front();
    ShowMessageBoxUtf8(owner, report, stayed.empty() ? "Information" : "Error",
                       stayed.empty() ? mb::kIconInformation : mb::kIconExclamation);
}
