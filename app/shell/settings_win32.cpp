#include "app/shell/settings_win32.h"

#include "app/options/options.h"
#include "app/scan/masks.h"

#include "common/product.h"
#include "common/win32/registry.h"

namespace {

std::unique_ptr<TMYREGISTRY> openKey() {
    try {
        return TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    } catch (const RegistryError&) {
        return nullptr;
    }
}

bool readBool(TMYREGISTRY& registry, const char* name) { return registry.ReadInteger(name) != 0; }

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
    return true;
}

bool LoadFolders() {
    auto registry = openKey();
    if (!registry) return false;
    StringList folders;
    registry->ReadStrings("slFoldersToScan", folders);
    slFoldersToScan = std::move(folders);
    return true;
}

bool SaveFolders() {
    auto registry = openKey();
    if (!registry) return false;
    registry->WriteStrings("slFoldersToScan", slFoldersToScan);
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
