// The product's registry key: typed values, string lists that overflow into
// ".dat" files beside the program, and one Error for every failure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/string_list.h"
#include "common/win32/unique_handle.h"

// A registry call the system refused.
class RegistryError : public std::runtime_error {
public:
    RegistryError(const std::string& what, LONG code) : std::runtime_error(what), Code(code) {}
    LONG Code;
};

// A list's ".dat" file that could not be written: it reaches the caller, which
// tells the user and keeps what they entered.
class ListFileError : public std::runtime_error {
public:
    ListFileError(const std::string& path, unsigned long code)
        : std::runtime_error("Can not write file " + path + " Error code : " + std::to_string(code)), Path(path), Code(code) {}
    std::string Path;
    unsigned long Code;
};

// A plain layer over the Win32 registry: one open key under a root.
// Reads and writes throw RegistryError when the system refuses them or the
// stored type is not the one asked for.
class TREGISTRY {
public:
    // view: 0, or KEY_WOW64_32KEY / KEY_WOW64_64KEY for one of the machine's
    // two views of HKEY_LOCAL_MACHINE\Software on 64-bit Windows.
    explicit TREGISTRY(HKEY root = HKEY_CURRENT_USER, REGSAM view = 0) : RootKey(root), view_(view) {}
    ~TREGISTRY();
    TREGISTRY(const TREGISTRY&) = delete;
    TREGISTRY& operator=(const TREGISTRY&) = delete;

    // Creates the key first when canCreate; false when it cannot be opened.
    // A key that cannot be created throws.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();
    HKEY CurrentKey() const { return key_.get(); }

    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    int32_t ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, int32_t value);
    // Returns the number of bytes stored; throws when they do not fit.
    DWORD ReadBinaryData(const std::string& name, void* buffer, DWORD size) const;
    void WriteBinaryData(const std::string& name, const void* buffer, DWORD size);
    // Deletes a subkey of the open key; false when the system refuses.
    bool DeleteKey(const std::string& path);
    // Deletes a value of the open key; false when it is not there or the system refuses.
    bool DeleteValue(const std::string& name);

    HKEY RootKey;

private:
    REGSAM view_;
    unique_hkey key_;
};

// The value name as the system takes it: without one leading backslash.
const char* StripLeadingBackslash(const std::string& name);

class TMYREGISTRY {
public:
    static constexpr uint16_t kModuleID = 0x0945;

    // Opens (creating it if needed) path under root; null when it cannot be
    // opened. A key that cannot be created throws RegistryError.
    static std::unique_ptr<TMYREGISTRY> Create(HKEY root, const std::string& path);
    virtual ~TMYREGISTRY();

    // Tells the user to re-install and ends the program.
    virtual void Error(uint16_t ModuleID, uint16_t ErrorID);

    std::string ReadString(const std::string& name);
    void WriteInteger(const std::string& name, int32_t value);
    int32_t ReadInteger(const std::string& name);
    // Returns the number of bytes read, 0 after a failure.
    DWORD ReadBinaryData(const std::string& name, void* buffer, DWORD size);
    void WriteBinaryData(const std::string& name, const void* buffer, DWORD size);
    // Appends the stored strings to list; true when they were read. asUtf8:
    // the entries in UTF-8, read wide, so that an entry another program wrote
    // in letters the code page lacks comes back as itself.
    bool ReadStrings(const std::string& name, StringList& list, bool asUtf8 = false);
    // Throws ListFileError when a large list's file cannot be written.
    void WriteStrings(const std::string& name, const StringList& list);
    void DeleteKey(const std::string& name);

    TREGISTRY& Registry() { return *registry_; }

    int32_t LastError = 0;

    // Largest string list kept in the registry itself; larger ones go to a file.
    static constexpr size_t kInlineListLimit = 16000;

protected:
    TMYREGISTRY() = default;
    bool open(HKEY root, const std::string& path);

private:
    std::unique_ptr<TREGISTRY> registry_;
};

// A registry object for values the program can do without: a failure only
// sets Failed, and the caller keeps its defaults.
class TMYTMPREG : public TMYREGISTRY {
public:
    static std::unique_ptr<TMYTMPREG> Create();
    void Error(uint16_t ModuleID, uint16_t ErrorID) override;
    bool Failed = false;
};

// "Please re-install Varnok Scan program!", then the end of the program when
// it installed one; otherwise the caller goes on with the failed result.
void ReinstallAndEnd();

// How the program ends after the re-install message. A program sets it at
// start-up; code inside a DLL never does, so it never ends its host.
using ProgramEndHandler = std::function<void(unsigned exitCode)>;
ProgramEndHandler SetProgramEndHandler(ProgramEndHandler handler);

// The installation folder, from PathToApp, always ending with a backslash.
extern std::string AppPath;
void LoadAppPath();
