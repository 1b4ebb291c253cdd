#include "common/win32/registry.h"
#include "common/platform.h"
#include "common/win32/wide.h"

#include <fstream>
#include <utility>
#include <vector>

#include "common/messagebox.h"
#include "common/product.h"
#include "common/win32/module.h"
#include "common/win32/unique_handle.h"

std::string AppPath;

namespace {

ProgramEndHandler& programEnd() {
    static ProgramEndHandler handler;
    return handler;
}

[[noreturn]] void fail(const std::string& what, LONG code) { throw RegistryError(what, code); }

// The type and size of a value; throws when it is missing.
DWORD queryValue(HKEY key, const std::string& name, DWORD& size) {
    DWORD type = 0;
    size = 0;
    LONG r = RegQueryValueExA(key, StripLeadingBackslash(name), nullptr, &type, nullptr, &size);
    if (r != ERROR_SUCCESS) fail("cannot read value " + name, r);
    return type;
}

void setValue(HKEY key, const std::string& name, DWORD type, const void* data, DWORD size) {
    LONG r = RegSetValueExA(key, StripLeadingBackslash(name), 0, type, static_cast<const BYTE*>(data), size);
    if (r != ERROR_SUCCESS) fail("cannot write value " + name, r);
}

std::string datFile(const std::string& name) { return ProgramFolder() + StripLeadingBackslash(name) + ".dat"; }

// The whole recorded length of a list file, or false when the file is
// missing or shorter than the registry says.
bool readDatFile(const std::string& path, DWORD size, std::string& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(size, '\0');
    in.read(data.data(), static_cast<std::streamsize>(size));
    return in.gcount() == static_cast<std::streamsize>(size);
}

}  // namespace

const char* StripLeadingBackslash(const std::string& name) {
    return !name.empty() && name[0] == '\\' ? name.c_str() + 1 : name.c_str();
}

// --- TREGISTRY ---------------------------------------------------------------

TREGISTRY::~TREGISTRY() { CloseKey(); }

bool TREGISTRY::OpenKey(const std::string& path, bool canCreate) {
    CloseKey();
    const char* subkey = StripLeadingBackslash(path);
    if (canCreate) {
        HKEY created = nullptr;
        LONG r = RegCreateKeyExA(RootKey, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view_, nullptr,
                                 &created, nullptr);
        if (r != ERROR_SUCCESS) fail("cannot create key " + path, r);
        unique_hkey createdKey(created);  // the key only had to exist
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExA(RootKey, subkey, 0, KEY_READ | KEY_WRITE | view_, &opened) != ERROR_SUCCESS) return false;
    key_.reset(opened);
    return true;
}

void TREGISTRY::CloseKey() {
    if (!key_) return;
    RegFlushKey(key_.get());
    key_.reset();
}

std::string TREGISTRY::ReadString(const std::string& name) const {
    DWORD size = 0;
    DWORD type = queryValue(key_.get(), name, size);
    if (type != REG_SZ && type != REG_EXPAND_SZ) fail("value " + name + " is not a text", ERROR_INVALID_DATA);
    std::string text(size, '\0');
    LONG r = RegQueryValueExA(key_.get(), StripLeadingBackslash(name), nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                              &size);
    if (r != ERROR_SUCCESS) fail("cannot read value " + name, r);
    text.resize(size);
    return text.substr(0, text.find('\0'));
}

void TREGISTRY::WriteString(const std::string& name, const std::string& value) {
    setValue(key_.get(), name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

int32_t TREGISTRY::ReadInteger(const std::string& name) const {
    DWORD size = 0;
    if (queryValue(key_.get(), name, size) != REG_DWORD || size != sizeof(DWORD))
        fail("value " + name + " is not a number", ERROR_INVALID_DATA);
    DWORD value = 0;
    LONG r = RegQueryValueExA(key_.get(), StripLeadingBackslash(name), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    if (r != ERROR_SUCCESS) fail("cannot read value " + name, r);
    return static_cast<int32_t>(value);
}

void TREGISTRY::WriteInteger(const std::string& name, int32_t value) {
    DWORD v = static_cast<DWORD>(value);
    setValue(key_.get(), name, REG_DWORD, &v, sizeof v);
}

DWORD TREGISTRY::ReadBinaryData(const std::string& name, void* buffer, DWORD size) const {
    DWORD stored = 0;
    if (queryValue(key_.get(), name, stored) != REG_BINARY) fail("value " + name + " is not binary", ERROR_INVALID_DATA);
    if (stored > size) fail("value " + name + " is too large", ERROR_MORE_DATA);
    LONG r = RegQueryValueExA(key_.get(), StripLeadingBackslash(name), nullptr, nullptr, static_cast<BYTE*>(buffer), &stored);
    if (r != ERROR_SUCCESS) fail("cannot read value " + name, r);
    return stored;
}

void TREGISTRY::WriteBinaryData(const std::string& name, const void* buffer, DWORD size) {
    setValue(key_.get(), name, REG_BINARY, buffer, size);
}

bool TREGISTRY::DeleteKey(const std::string& path) {
    HKEY base = key_ ? key_.get() : RootKey;
    return RegDeleteKeyA(base, StripLeadingBackslash(path)) == ERROR_SUCCESS;
}

bool TREGISTRY::DeleteValue(const std::string& name) {
    return key_ && RegDeleteValueA(key_.get(), StripLeadingBackslash(name)) == ERROR_SUCCESS;
}

// --- TMYREGISTRY -------------------------------------------------------------

std::unique_ptr<TMYREGISTRY> TMYREGISTRY::Create(HKEY root, const std::string& path) {
    std::unique_ptr<TMYREGISTRY> object(new TMYREGISTRY());
    if (!object->open(root, path)) return nullptr;
    return object;
}

bool TMYREGISTRY::open(HKEY root, const std::string& path) {
    registry_ = std::make_unique<TREGISTRY>(root);
    const std::string full = !path.empty() && path[0] == '\\' ? path : "\\" + path;
    return registry_->OpenKey(full, true);
}

TMYREGISTRY::~TMYREGISTRY() = default;

void TMYREGISTRY::Error(uint16_t, uint16_t) { ReinstallAndEnd(); }

void ReinstallAndEnd() {
    ShowMessageBox(nullptr, "Please re-install Varnok Scan program!", "Error!", mb::kIconHand);
    // Only a program that installed its ending ends here; a library's host
    // gets the failed call's result and decides for itself.
    if (const auto& handler = programEnd()) handler(1);
}

std::string TMYREGISTRY::ReadString(const std::string& name) {
    try {
        return registry_->ReadString(name);
    } catch (...) {
        Error(kModuleID, 2);
        return {};
    }
}

void TMYREGISTRY::WriteInteger(const std::string& name, int32_t value) {
    try {
        registry_->WriteInteger(name, value);
    } catch (...) {
        Error(kModuleID, 3);
    }
}

int32_t TMYREGISTRY::ReadInteger(const std::string& name) {
    try {
        return registry_->ReadInteger(name);
    } catch (...) {
        Error(kModuleID, 4);
        return 0;
    }
}

DWORD TMYREGISTRY::ReadBinaryData(const std::string& name, void* buffer, DWORD size) {
    try {
        return registry_->ReadBinaryData(name, buffer, size);
    } catch (...) {
        Error(kModuleID, 7);
        return 0;
    }
}

void TMYREGISTRY::WriteBinaryData(const std::string& name, const void* buffer, DWORD size) {
    try {
        registry_->WriteBinaryData(name, buffer, size);
    } catch (...) {
        Error(kModuleID, 8);
    }
}

bool TMYREGISTRY::ReadStrings(const std::string& name, StringList& list, bool asUtf8) {
    try {
        HKEY key = registry_->CurrentKey();
        DWORD type = 0, size = 0;
        LastError = RegQueryValueExA(key, StripLeadingBackslash(name), nullptr, &type, nullptr, &size);
        if (LastError != 0) {
            Error(kModuleID, 9);
            return false;
        }
        std::string data;
        if (type == REG_DWORD) {
            // The list lives in a file; one missing or shorter than the
            // registry says is a failed read, never half a list.
            int32_t recorded = 0;
            try {
                recorded = registry_->ReadInteger(name);
            } catch (...) {
                Error(kModuleID, 4);  // the size is read as any number is
                return false;
            }
            if (recorded <= 0 || !readDatFile(datFile(name), static_cast<DWORD>(recorded), data)) {
                Error(kModuleID, 10);
                return false;
            }
            if (asUtf8) data = platform::fromAnsi(data);
        } else if (type == REG_MULTI_SZ && asUtf8) {
            const std::wstring valueName = Wide(StripLeadingBackslash(name));
            DWORD bytes = 0;
            LastError = RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, nullptr, &bytes);
            std::wstring wide(bytes / sizeof(wchar_t) + 1, L'\0');
            bytes = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
            if (LastError == 0)
                LastError = RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(wide.data()), &bytes);
            if (LastError != 0) {
                Error(kModuleID, 10);
                return false;
            }
            wide.resize(bytes / sizeof(wchar_t));
            data = Utf8(wide);
        } else if (type == REG_MULTI_SZ) {
            data.assign(size, '\0');
            LastError = RegQueryValueExA(key, StripLeadingBackslash(name), nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(data.data()), &size);
            if (LastError != 0) {
                Error(kModuleID, 10);
                return false;
            }
            data.resize(size);
        } else {
            Error(kModuleID, 11);
            return false;
        }
        // Read as UTF-8, an entry is whole: cut at 255 bytes it would name
        // another folder (or half a letter); its caller judges its length.
        DecodeStringList(data, list, asUtf8 ? std::string::npos : 255);
        return true;
    } catch (...) {
        Error(kModuleID, 9);
        return false;
    }
}

void TMYREGISTRY::WriteStrings(const std::string& name, const StringList& list) {
    const std::string data = EncodeStringList(list);
    if (data.size() <= kInlineListLimit) {
        LastError = RegSetValueExA(registry_->CurrentKey(), StripLeadingBackslash(name), 0, REG_MULTI_SZ,
                                   reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
        if (LastError != 0) Error(kModuleID, 12);
        return;
    }
    // Written beside the list's file and then put in its place: a write that
    // fails half way (a full disk) leaves the stored list as it was.
    const std::string path = datFile(name);
    const std::string fresh = path + ".new";
    unique_file file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) ||
        written != data.size() || !file.reset() ||
        !MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        file.reset();
        DeleteFileA(fresh.c_str());
        throw ListFileError(path, code);
    }
    WriteInteger(name, static_cast<int32_t>(data.size()));
}

void TMYREGISTRY::DeleteKey(const std::string& name) { registry_->DeleteKey(name); }

// --- TMYTMPREG ---------------------------------------------------------------

std::unique_ptr<TMYTMPREG> TMYTMPREG::Create() {
    std::unique_ptr<TMYTMPREG> object(new TMYTMPREG());
    if (!object->open(HKEY_CURRENT_USER, product::kRegistryKey)) return nullptr;
    return object;
}

void TMYTMPREG::Error(uint16_t, uint16_t) { Failed = true; }

ProgramEndHandler SetProgramEndHandler(ProgramEndHandler handler) {
    return std::exchange(programEnd(), std::move(handler));
}

void LoadAppPath() {
    // A key that exists but cannot be opened is as broken as a missing value.
    std::unique_ptr<TMYREGISTRY> registry;
    try {
        registry = TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    } catch (const RegistryError&) {
    }
    if (registry) {
        AppPath = registry->ReadString("PathToApp");
        registry.reset();
    } else {
        ReinstallAndEnd();
    }
    if (AppPath.empty() || AppPath.back() != '\\') AppPath += '\\';
}
