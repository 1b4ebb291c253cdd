#include "update/win32/get_update_win32.h"

#include <windows.h>

#include <algorithm>

#include "applier/placement_win32.h"
#include "common/messagebox.h"
#include "release_date.h"
#include "common/text.h"
#include "common/win32/folders.h"
#include "common/win32/module.h"
#include "common/win32/unique_handle.h"
#include "update/dates.h"
#include "update/handover.h"
#include "update/names.h"
#include "update/package.h"
#include "update/win32/last_update_win32.h"
#include "update/win32/offer_win32.h"
#include "update/win32/signature_win32.h"
#include "update/win32/transport_win32.h"

namespace {

const char kApplier[] = "Swaplet.exe";

void unpackFailed() {
    ShowMessageBox(nullptr,
                   "I can not unpack the received data! Probably the data has been damaged or the program of reception "
                   "updates has been damaged. Please establish the program anew from yours a distributive copy and try "
                   "will update her again...",
                   "Error", mb::kIconExclamation);
}

// The applier cannot replace its own running file, so the library writes it:
// the applier of the program's folder, by its whole name, in any case as
// Windows names know none. "Swaplet.exe.manifest" or "docs\\swaplet.exe" are
// files of the update like any other.
bool isApplierFile(const std::string& name) { return _stricmp(name.c_str(), kApplier) == 0; }

// This library's edition: a package for the other one would put files here
// that this program cannot load.
#ifdef _WIN64
constexpr std::string_view kEdition = kEditionX64;
#else
constexpr std::string_view kEdition = kEditionX86;
#endif

// Everything that can be known before a byte is written: the maker's
// signature, the edition, names inside the folder, paths that fit the
// hand-over, and every file unpacking to its recorded size.
bool refuse(const std::string& why) {
    ShowMessageBox(nullptr, why + " It was not applied; nothing was changed on your computer.", "Error", mb::kIconHand);
    return false;
}

// The longest target path: the applier writes each file beside its old one
// under a name twelve characters longer, and a path must fit MAX_PATH.
constexpr size_t kLongestTarget = MAX_PATH - 1 - 12;

std::string longPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD n = GetLongPathNameA(path.c_str(), full, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

bool checkWhole(const std::string& folder, const TUPDATEDATA& package, int32_t product, double installed,
                const std::string& restart) {
    const auto signature = package.SignatureEntry();
    std::vector<uint8_t> bytes;
    if (!signature || !package.Unpack(*signature, bytes) ||
        !VerifyUpdateSignature(package, product,
                               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
        return refuse("The received update is not signed by Varnok Com. or has been changed on its way.");
    if (const std::string edition = package.Edition(); edition != kEdition)
        return refuse(OtherEditionText(edition, kEdition));
    // An older update signed by the maker is still older: served again, it
    // would take back what a later one brought.
    if (UpDateToDate(package.Date()) <= installed)
        return refuse("The received update is not newer than the one already installed.");
    // The applier writes into the recorded folder, which must be the very one
    // the program runs from: a folder above it (C:\\) would take the update too.
    if (!IsFileOfFolder(longPath(ModuleFileName()), longPath(folder)))
        return refuse("Varnok scan runs from " + ModuleFileName() + ", not from the folder it was installed in (" +
                      folder + "), so it cannot update itself there.");
    std::string tail;
    if (!AppendShortString(tail, restart)) return refuse("The folder of the program is too long for an update.");
    std::vector<std::string> names;
    for (size_t i = 0; i < package.Count(); ++i) names.push_back(package.Entry(i).name);
    if (const std::string twin = FirstCaseTwin(names); !twin.empty())
        return refuse("The received update names the file " + twin + " twice.");
    for (size_t i = 0; i < package.Count(); ++i) {
        const std::string& name = package.Entry(i).name;
        if (IsPackageNote(name)) continue;
        if (!IsSafeEntryName(name) || (folder + name).size() > kLongestTarget)
            return refuse("The received update names a file outside the folder of the program (" + name + ").");
        if (!package.Unpack(i, bytes)) {
            unpackFailed();
            return false;
        }
    }
    return true;
}

// The update the installed files are at least as new as: the last one
// applied, or, where none was, the day this build was made. A package from
// before either would put older files back.
double installedUpdate(const std::string& product) {
    return std::max(ReadLastUpdate(product), static_cast<double>(VARNOK_RELEASE_DAY));
}

bool writeAll(HANDLE pipe, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(pipe, bytes.data() + done, piece, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

std::string MakeBackup(const std::string& path) {
    char folder[MAX_PATH] = {};
    char backup[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "upd", 0, backup)) return {};
    RecordUpdateCopy(backup);
    if (!CopyFileA(path.c_str(), backup, FALSE)) {
        DeleteFileA(backup);  // the name reserved for it is no backup
        return {};
    }
    return backup;
}

int WriteWithBackup(const std::string& path, const std::vector<uint8_t>& data, std::string* kept) {
    // Folders the update brings along (all inside the installation folder).
    MakeParentFolders(path);
    const std::string backup = MakeBackup(path);
    if (backup.empty() &&
        ShowMessageBox(nullptr,
                       "There was an error at creation of a backup copy. Are you sure to continue updating without an "
                       "opportunity of a restore?",
                       "Question", mb::kOkCancel | mb::kIconQuestion) == mb::kIdCancel)
        return -1;
    unique_file file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    DWORD written = 0;
    const bool whole = WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                       written == data.size();
    file.reset();
    if (whole && kept) {
        *kept = backup;
        return 0;
    }
    // The copy in the temporary folder never outlives the call unless the
    // caller keeps it to put the old file back later.
    if (!whole && !backup.empty()) CopyFileA(backup.c_str(), path.c_str(), FALSE);
    if (!backup.empty()) DeleteFileA(backup.c_str());
    return whole ? 0 : -1;
}

bool HandOver(const std::string& installation, const TUPDATEDATA& package, const std::string& restart) {
    std::string folder = installation;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    std::vector<uint8_t> bytes;
    std::string applier, applierBackup;
    // The applier's files are written before the hand-over; until the applier
    // runs, a failure here puts their old files back. Once it runs, the
    // applier itself puts its old file back unless the whole update is placed.
    struct Written {
        std::string path, backup;
    };
    std::vector<Written> written;
    bool handed = false;
    struct PutBack {
        std::vector<Written>& written;
        bool& handed;
        ~PutBack() {
            for (const Written& w : written) {
                if (w.backup.empty()) continue;
                if (!handed) CopyFileA(w.backup.c_str(), w.path.c_str(), FALSE);
                DeleteFileA(w.backup.c_str());
            }
        }
    } putBack{written, handed};
    for (size_t i = 0; i < package.Count(); ++i) {
        const std::string& name = package.Entry(i).name;
        if (!isApplierFile(name) || IsPackageNote(name)) continue;
        if (!package.Unpack(i, bytes)) {
            unpackFailed();
            return false;
        }
        std::string backup;
        if (WriteWithBackup(folder + name, bytes, &backup) == -1) {
            ShowMessageBox(nullptr, "Error on special update!", "Error", mb::kIconExclamation);
            return false;
        }
        written.push_back({folder + name, backup});
        applier = folder + name;
        applierBackup = backup;
    }

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1024)) return false;
    unique_kernel_handle reader(readEnd), writer(writeEnd);
    // Only the read end goes to the applier: it must see the stream end when we are done.
    SetHandleInformation(writer.get(), HANDLE_FLAG_INHERIT, 0);

    // Started from the installation folder by its full name, never found
    // through the search path, where another swaplet.exe could stand first.
    if (applier.empty()) applier = folder + kApplier;
    std::string command = "\"" + applier + "\" " + std::to_string(reinterpret_cast<uintptr_t>(reader.get()));
    // The applier's old file, for the new applier to put back if the update is not placed.
    if (!applierBackup.empty()) command += " \"" + applierBackup + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        ShowMessageBox(nullptr,
                       "There was a error at attempt of start of the module of updating of files of programs Varnok "
                       "Com.\rPlease reinstall the program updated by you and repeat updating...",
                       "Error...", mb::kIconHand);
        return false;
    }
    unique_kernel_handle started(process.hProcess), thread(process.hThread);
    reader.reset();
    handed = true;
    for (Written& w : written)
        if (w.backup == applierBackup) w.backup.clear();  // the applier's to put back or remove

    for (size_t i = 0; i < package.Count(); ++i) {
        const std::string& name = package.Entry(i).name;
        if (isApplierFile(name) || IsPackageNote(name)) continue;
        if (!package.Unpack(i, bytes)) {
            unpackFailed();
            return false;
        }
        std::string record;
        AppendShortString(record, folder + name);
        AppendNumber(record, static_cast<uint32_t>(bytes.size()));
        record.append(bytes.begin(), bytes.end());
        // An applier that stopped reading gets nothing more, and nothing is restarted.
        if (!writeAll(writer.get(), record)) return false;
    }
    std::string tail(1, '\0');
    if (!AppendShortString(tail, restart)) return false;
    AppendNumber(tail, GetCurrentProcessId());
    return writeAll(writer.get(), tail);
}

bool DownloadUpdate(const std::string& product, int32_t number, void** data, int32_t* size) {
    if (size) *size = 0;
    // The package is released before the return, whichever way it goes.
    struct Released {
        void** data;
        ~Released() {
            if (data) *data = nullptr;
        }
    } released{data};
    // Copies of old files an earlier update was stopped with.
    RemoveLeftUpdateCopies();
    // Without a recorded folder every path would start at the root of the drive.
    const std::string folder = InstallationFolder(product);
    if (folder.size() < 2) {
        ShowMessageBox(nullptr,
                       "The folder of " + product +
                           " is not recorded on this computer, so it cannot be updated. Please install the program "
                           "anew.",
                       "Error", mb::kIconExclamation);
        return false;
    }
    const std::string request = UpdatePackageRequest(UpdateServer().host, number, WireDate(ReadLastUpdate(product)),
                                                     WireDate(ReadLastCommonUpdate()), kEdition);
    std::vector<uint8_t> package;
    int64_t announced = 0;
    const bool fetched = FetchPackageWithProgress(request, package, announced);
    if (StoppedByUser) return false;
    // A size that was no size has been told as an incorrect answer: one box for one failure.
    if (announced < 0) {
        if (data) *data = nullptr;
        if (size) *size = 0;
        return false;
    }
    if (data) *data = package.empty() ? nullptr : package.data();
    if (size) *size = static_cast<int32_t>(announced);
    if (!fetched || announced < 1) {
        if (!FailureTold)
            ShowMessageBox(nullptr, CannotReceiveText(), "Error", mb::kIconExclamation | mb::kSetForeground);
        return false;
    }
    // A server that closed before the whole package arrived sent no package.
    if (static_cast<int64_t>(package.size()) != announced) {
        unpackFailed();
        return false;
    }
    auto update = TUPDATEDATA::Create(std::move(package));
    if (!update || !update->Index() || UpDateToDate(update->Date()) == 0) {
        unpackFailed();
        return false;
    }
    // Quoted: the installation folder holds blanks, and an unquoted name would
    // let the system try "C:\Program.exe" first.
    const std::string restart = "\"" + ModuleFileName() + "\" /update:" + update->Date();
    if (!checkWhole(folder, *update, number, installedUpdate(product), restart)) return false;
    return HandOver(folder, *update, restart);
}
