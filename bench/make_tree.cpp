// Writes a reproducible folder tree for benchmarks: nested folders, many
// small files, some large ones, identical copies, and same-size files that
// differ early or late. With --hostile, two thirds of the files (at most
// 20,000) share one size, and the rest hold further same-size families of
// hundreds, copies that differ only in their last byte, and a chain of deep
// folders. With --small, files of 1 B to 4 KiB, a third of them copies (a
// scan of millions of files). With --shared-ends, 64 KiB files whose first
// and last 4 KiB are zeros and whose middles differ, a tenth of them copies
// (database pages, disk images). With --changing, FILES distinct 64 KiB files
// and three more: c and b alike, a the same but for its byte 32,768 (for
// varnok-bench --copy-when-opened a a c: c becomes a while the search reads).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const std::string mode = argc > 1 && std::string(argv[1]).rfind("--", 0) == 0 ? argv[1] : "";
    const bool hostile = mode == "--hostile", small = mode == "--small", sharedEnds = mode == "--shared-ends",
               changing = mode == "--changing";
    if (!mode.empty()) {
        --argc;
        ++argv;
    }
    if (argc < 3 || !(mode.empty() || hostile || small || sharedEnds || changing)) {
        std::fprintf(stderr, "usage: varnok-make-tree [--hostile | --small | --shared-ends | --changing] DIR FILES [SEED]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const long files = std::strtol(argv[2], nullptr, 10);
    std::mt19937_64 random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1);
    auto below = [&](uint64_t n) { return static_cast<size_t>(random() % n); };
    auto randomBytes = [&](size_t size) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; i += 8) {
            uint64_t v = random();
            for (size_t b = 0; b < 8 && i + b < size; ++b) content[i + b] = static_cast<char>(v >> (8 * b));
        }
        return content;
    };

    // About 40 files a folder, three levels deep.
    std::vector<fs::path> folders;
    const long folderCount = files / 40 + 1;
    for (long k = 0; k < folderCount; ++k) {
        fs::path f = root / ("d" + std::to_string(k % 10));
        if (k >= 10) f /= "s" + std::to_string(k % 37);
        if (k >= 370) f /= "t" + std::to_string(k);
        folders.push_back(f);
    }
    if (hostile) {
        fs::path deep = root / "deep";
        for (int level = 0; level < 24; ++level) {
            deep /= "level" + std::to_string(level);
            folders.push_back(deep);
        }
    }
    for (const fs::path& f : folders) fs::create_directories(f);

    std::vector<std::string> originals;  // contents that copies are made from
    long written = 0;
    auto write = [&](const std::string& content) {
        const fs::path path = folders[below(folders.size())] / ("f" + std::to_string(written) + ".bin");
        std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        ++written;
    };
    if (hostile) {
        // One size for most files: mostly unique, some copies, some that
        // part only in their last byte.
        const long shared = std::min<long>(20000, files * 2 / 3);
        std::vector<std::string> family;
        for (long k = 0; k < shared; ++k) {
            const size_t roll = below(100);
            std::string content;
            if (roll < 10 && !family.empty()) {
                content = family[below(family.size())];
            } else if (roll < 20 && !family.empty()) {
                content = family[below(family.size())];
                content.back() ^= 0x5A;
            } else {
                content = randomBytes(24576);
                if (family.size() < 2000) family.push_back(content);
            }
            write(content);
        }
        // Families of a few hundred files of one size each that part late.
        for (int f = 0; f < 8 && written < files; ++f) {
            const std::string base = randomBytes(65536 + below(65536));
            for (int k = 0; k < 300 && written < files; ++k) {
                std::string content = base;
                if (below(4) != 0) content[content.size() - 1 - below(64)] ^= static_cast<char>(1 + below(255));
                write(content);
            }
        }
    }
    if (changing) {
        fs::create_directories(root);
        auto put = [&](const std::string& name, const std::string& content) {
            std::ofstream(root / name, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        };
        for (long k = 0; k < files; ++k) put("f" + std::to_string(k), randomBytes(65536));
        std::string content = randomBytes(65536);
        put("c", content);
        put("b", content);
        content[32768] ^= 0x55;
        put("a", content);
        std::printf("%ld files under %s\n", files + 3, root.string().c_str());
        return 0;
    }
    while (small && written < files) {
        if (below(3) == 0 && !originals.empty()) {
            write(originals[below(originals.size())]);
            continue;
        }
        std::string content = randomBytes(1 + below(4096));
        if (originals.size() < 4000) originals.push_back(content);
        write(content);
    }
    while (sharedEnds && written < files) {
        std::string content;
        if (below(10) == 0 && !originals.empty()) {
            content = originals[below(originals.size())];
        } else {
            content = std::string(4096, '\0') + randomBytes(65536 - 8192) + std::string(4096, '\0');
            if (originals.size() < 4000) originals.push_back(content);
        }
        write(content);
    }
    while (written < files) {
        const size_t roll = below(100);
        std::string content;
        if (roll < 30 && !originals.empty()) {
            content = originals[below(originals.size())];  // an identical copy
        } else if (roll < 40 && !originals.empty()) {
            content = originals[below(originals.size())];  // same size, one byte different
            if (!content.empty()) content[below(10) < 5 ? below(std::min<size_t>(content.size(), 16))
                                                        : content.size() - 1 - below(std::min<size_t>(content.size(), 16))] ^= 0x5A;
        } else {
            const size_t size = roll < 90 ? below(8192) : roll < 99 ? 8192 + below(512 * 1024) : 1048576 + below(4194304);
            content = randomBytes(size);
            if (originals.size() < 4000) originals.push_back(content);
        }
        write(content);
    }
    std::printf("%ld files in %zu folders under %s\n", written, folders.size(), root.string().c_str());
    return 0;
}
