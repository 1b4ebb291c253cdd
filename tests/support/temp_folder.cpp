#include "temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/platform.h"
#include "common/text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string nativeRelative(std::string_view relative) {
    std::string r(relative);
    for (char& c : r)
        if (c == '/') c = static_cast<char>(fs::path::preferred_separator);
    return r;
}

void makeWritable(const fs::path& root) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        root_ = fs::temp_directory_path() /
                ("varnok-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (fs::create_directory(root_)) return;
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::path root = root_;
#ifdef _WIN32
    // Through "\\?\" a file named like a device is a file, not the device.
    root = fs::path(L"\\\\?\\" + fs::path(root_).make_preferred().wstring());
#endif
    makeWritable(root);
    fs::remove_all(root, ec);
}

std::string TempFolder::entry() const {
    std::string e = root_.string();
    if (e.back() != static_cast<char>(fs::path::preferred_separator)) e += static_cast<char>(fs::path::preferred_separator);
    return e;
}

std::string TempFolder::path(std::string_view relative) const { return entry() + nativeRelative(relative); }

std::string TempFolder::write(std::string_view relative, std::string_view content) {
    std::string p = path(relative);
    fs::create_directories(fs::path(p).parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + p);
    return p;
}

void TempFolder::writeExact(const fs::path& relative, std::string_view content) {
    fs::path target = (root_ / relative).make_preferred();
    fs::create_directories(target.parent_path());
#ifdef _WIN32
    // The "\\?\" form keeps the name as it is: "aux.c" is a file, "notes." keeps its dot.
    target = fs::path(L"\\\\?\\" + target.wstring());
#endif
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write a test file");
}

std::string TempFolder::makeFolder(std::string_view relative) {
    std::string p = path(relative);
    fs::create_directories(p);
    return p + static_cast<char>(fs::path::preferred_separator);
}

// The program's paths are UTF-8.
bool FileExists(const std::string& path) { return platform::exists(path); }

void SetReadOnly(const std::string& path, bool readOnly) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(fs::path(Utf16FromUtf8(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
