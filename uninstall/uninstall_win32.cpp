// The uninstaller: removes the product's settings, its entry among the
// installed programs, its Start menu group and its files, then leaves a batch
// file to remove itself and its folder once it has ended.
#include <windows.h>
#include <ddeml.h>

#include <string>
#include <vector>

#include "common/files.h"
#include "common/messagebox.h"
#include "common/product.h"
#include "common/text.h"
#include "common/win32/module.h"
#include "common/win32/registry.h"
#include "common/win32/remembered_place.h"
#include "common/win32/unique_handle.h"
#include "common/win32/wide.h"
#include "uninstall/self_deleter.h"

namespace {

const char kByeCaption[] = "Bye...";
const char* const kValues[] = {"bEnableAdvanced", "lAdvancedBufferSize", "lStandartBufferSize", "bNotDeleteLastCopy",
                               "bCreateUndo",     "bEnhancedUndo",       "slIncludedFiles",     "slExcludedFiles",
                               "slFoldersToScan", "PathToApp",           "ShortCuts",           "bShowTips",
                               "slProtectedFolders", "bRememberContents"};
const char* const kFiles[] = {"\\VarnokScan.exe",      "\\VarnokScan.htm",      "\\VarnokScan.css",
                              "\\VarnokScan.txt",      "\\VarnokScan.hlp",      "\\VarnokScan.gid",
                              "\\slIncludedFiles.dat", "\\slExcludedFiles.dat", "\\slFoldersToScan.dat",
                              "\\slProtectedFolders.dat",
                              "\\Swaplet.exe",         "\\update.dll",          "\\tips.dat",
                              // the help as HTML Help, and WinHelp's contents
                              "\\VarnokScan.chm",      "\\VarnokScan.cnt",
                              // a new applier an update could not place left aside
                              "\\Swaplet.exe.swaplet-new",
                              // the record of an update stopped while its files were put in place
                              "\\Swaplet.placing", "\\Swaplet.placed"};
// The group's four items ("Varnok Scan (Trellane)", "Varnok Scan
// Documentation", "Varnok Scan license agreement", "Uninstall Varnok Scan") go
// with the group. DeleteItem acts on the group last shown or created in the
// conversation; sent first, with no such group, it brings Wine's shell down
// and the group stays.
const char* const kProgramManagerCommands[] = {"[DeleteGroup(\"Varnok Scan\")]"};
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// The program's main window class.
const char kMainWindowClass[] = "VarnokScan";
// Exit codes: 1, no installation is recorded; 2, nothing was changed (the
// program runs, or the installation is not this uninstaller's); 3, removed,
// but a file of the program stayed (the user was told which).
constexpr int kExitNotFound = 1;
constexpr int kExitNothingChanged = 2;
constexpr int kExitFilesKept = 3;

HDDEDATA CALLBACK ignoreDde(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// A conversation with the shell's Program Manager service, which keeps the
// Start menu's groups.
class TPROGMAN {
public:
    static std::unique_ptr<TPROGMAN> Create() {
        std::unique_ptr<TPROGMAN> progman(new TPROGMAN);
        if (DdeInitializeA(&progman->instance_, ignoreDde, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
            progman->instance_ = 0;
            ShowMessageBox(nullptr, "DDEInitialize fail...", "Error!", mb::kOk);
            return nullptr;
        }
        progman->service_ = DdeCreateStringHandleA(progman->instance_, "PROGMAN", CP_WINANSI);
        progman->topic_ = DdeCreateStringHandleA(progman->instance_, "PROGMAN", CP_WINANSI);
        if (!progman->service_ || !progman->topic_) {
            ShowMessageBox(nullptr, "DDECreateStringHandle fail...", "Error!", mb::kOk);
            return nullptr;
        }
        progman->conversation_ = DdeConnect(progman->instance_, progman->service_, progman->topic_, nullptr);
        if (!progman->conversation_) {
            ShowMessageBox(nullptr, "DDEConnect fail...", "Error!", mb::kOk);
            return nullptr;
        }
        return progman;
    }
    ~TPROGMAN() {
        if (conversation_) DdeDisconnect(conversation_);
        if (service_) DdeFreeStringHandle(instance_, service_);
        if (topic_) DdeFreeStringHandle(instance_, topic_);
        if (instance_) DdeUninitialize(instance_);
    }
    TPROGMAN(const TPROGMAN&) = delete;
    TPROGMAN& operator=(const TPROGMAN&) = delete;

    void Execute(const std::string& command) {
        std::string text = command;
        DdeClientTransaction(reinterpret_cast<BYTE*>(text.data()), static_cast<DWORD>(text.size() + 1), conversation_,
                             nullptr, CF_TEXT, XTYP_EXECUTE, 1000, nullptr);
    }

private:
    TPROGMAN() = default;
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    HCONV conversation_ = nullptr;
};

// The recorded installation folder, without a trailing backslash; empty when
// there is none.
std::string installationFolder() {
    try {
        TREGISTRY registry;
        if (!registry.OpenKey(product::kRegistryKey, false)) return {};
        std::string folder = registry.ReadString("PathToApp");
        while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
        return folder;
    } catch (const RegistryError&) {
        return {};
    }
}

std::string normalFolder(const std::string& folder);

// The folder an installed-programs entry names: where it says it is installed,
// else the folder of its uninstaller.
std::string entryFolder(const TREGISTRY& entry) {
    const auto read = [&](const char* name) {
        try {
            return entry.ReadString(name);
        } catch (const RegistryError&) {
            return std::string();
        }
    };
    std::string folder = read("InstallLocation");
    if (folder.empty()) {
        std::string command = read("UninstallString");
        if (!command.empty() && command[0] == '"') command = command.substr(1, command.find('"', 1) - 1);
        const size_t slash = command.rfind('\\');
        if (slash != std::string::npos) folder = command.substr(0, slash);
    }
    return folder;
}

bool sameFolder(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

// own: this uninstaller's folder, as normalFolder gives it.
void removeSettings(const std::string& own) {
    try {
        TREGISTRY product;
        if (product.OpenKey(product::kRegistryKey, false))
            for (const char* name : kValues) product.DeleteValue(name);
        product.CloseKey();
        TREGISTRY maker;
        if (maker.OpenKey("Software\\Varnok Com.", false)) maker.DeleteKey("Varnok Scan");
    } catch (const RegistryError&) {
        // What cannot be removed stays; the files still go.
    }
    // The entry is the user's own; an older installation made one for the
    // whole machine, which goes too when this user may remove it. An entry
    // that names another folder belongs to another copy, whose uninstaller
    // still needs it. The machine's entry was made by a 32-bit installer, so
    // on 64-bit Windows it lies in the machine's 32-bit view; both views are
    // looked at, whichever edition this uninstaller is.
    const std::pair<HKEY, REGSAM> places[] = {
        {HKEY_CURRENT_USER, 0}, {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}};
    for (const auto& [root, view] : places) {
        try {
            TREGISTRY entry(root, view);
            if (entry.OpenKey(std::string(kUninstallKey) + "\\Varnok scan", false)) {
                const std::string folder = entryFolder(entry);
                if (!folder.empty() && !sameFolder(normalFolder(folder), own)) continue;
                entry.DeleteValue("UninstallString");
                entry.DeleteValue("DisplayName");
            }
            entry.CloseKey();
            TREGISTRY entries(root, view);
            if (entries.OpenKey(kUninstallKey, false)) entries.DeleteKey("Varnok Scan");
        } catch (const RegistryError&) {
        }
    }
}

void removeGroup() {
    auto progman = TPROGMAN::Create();
    if (!progman) {
        ShowMessageBox(nullptr, "Can not delete the Varnok scan group.", "Attention!", mb::kIconHand);
        return;
    }
    for (const char* command : kProgramManagerCommands) progman->Execute(command);
}

// False when the file is there and stays (the user has been told why).
// path: UTF-8, as the system names the file.
bool RemoveFile(const std::string& path) {
    WIN32_FIND_DATAW found;
    unique_find search(FindFirstFileW(SystemPath(path).c_str(), &found));
    return !search || DeleteFileForced(path);
}

// This uninstaller's folder by the letters the system gives it, which the
// code page may lack, in UTF-8 and without the trailing backslash.
std::string ownFolderAsNamed() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return Utf8(path.substr(0, path.rfind(L'\\')));
}

// A folder as the system names it: full, long, without a trailing backslash.
std::string normalFolder(const std::string& folder) {
    char full[MAX_PATH] = {};
    DWORD n = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    std::string path = n > 0 && n < MAX_PATH ? std::string(full, n) : folder;
    char long_[MAX_PATH] = {};
    n = GetLongPathNameA(path.c_str(), long_, MAX_PATH);
    if (n > 0 && n < MAX_PATH) path.assign(long_, n);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// The running program holds its files and writes its key back when it ends:
// the user closes it first. False when the user would rather keep it.
bool programClosed() {
    while (FindWindowA(kMainWindowClass, nullptr)) {
        if (ShowMessageBox(nullptr,
                           "Varnok Scan (Trellane) is running.\r\n\r\nPlease close it and press Retry, or press "
                           "Cancel to leave it installed.",
                           "Warning!", mb::kRetryCancel | mb::kIconExclamation) != mb::kIdRetry)
            return false;
    }
    return true;
}

// cmd.exe reads a batch file in the OEM code page: a path it cannot spell
// there is written in its short form.
std::string spelledForBatch(const std::string& path) {
    std::string oem(path.size(), '\0'), back(path.size(), '\0');
    CharToOemBuffA(path.c_str(), oem.data(), static_cast<DWORD>(path.size()));
    OemToCharBuffA(oem.c_str(), back.data(), static_cast<DWORD>(oem.size()));
    if (back == path) return path;
    char shortPath[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(shortPath, n) : path;
}

bool WriteSelfDeleter() {
    char buffer[MAX_PATH] = {};
    const DWORD n = GetTempPathA(MAX_PATH, buffer);
    if (n == 0 || n >= MAX_PATH) return false;
    std::string temporary = spelledForBatch(std::string(buffer, n));
    if (temporary.back() != '\\') temporary += '\\';
    const std::string batch = temporary + kSelfDeleterName;
    const std::string ansi = SelfDeleterText(spelledForBatch(ModuleFileName()), temporary);
    std::string text(ansi.size(), '\0');
    CharToOemBuffA(ansi.c_str(), text.data(), static_cast<DWORD>(ansi.size()));
    {
        unique_file file(
            CreateFileA(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !file.reset())
            return false;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // Quoted: the temporary folder may hold blanks.
    std::string command = "\"" + batch + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS,
                        nullptr, temporary.c_str(), &startup, &process))
        return false;
    unique_kernel_handle started(process.hProcess), thread(process.hThread);
    // The uninstaller must be gone before the batch gets to run.
    SetThreadPriority(thread.get(), THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    started.reset();
    ResumeThread(thread.get());
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Without a recorded folder every file name would start at the root of
    // the current drive: nothing is touched then.
    const std::string folder = installationFolder();
    if (folder.size() < 3) {
        ShowMessageBox(nullptr, "Varnok Scan (Trellane) not found on your computer!", "Error...", mb::kIconHand);
        return kExitNotFound;
    }
    // Files are deleted only in the folder this uninstaller was installed
    // in: a recorded folder elsewhere (another copy, or a value gone wrong
    // such as "C:\Windows") holds nothing that is ours to delete.
    const std::string self = ModuleFileName();
    const std::string own = normalFolder(self.substr(0, self.rfind('\\') + 1));
    const std::string recorded = normalFolder(folder);
    if (!sameFolder(recorded, own)) {
        ShowMessageBox(nullptr,
                       "Varnok Scan (Trellane) is installed in \"" + QuotedInMessage(recorded) +
                           "\", not in the folder of this uninstaller, \"" + QuotedInMessage(own) +
                           "\".\r\n\r\nNothing was removed. Please use the uninstaller in \"" +
                           QuotedInMessage(recorded) + "\".",
                       "Error...", mb::kIconHand);
        return kExitNothingChanged;
    }
    if (ShowMessageBox(nullptr, "You want to uninstall the program Varnok Scan (Trellane)?", "Question...",
                       mb::kYesNo | mb::kIconHand) != mb::kIdYes)
        return 0;
    if (!programClosed()) return kExitNothingChanged;
    removeSettings(own);
    removeGroup();
    bool allRemoved = true;
    // The recorded folder was found to be this one: its files are reached by
    // their own names, not by the code page's spelling of them.
    const std::string files = ownFolderAsNamed();
    for (const char* file : kFiles) allRemoved = RemoveFile(files + file) && allRemoved;
    // What searches remembered of files goes too, and its folder once nothing else is in it.
    // The shell's name for the folder is the user's environment's: this program links no shell library.
    wchar_t local[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        const std::string store = RememberedContentsIn(Utf8(local));
        bool kept = false;
        ForgetRememberedContents(store, &kept);
        allRemoved = allRemoved && !kept;
        RemoveDirectoryW(SystemPath(store.substr(0, store.rfind('\\'))).c_str());
    }
    if (WriteSelfDeleter() && allRemoved)
        ShowMessageBox(nullptr, "Varnok Scan (Trellane) sucessfully removed from yours PC!", kByeCaption,
                       mb::kIconHand);
    else
        ShowMessageBox(nullptr,
                       "Varnok Scan (Trellane) sucessfully removed from yours PC! But some files and folder are keeped "
                       "on hard disk...",
                       kByeCaption, mb::kIconHand);
    return allRemoved ? 0 : kExitFilesKept;
}
