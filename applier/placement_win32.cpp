#include "applier/placement_win32.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/win32/module.h"
#include "common/win32/unique_handle.h"
#include "update/handover.h"
#include "update/names.h"

namespace {

// The journal while files are being replaced, and once every one is: a
// journal found under the first name is undone, under the second finished.
const char kPlacing[] = "Swaplet.placing";
const char kPlaced[] = "Swaplet.placed";
const char kApplierName[] = "Swaplet.exe";

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool move(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool flush(const std::string& path) {
    unique_file file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && FlushFileBuffers(file.get());
}

#ifndef NDEBUG
// Test builds only: VARNOK_SWAPLET_STOP_AFTER=n ends the applier as a power
// cut would, at the n-th point of a placement counted from 0: 0 once the
// journal is written, k once k files are replaced, and last once the journal
// is marked whole.
void step() {
    static int left = [] {
        const char* setting = std::getenv("VARNOK_SWAPLET_STOP_AFTER");
        return setting ? std::atoi(setting) : -1;
    }();
    if (left >= 0 && left-- == 0) TerminateProcess(GetCurrentProcess(), 9);
}
#else
void step() {}
#endif

struct Journal {
    std::string restart, applierBackup;
    struct Entry {
        std::string path;
        bool hadOld;
    };
    std::vector<Entry> entries;
};

// Written under another name and renamed: a journal is whole or not there.
bool writeJournal(const std::string& folder, const Journal& journal) {
    std::string text = "restart " + journal.restart + "\r\n";
    if (!journal.applierBackup.empty()) text += "applier " + journal.applierBackup + "\r\n";
    for (const Journal::Entry& entry : journal.entries) text += (entry.hadOld ? "old " : "new ") + entry.path + "\r\n";
    const std::string draft = folder + kPlacing + "~";
    {
        unique_file out(
            CreateFileA(draft.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return false;
        DWORD written = 0;
        if (!WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(out.get()))
            return false;
    }
    return MoveFileExA(draft.c_str(), (folder + kPlacing).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

std::string longForm(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : path;
}

// Where a file is, by long names: the update may name the program's folder
// by its 8.3 path, and a file it brings may not be there yet.
std::string longFileName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : longForm(path.substr(0, slash + 1)) + path.substr(slash + 1);
}

// Only files of the program's folder are touched, whatever a journal says.
Journal readJournal(const std::string& folder, const std::string& path) {
    Journal journal;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t blank = line.find(' ');
        if (blank == std::string::npos) continue;
        const std::string kind = line.substr(0, blank), value = line.substr(blank + 1);
        if (kind == "restart")
            journal.restart = value;
        else if (kind == "applier")
            journal.applierBackup = value;
        else if ((kind == "old" || kind == "new") && IsInsideFolder(longFileName(value), longForm(folder)))
            journal.entries.push_back({value, kind == "old"});
    }
    return journal;
}

// A file whose staged copy is gone has been replaced; the others are as they were.
void undo(const Journal& journal) {
    for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
        const std::string& path = it->path;
        if (exists(path + kStaged)) {
            DeleteFileA((path + kStaged).c_str());
            DeleteFileA((path + kAside).c_str());
        } else if (it->hadOld) {
            if (exists(path + kAside)) move(path + kAside, path);
        } else {
            DeleteFileA(path.c_str());
        }
    }
}

void clearAside(const Journal& journal) {
    for (const Journal::Entry& entry : journal.entries) DeleteFileA((entry.path + kAside).c_str());
}

// The old file stays in its place while its copy is made: a hard link where
// the volume has them, else a copy, on disk before the new file replaces it.
bool keepAside(const std::string& path) {
    const std::string aside = path + kAside;
    DeleteFileA(aside.c_str());
    if (CreateHardLinkA(aside.c_str(), path.c_str(), nullptr)) return true;
    return CopyFileA(path.c_str(), aside.c_str(), FALSE) && flush(aside);
}

// The old applier's copy goes back over the applier of the folder; a running
// applier's file cannot be replaced but can be renamed aside first.
void putApplierBack(const std::string& folder, const std::string& backup) {
    if (backup.empty() || !exists(backup)) return;
    const std::string applier = folder + kApplierName;
    const bool running = lstrcmpiA(longForm(ModuleFileName()).c_str(), longForm(applier).c_str()) == 0;
    if (running && !move(applier, applier + kStaged)) return;
    if (!MoveFileExA(backup.c_str(), applier.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) &&
        running)
        move(applier + kStaged, applier);
    DeleteFileA(backup.c_str());
}

// The copies an update makes in the temporary folder are recorded as they
// are made: only those are ever removed as left over, never another
// program's file of a like name.
const char kCopiesKey[] = "Software\\Varnok Com.\\AutoUpdate";
const char kCopiesValue[] = "UpdateCopies";

std::vector<std::string> recordedCopies(HKEY key) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, kCopiesValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return {};
    std::string data(size, '\0');
    if (RegQueryValueExA(key, kCopiesValue, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    data.resize(size);
    std::vector<std::string> copies;
    for (size_t at = 0; at < data.size();) {
        const size_t end = std::min(data.find('\0', at), data.size());
        if (end > at) copies.push_back(data.substr(at, end - at));
        at = end + 1;
    }
    return copies;
}

void recordCopies(HKEY key, const std::vector<std::string>& copies) {
    if (copies.empty()) {
        RegDeleteValueA(key, kCopiesValue);
        return;
    }
    std::string data;
    for (const std::string& copy : copies) data += copy + '\0';
    data += '\0';
    RegSetValueExA(key, kCopiesValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

unique_hkey copiesKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kCopiesKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return unique_hkey();
    return unique_hkey(key);
}

}  // namespace

bool PlaceAll(const std::string& folder, const std::vector<std::string>& paths, const std::string& restart,
              const std::string& applierBackup) {
    if (paths.empty()) return true;
    Journal journal{restart, applierBackup, {}};
    for (const std::string& path : paths) journal.entries.push_back({path, exists(path)});
    if (!writeJournal(folder, journal)) {
        DeleteFileA((folder + kPlacing + "~").c_str());
        return false;
    }
    step();
    for (const Journal::Entry& entry : journal.entries) {
        if ((entry.hadOld && !keepAside(entry.path)) || !move(entry.path + kStaged, entry.path)) {
            undo(journal);
            DeleteFileA((folder + kPlacing).c_str());
            return false;
        }
        step();
    }
    if (!move(folder + kPlacing, folder + kPlaced)) {
        undo(journal);
        DeleteFileA((folder + kPlacing).c_str());
        return false;
    }
    step();
    clearAside(journal);
    DeleteFileA((folder + kPlaced).c_str());
    return true;
}

std::optional<FinishedPlacement> FinishPlacement(const std::string& folder) {
    DeleteFileA((folder + kPlacing + "~").c_str());
    if (exists(folder + kPlaced)) {
        const Journal journal = readJournal(folder, folder + kPlaced);
        clearAside(journal);
        if (!journal.applierBackup.empty()) DeleteFileA(journal.applierBackup.c_str());
        DeleteFileA((folder + kPlaced).c_str());
        return FinishedPlacement{true, journal.restart};
    }
    if (exists(folder + kPlacing)) {
        const Journal journal = readJournal(folder, folder + kPlacing);
        undo(journal);
        putApplierBack(folder, journal.applierBackup);
        DeleteFileA((folder + kPlacing).c_str());
        return FinishedPlacement{false, journal.restart};
    }
    return std::nullopt;
}

bool PlacementCutShort(const std::string& folder) { return exists(folder + kPlacing) || exists(folder + kPlaced); }

bool HandCutPlacementToApplier(const std::string& folder, const std::string& restart) {
    if (!PlacementCutShort(folder)) return false;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1024)) return false;
    unique_kernel_handle reader(readEnd), writer(writeEnd);
    SetHandleInformation(writer.get(), HANDLE_FLAG_INHERIT, 0);
    // A stream of no files: the applier finishes what the journal says and
    // starts the program again once it has ended.
    std::string stream(1, '\0');
    if (!AppendShortString(stream, restart)) return false;
    AppendNumber(stream, GetCurrentProcessId());
    std::string command = "\"" + folder + kApplierName + "\" " +
                          std::to_string(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(reader.get())));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return false;
    unique_kernel_handle started(process.hProcess), thread(process.hThread);
    reader.reset();
    DWORD written = 0;
    return WriteFile(writer.get(), stream.data(), static_cast<DWORD>(stream.size()), &written, nullptr) &&
           written == stream.size();
}

void RecordUpdateCopy(const std::string& path) {
    unique_hkey key = copiesKey();
    if (!key) return;
    std::vector<std::string> copies = recordedCopies(key.get());
    copies.push_back(path);
    recordCopies(key.get(), copies);
}

void RemoveLeftUpdateCopies() {
    unique_hkey key = copiesKey();
    if (!key) return;
    std::vector<std::string> kept;
    // A copy an applier still waits with is held open: its deletion fails and it stays.
    for (const std::string& copy : recordedCopies(key.get()))
        if (exists(copy) && !DeleteFileA(copy.c_str())) kept.push_back(copy);
    recordCopies(key.get(), kept);
}
