#include "app/shell/settings_win32.h"

#include <shlobj.h>

#include "app/options/options.h"
#include "app/scan/folder_tree.h"
#include "common/files.h"
#include "common/platform.h"
#include "app/scan/masks.h"

#include "common/product.h"
#include "common/win32/registry.h"
#include "common/win32/remembered_place.h"
#include "common/win32/wide.h"

namespace {

std::unique_ptr<TMYREGISTRY> openKey() {
    try {
        return TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    } catch (const RegistryError&) {
        return nullptr;
    }
}

bool readBool(TMYREGISTRY& registry, const char* name) { return registry.ReadInteger(name) != 0; }

// A setting newer than the installation that made the key: absent until the
// options are first saved, so its absence means the default, not damage.
DWORD readNewerDword(TMYREGISTRY& registry, const char* name, DWORD absent) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegQueryValueExA(registry.Registry().CurrentKey(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return absent;
    return value;
}

}  // namespace

bool LoadSettings() {
    SetDefaultSettings();
    auto registry = openKey();
    if (!registry) return false;
    bEnableAdvanced = readBool(*registry, "bEnableAdvanced");
    lAdvancedBufferSize = CorrectedBufferUnits(registry->ReadInteger("lAdvancedBufferSize"), kDefaultAdvancedBufferUnits);
    lStandartBufferSize = CorrectedBufferUnits(registry->ReadInteger("lStandartBufferSize"), kDefaultStandardBufferUnits);
    bNotDeleteLastCopy = readBool(*registry, "bNotDeleteLastCopy");
    bCreateUndo = readBool(*registry, "bCreateUndo");
    bEnhancedUndo = readBool(*registry, "bEnhancedUndo");
    bWarnInternet = readBool(*registry, "bWarnInternet");
    SetUnixWildcards(readBool(*registry, "bUnixWildCard"));
    bUnixWildCard = UnixWildcards;
    const DWORD floor = readNewerDword(*registry, "lSkipFilesSmallerThan", 0);
    lSkipSmallerThan = floor <= static_cast<DWORD>(kMaxSkipSmallerThan) ? static_cast<int32_t>(floor) : 0;
    bSkipEmptyFiles = readNewerDword(*registry, "bSkipEmptyFiles", 0) != 0;
    bUseRecycleBin = readNewerDword(*registry, "bUseRecycleBin", 0) != 0;
    bRememberContents = readNewerDword(*registry, "bRememberContents", 0) == 1;
    return true;
}

bool SaveSettings() {
    auto registry = openKey();
    if (!registry) return false;
    registry->WriteInteger("bEnableAdvanced", bEnableAdvanced ? 1 : 0);
    registry->WriteInteger("lAdvancedBufferSize", lAdvancedBufferSize);
    registry->WriteInteger("lStandartBufferSize", lStandartBufferSize);
    registry->WriteInteger("bNotDeleteLastCopy", bNotDeleteLastCopy ? 1 : 0);
    registry->WriteInteger("bCreateUndo", bCreateUndo ? 1 : 0);
    registry->WriteInteger("bEnhancedUndo", bEnhancedUndo ? 1 : 0);
    registry->WriteInteger("bWarnInternet", bWarnInternet ? 1 : 0);
    registry->WriteInteger("bUnixWildCard", UnixWildcards ? 1 : 0);
    registry->WriteInteger("lSkipFilesSmallerThan", lSkipSmallerThan);
    registry->WriteInteger("bSkipEmptyFiles", bSkipEmptyFiles ? 1 : 0);
    registry->WriteInteger("bUseRecycleBin", bUseRecycleBin ? 1 : 0);
    registry->WriteInteger("bRememberContents", bRememberContents ? 1 : 0);
    return true;
}

std::string StoredFolderEntry(const std::string& folder) {
    bool exact = false;
    std::string stored = platform::toAnsi(folder, &exact);
    if (exact) return stored;
    // An older version reads the list in the code page: a folder it cannot
    // spell is kept by the 8.3 names that reach it, where the volume has them.
    const std::string shortened = platform::shortPath(folder);
    return shortened.empty() ? std::string() : platform::toAnsi(shortened);
}

bool LoadFolders() {
    auto registry = openKey();
    if (!registry) return false;
    StringList folders;
    registry->ReadStrings("slFoldersToScan", folders, true);
    StringList usable, leftOut;
    for (std::string& folder : folders) {
        // The stored entry's length is judged: one kept by its 8.3 names may be longer by its own.
        const bool tooLong = SystemLength(folder) > kMaxFolderEntry;
        // An entry kept by its 8.3 names is shown and scanned by the folder's own.
        if (folder.find('~') != std::string::npos)
            if (std::string real = platform::longPath(folder); !real.empty()) folder = real;
        (tooLong ? leftOut : usable).push_back(std::move(folder));
    }
    slFoldersToScan = std::move(usable);
    slFoldersLeftOut = std::move(leftOut);
    // Newer than the folder list: absent until a folder is first protected.
    // A list that cannot be read (its file left behind in another folder)
    // costs the protection, which the user is told, never the start.
    StringList guarded;
    DWORD type = 0;
    if (RegQueryValueExA(registry->Registry().CurrentKey(), "slProtectedFolders", nullptr, &type, nullptr, nullptr) ==
        ERROR_SUCCESS) {
        auto quiet = TMYTMPREG::Create();
        if (!quiet || !quiet->ReadStrings("slProtectedFolders", guarded, true) || quiet->Failed) {
            guarded.clear();
            ShowMessageBox(nullptr,
                           "The list of protected folders could not be read, so no folder is protected now.\r\n\r\n"
                           "Please protect your folders again in the list of folders to scan.",
                           "Warning!", mb::kIconExclamation);
        }
    }
    for (std::string& folder : guarded)
        if (folder.find('~') != std::string::npos)
            if (std::string real = platform::longPath(folder); !real.empty()) folder = real;
    slProtectedFolders = std::move(guarded);
    return true;
}

bool SaveFolders(std::vector<std::string>* notKept) {
    auto registry = openKey();
    if (!registry) return false;
    StringList stored;
    for (const std::string& folder : slFoldersToScan) {
        std::string entry = StoredFolderEntry(folder);
        if (!entry.empty())
            stored.push_back(std::move(entry));
        else if (notKept)
            notKept->push_back(folder);
    }
    registry->WriteStrings("slFoldersToScan", stored);
    StringList guarded;
    for (const std::string& folder : slProtectedFolders)
        if (std::string entry = StoredFolderEntry(folder); !entry.empty()) guarded.push_back(std::move(entry));
    // Written only once a folder was protected: an older version's key stays as it was.
    DWORD type = 0;
    if (!guarded.empty() || RegQueryValueExA(registry->Registry().CurrentKey(), "slProtectedFolders", nullptr, &type,
                                             nullptr, nullptr) == ERROR_SUCCESS)
        registry->WriteStrings("slProtectedFolders", guarded);
    return true;
}

bool LoadMasks() {
    auto registry = openKey();
    if (!registry) return false;
    MaskList included, excluded;
    registry->ReadStrings("slIncludedFiles", included);
    registry->ReadStrings("slExcludedFiles", excluded);
    slIncludedFiles = std::move(included);
    slExcludedFiles = std::move(excluded);
    return true;
}

bool SaveMasks() {
    auto registry = openKey();
    if (!registry) return false;
    registry->WriteStrings("slIncludedFiles", slIncludedFiles);
    registry->WriteStrings("slExcludedFiles", slExcludedFiles);
    return true;
}

std::string RememberedContentsPath() {
    wchar_t local[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)) || !local[0])
        return {};
    return RememberedContentsIn(Utf8(local));
}
