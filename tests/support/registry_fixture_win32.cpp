#include "registry_fixture_win32.h"

#include <sddl.h>

#include <sstream>

#include "app/options/options.h"
#include "common/product.h"
#include "common/win32/module.h"
#include "common/win32/registry.h"
#include "common/win32/unique_handle.h"
#include "tests/support/process.h"
#include "tests/support/program_state.h"

namespace {

unique_hkey openProductKey() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, product::kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return unique_hkey(key);
}

}  // namespace

void RegistryFixture::SetUp() {
    RegDeleteKeyA(HKEY_CURRENT_USER, product::kRegistryKey);
    for (const char* name : {"slFoldersToScan", "slIncludedFiles", "slExcludedFiles", "slGone", "slShort"})
        RemoveDatFile(name);
    ResetProgramState();
}

void RegistryFixture::TearDown() { SetUp(); }

bool RegistryFixture::KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, product::kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

RawValue RegistryFixture::Raw(const std::string& name) {
    RawValue value;
    auto key = openProductKey();
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return {};
    value.data.assign(size, '\0');
    RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data.data()), &size);
    value.data.resize(size);
    return value;
}

DWORD RegistryFixture::RawDword(const std::string& name) {
    RawValue value = Raw(name);
    DWORD n = 0;
    if (value.type == REG_DWORD && value.data.size() == 4) memcpy(&n, value.data.data(), 4);
    return n;
}

std::string RegistryFixture::RegQueryLine(const std::string& name) {
    const ProcessResult run = RunProcess(std::string("reg.exe query \"HKCU\\") + product::kRegistryKey + "\"");
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string squeezed, word;
        while (words >> word) squeezed += (squeezed.empty() ? "" : " ") + word;
        if (squeezed.rfind(name + " ", 0) == 0) return squeezed;
    }
    return {};
}

void RegistryFixture::SetRaw(const std::string& name, DWORD type, const std::string& data) {
    auto key = openProductKey();
    RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

void RegistryFixture::SetRawDword(const std::string& name, DWORD value) {
    SetRaw(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

void RegistryFixture::InstallDefaults() {
    for (auto [name, value] : {std::pair{"bEnableAdvanced", 0u}, {"lAdvancedBufferSize", 32u},
                               {"lStandartBufferSize", 128u}, {"bNotDeleteLastCopy", 1u}, {"bCreateUndo", 1u},
                               {"bEnhancedUndo", 1u}, {"bWarnInternet", 0u}, {"bUnixWildCard", 0u}, {"bShowTips", 1u}})
        SetRawDword(name, value);
    for (const char* list : {"slFoldersToScan", "slIncludedFiles", "slExcludedFiles"})
        SetRaw(list, REG_MULTI_SZ, std::string(2, '\0'));
}

std::string RegistryFixture::DatFile(const std::string& name) { return ProgramFolder() + name + ".dat"; }

void RegistryFixture::RemoveDatFile(const std::string& name) { DeleteFileA(DatFile(name).c_str()); }

StringList RegistryFixture::ListOfEncodedSize(size_t size) {
    // Entries of 99 characters take 100 bytes each; one shorter entry and the
    // final zero make up the rest.
    StringList list;
    size_t used = 1;
    while (used + 100 <= size - 2) {
        list.push_back("C:\\" + std::string(96, static_cast<char>('a' + list.size() % 26)));
        used += 100;
    }
    list.push_back("D:\\" + std::string(size - used - 1 - 3, 'z'));
    return list;
}

void RegistryFixture::SetProductKeyAccess(const char* sddl) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, product::kRegistryKey, 0, READ_CONTROL | WRITE_DAC, &key), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
    RegCloseKey(key);
}
