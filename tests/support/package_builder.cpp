#include "tests/support/package_builder.h"

#include <zlib.h>

#include <cstdio>

namespace {

std::string field(uint64_t value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*llu", width, static_cast<unsigned long long>(value));
    return text;
}

std::string packed(const std::string& content) {
    uLongf size = compressBound(content.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(content.data()),
              content.size(), 9);
    out.resize(size);
    return out;
}

}  // namespace

std::string BuildPackage(const PackageLayout& layout) {
    const size_t n = layout.files.size();
    std::string out = layout.count.empty() ? field(n, 3) : layout.count;
    std::string index = layout.indexHeading + "\r\n";
    for (size_t i = 0; i < n; ++i) {
        const PackageFile& file = layout.files[i];
        const std::string block = file.stored ? file.content : packed(file.content);
        out += field(block.size(), 10) + block;
        index += std::to_string(i + 1) + "##" + file.name + "##\r\n";
    }
    index += "\r\n";
    out += field(index.size(), 10) + index;
    out += "0000000000";
    for (size_t i = 0; i < n; ++i) {
        const std::string size = i < layout.sizes.size() ? layout.sizes[i] : field(layout.files[i].content.size(), 10);
        out += field(i + 1, 3) + size + std::string(19, ' ');
    }
    return out + layout.date;
}

std::vector<uint8_t> PackageBytes(const std::string& package) { return {package.begin(), package.end()}; }
