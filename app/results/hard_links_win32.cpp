#include "app/results/hard_links_win32.h"

#include <string>
#include <vector>

#include "app/results/deletion_plan.h"
#include "common/messagebox.h"
#include "common/platform.h"
#include "common/text.h"
#include "common/win32/syserror.h"
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

platform::FileIdentity identityOf(const std::string& path) {
    platform::File file;
    platform::FileIdentity id;
    if (!file.open(path) || !file.identity(id)) return {};
    return id;
}

// The link is made under a name of its own in the file's folder and moved
// over the file in one step: the path always holds the old file or the link.
// Empty when done, else why not.
std::string linkInPlace(const std::string& file, const std::string& kept) {
    const std::wstring target = SystemPath(file), source = SystemPath(kept);
    std::wstring part;
    for (DWORD n = GetTickCount(), tries = 0;; ++n, ++tries) {
        part = target + L".~link" + std::to_wstring(n % 100000);
        if (CreateHardLinkW(part.c_str(), source.c_str(), nullptr)) break;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS || tries == 20) return platform::fromAnsi(SysErrorText(error));
    }
    // A read-only file is replaced as any other; the link bears the kept copy's attributes.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (MoveFileExW(part.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
    const DWORD error = GetLastError();
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), attributes);
    DeleteFileW(part.c_str());
    return platform::fromAnsi(SysErrorText(error));
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
                const std::wstring volume = volumeOf(path);
                n.file->Close();
                const platform::FileIdentity mine = identityOf(path);
                if (volume.empty() || volume != volumeOf(keptPath))
                    why = "its kept copy is on another drive; a hard link joins names on one drive only.";
                else if (refusesLinks(volume))
                    why = "its drive's file system has no hard links.";
                else if (mine.index != 0 && platform::SameFile(mine, identityOf(keptPath))) {
                    // already one file: nothing to free
                } else if (!IdenticalCopies(path, keptPath))
                    why = "it is missing, or differs from its kept copy " + keptPath + " now.";
                else if (why = linkInPlace(path, keptPath); why.empty())
                    freed += n.file->Size;
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
    if (!stayed.empty())
        report += "\r" + std::to_string(stayed.size()) + " file(s) stayed as they were. The first: " + stayed.front();
    ShowMessageBoxUtf8(owner, report, stayed.empty() ? "Information" : "Error",
                       stayed.empty() ? mb::kIconInformation : mb::kIconExclamation);
}
