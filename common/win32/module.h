// What a module (the program, or a DLL about itself) knows of its own file:
// where it lives, its version resource, its strings and raw resources.
// nullptr stands for the program's own executable.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The module's full path as the system started it.
std::string ModuleFileName(HMODULE module = nullptr);
// The folder of the running program, ending with a backslash.
std::string ProgramFolder();

// A file's version resource, read whole; empty when the file has none.
class VersionResource {
public:
    explicit VersionResource(const std::string& path);
    explicit operator bool() const { return !data_.empty(); }
    // The fixed part; null when the resource has none.
    const VS_FIXEDFILEINFO* Fixed() const;
    // A value such as "\\StringFileInfo\\040904e4\\FileVersion"; none when absent.
    std::optional<std::string> Value(const std::string& name) const;

private:
    std::vector<char> data_;
};

struct FileVersion {
    uint16_t major, minor, release, build;
};
// The fixed part of the module's version resource; none when it has none.
std::optional<FileVersion> ReadFileVersion(HMODULE module = nullptr);

// A string of the module's string table, empty when there is none.
std::string LoadStr(UINT id, HMODULE module = nullptr);
// The bytes of a resource of a type of the module's own, empty when it is missing.
std::string ResourceBytes(UINT id, UINT type, HMODULE module = nullptr);
