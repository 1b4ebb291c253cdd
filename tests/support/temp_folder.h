// A folder of the test's own, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    // The folder as the program writes it: native separators, a trailing separator.
    std::string entry() const;
    // entry() + relative (with '/' turned into the native separator).
    std::string path(std::string_view relative) const;

    // Writes a file (creating its folders) and returns its path.
    std::string write(std::string_view relative, std::string_view content);
    std::string makeFolder(std::string_view relative);
    // Writes a file under exactly this name (wide on Windows), even one the
    // system would read as a device or strip of a trailing dot.
    void writeExact(const std::filesystem::path& relative, std::string_view content);

    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path root_;
};

// Whether a file exists.
bool FileExists(const std::string& path);
// Marks a file read-only (or writable again).
void SetReadOnly(const std::string& path, bool readOnly);
std::string ReadWholeFile(const std::string& path);
