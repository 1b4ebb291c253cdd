// Tests that use the product's key: each starts from no key at all, and
// reads what was stored with the system's own calls.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/string_list.h"

struct RawValue {
    DWORD type = REG_NONE;
    std::string data;
};

class RegistryFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static bool KeyExists();
    static RawValue Raw(const std::string& name);
    static DWORD RawDword(const std::string& name);
    static void SetRaw(const std::string& name, DWORD type, const std::string& data);
    static void SetRawDword(const std::string& name, DWORD value);
    // The line "name  TYPE  data" of the key as the system's reg.exe lists it,
    // its blanks squeezed to one; empty when reg.exe does not list the value.
    static std::string RegQueryLine(const std::string& name);
    // The twelve values an installation leaves, with their defaults.
    static void InstallDefaults();
    static std::string DatFile(const std::string& name);
    static void RemoveDatFile(const std::string& name);
    // A folder list whose stored form has exactly this many bytes.
    static StringList ListOfEncodedSize(size_t size);
    // Sets the product key's access list (SDDL); kNoWriting makes the key
    // impossible to open as the program opens it, kFullAccess gives it back.
    static void SetProductKeyAccess(const char* sddl);
    static constexpr char kNoWriting[] = "D:(D;;0x0006;;;WD)(A;;KA;;;WD)";  // no values set, no subkeys
    static constexpr char kFullAccess[] = "D:(A;;KA;;;WD)";
};
