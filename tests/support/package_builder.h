// Update packages for tests, laid out as the maker's builder lays them out,
// with hooks to break one field at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PackageFile {
    std::string name;
    std::string content;
    bool stored = false;  // kept as it is instead of packed
};

struct PackageLayout {
    std::vector<PackageFile> files;
    std::string date = "15-03-2004";
    // Replaces fields as written, when set.
    std::string count;               // the 3-character N
    std::vector<std::string> sizes;  // the records' 10-character unpacked sizes
    std::string indexHeading = "Varnok Com. update index";
};

// The package's bytes; ids are 1, 2, 3 … in file order.
std::string BuildPackage(const PackageLayout& layout);
std::vector<uint8_t> PackageBytes(const std::string& package);
