// Writes a reproducible folder tree for benchmarks: nested folders, many
// small files, some large ones, identical copies, and same-size files that
// differ early or late.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: varnok-make-tree DIR FILES [SEED]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const long files = std::strtol(argv[2], nullptr, 10);
    std::mt19937_64 random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1);
    auto below = [&](uint64_t n) { return static_cast<size_t>(random() % n); };

    // About 40 files a folder, three levels deep.
    std::vector<fs::path> folders;
    const long folderCount = files / 40 + 1;
    for (long k = 0; k < folderCount; ++k) {
        fs::path f = root / ("d" + std::to_string(k % 10));
        if (k >= 10) f /= "s" + std::to_string(k % 37);
        if (k >= 370) f /= "t" + std::to_string(k);
        folders.push_back(f);
    }
    for (const fs::path& f : folders) fs::create_directories(f);

    std::vector<std::string> originals;  // contents that copies are made from
    long written = 0;
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
            content.resize(size);
            for (size_t i = 0; i < size; i += 8) {
                uint64_t v = random();
                for (size_t b = 0; b < 8 && i + b < size; ++b) content[i + b] = static_cast<char>(v >> (8 * b));
            }
            if (originals.size() < 4000) originals.push_back(content);
        }
        const fs::path path = folders[below(folders.size())] / ("f" + std::to_string(written) + ".bin");
        std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        ++written;
    }
    std::printf("%ld files in %zu folders under %s\n", written, folders.size(), root.string().c_str());
    return 0;
}
