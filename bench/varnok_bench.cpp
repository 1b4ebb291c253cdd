// Runs the scan engine (catalogue and duplicate detection) on folders with
// no window and prints what it found and what it cost.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "app/scan/catalogue.h"
#include "app/scan/detection.h"
#include "app/scan/folder_tree.h"
#include "app/scan/masks.h"
#include "app/scan/remembered.h"
#include "common/text.h"

namespace {

const char* const kUsage =
    "usage: varnok-bench [options] DIR...\n"
    "  DIR                             a folder tree: the root and its subfolders (not hidden, not system,\n"
    "                                  not beginning with \".\"), depth first\n"
    "  --single DIR                    one folder only (repeatable)\n"
    "  --include MASK, --exclude MASK  masks, repeatable, order kept\n"
    "  --unix                          UNIX-style wildcards\n"
    "  --advanced                      checksum pass and advanced order\n"
    "  --buffer N, --advanced-buffer N comparison and checksum buffers in 512-byte units (128, 32)\n"
    "  --delete-all                    freeable space without keeping a last copy\n"
    "  --no-short-names                as on a volume that keeps no 8.3 names (Windows build)\n"
    "  --groups FILE                   write the groups, one path per line, a blank line after each (- = stdout)\n"
    "  --model                         then time the results model: every group's caption, and a purge after\n"
    "                                  one copy of each group is deleted (a second line)\n"
    "  --copy-when-opened NAME SRC DST just before the file named NAME is first opened, SRC's bytes are written\n"
    "                                  over DST in place (a file changed while the search reads)\n"
    "  --remember FILE                 what files hold, remembered between searches: loaded before the search\n"
    "                                  (a damaged FILE is set aside), saved after it (a second line)\n"
    "  --list-only                     list and look at every file, and stop there: the floor of a search\n";

// What --copy-when-opened does, once.
std::string whenOpened, copyFrom, copyTo;
void copyWhenOpened(const TFILEINFO& file) {
    if (whenOpened.empty() || file.Name() != whenOpened) return;
    whenOpened.clear();
    std::ifstream in(copyFrom, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fstream out(copyTo, std::ios::in | std::ios::out | std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int fail(const std::string& message) {
    std::cerr << "varnok-bench: " << message << "\n" << kUsage;
    return 2;
}

bool parseUnits(const std::string& text, int32_t& value) {
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 1 || n > 2048) return false;
    value = static_cast<int32_t>(n);
    return true;
}

// Adds a folder unless it is already listed: ignoring case where the system
// does, as the folders dialog does on Windows.
void addFolder(std::vector<std::string>& folders, std::set<std::string>& seen, std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    if (seen.insert(platform::namesIgnoreCase() ? platform::upperUtf8(folder) : folder).second) folders.push_back(folder);
}

std::string shownPath(std::string path) {
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\') c = '/';
#endif
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> folders;
    std::set<std::string> seen;
    std::string groupsFile;
    std::string rememberFile;
    bool model = false;
    bool listOnly = false;
    bool unix = false;
    int treeLeftOut = 0;  // subfolders no name of theirs reaches
    for (int k = 1; k < argc; ++k) {
        // Arguments come in the code page; paths go on in UTF-8.
        const std::string arg = platform::fromAnsi(argv[k]);
        auto value = [&](std::string& out) {
            if (k + 1 >= argc) return false;
            out = platform::fromAnsi(argv[++k]);
            return true;
        };
        std::string v;
        if (arg == "--single") {
            if (!value(v)) return fail("--single needs a folder");
            addFolder(folders, seen, v);
        } else if (arg == "--include" || arg == "--exclude") {
            if (!value(v)) return fail(arg + " needs a mask");
            (arg == "--include" ? slIncludedFiles : slExcludedFiles).push_back(platform::toAnsi(v));  // masks are ANSI
        } else if (arg == "--unix") {
            unix = true;
        } else if (arg == "--advanced") {
            bEnableAdvanced = true;
        } else if (arg == "--buffer" || arg == "--advanced-buffer") {
            if (!value(v) || !parseUnits(v, arg == "--buffer" ? lStandartBufferSize : lAdvancedBufferSize))
                return fail(arg + " needs a number from 1 to 2048");
        } else if (arg == "--delete-all") {
            bNotDeleteLastCopy = false;
        } else if (arg == "--no-short-names") {
            platform::setShortNamesReported(false);
        } else if (arg == "--model") {
            model = true;
        } else if (arg == "--copy-when-opened") {
            if (!value(whenOpened) || !value(copyFrom) || !value(copyTo))
                return fail("--copy-when-opened needs a name and two files");
            TFILEINFO::BeforeOpen = copyWhenOpened;
        } else if (arg == "--list-only") {
            listOnly = true;
        } else if (arg == "--remember") {
            if (!value(rememberFile)) return fail("--remember needs a file name");
        } else if (arg == "--groups") {
            if (!value(groupsFile)) return fail("--groups needs a file name");
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return fail("unknown option " + arg);
        } else {
            treeLeftOut += ForEachFolderInTree(arg, [&](const std::string& folder) { addFolder(folders, seen, folder); });
        }
    }
    if (folders.empty()) return fail("no folders given");
    SetUnixWildcards(unix);
    slFoldersToScan = folders;

    std::unique_ptr<TREMEMBERED> remembered;
    long long loadMs = 0;
    const char* loaded = "";
    if (!rememberFile.empty()) {
        const auto start = std::chrono::steady_clock::now();
        remembered = std::make_unique<TREMEMBERED>();
        const TREMEMBERED::TLOAD load = remembered->Load(rememberFile);
        loaded = load == TREMEMBERED::TLOAD::Loaded ? "loaded" : load == TREMEMBERED::TLOAD::Missing ? "missing" : "set-aside";
        loadMs = static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    }
    const size_t rememberedBefore = remembered ? remembered->Count() : 0;
    CatalogueLearnsVolumes = remembered != nullptr;

    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<TFILELIST> files;
    int catalogued = 0;
    std::chrono::steady_clock::time_point collected;
    std::unique_ptr<TRESULTS> results;
    try {
        if (!CollectFiles(files)) {
            std::cerr << "varnok-bench: Error while reading files list!\n";
            return 1;
        }
        catalogued = files->Count();
        collected = std::chrono::steady_clock::now();
        if (listOnly) {
            std::printf("files=%d collect_ms=%lld\n", catalogued,
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::milliseconds>(collected - started).count()));
            return 0;
        }
        results = catalogued > 0 ? FindDuplicates(*files, nullptr, remembered.get()) : std::make_unique<TRESULTS>();
    } catch (const std::bad_alloc&) {
        const int64_t listed = files ? files->Count() : 0;
        files.reset();
        std::cerr << "varnok-bench: " << OutOfMemoryText(listed) << "\n";
        return 3;
    }
    const auto finished = std::chrono::steady_clock::now();
    auto millis = [](auto span) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(span).count());
    };

    const int groups = results->Count() > 0 ? (*results)[results->Count() - 1]->Group : 0;
    std::printf(
        "files=%d pruned=%d groups=%d duplicates=%d freeable=%lld bytes_read=%lld read_again=%lld opens=%lld skipped=%d "
        "changed=%d collect_ms=%lld "
        "ms=%lld\n",
                catalogued, files->Count(), groups, results->Count() - groups,
                static_cast<long long>(FreeableSpace(*results, *files)),
                static_cast<long long>(TFILEINFO::BytesRead), static_cast<long long>(BytesReadAgain),
                static_cast<long long>(TFILEINFO::Opens), files->FilesLeftOut + files->FoldersLeftOut + treeLeftOut,
                files->FilesChanged,
                millis(collected - started), millis(finished - started));

    if (remembered) {
        const auto start = std::chrono::steady_clock::now();
        const bool saved = remembered->Save(rememberFile);
        std::printf("remembered=%s files_before=%zu files_after=%zu load_ms=%lld save_ms=%lld%s\n", loaded,
                    rememberedBefore, remembered->Count(), loadMs, millis(std::chrono::steady_clock::now() - start),
                    saved ? "" : " not_saved");
        if (files->RememberedSetAside) std::printf("%s\n", LeftOutText(*files).c_str());
    }

    if (!groupsFile.empty()) {
        std::ofstream file;
        if (groupsFile != "-") {
            file.open(groupsFile, std::ios::binary | std::ios::trunc);
            if (!file) return fail("cannot write " + groupsFile);
        }
        std::ostream& out = groupsFile == "-" ? std::cout : file;
        for (int k = 0; k < results->Count(); ++k) {
            out << shownPath((*files)[(*results)[k]->FileIndex]->FullPath()) << "\n";
            if (k + 1 == results->Count() || (*results)[k + 1]->Group != (*results)[k]->Group) out << "\n";
        }
        out.flush();
        if (!out) return fail("cannot write " + groupsFile);
    }

    if (model) {
        // What the results window does on opening, and after a deletion that
        // took the first copy of every group (each group then keeps n - 1).
        const auto start = std::chrono::steady_clock::now();
        size_t captions = 0;
        for (int k = 0; k < results->Count(); ++k)
            if (k == 0 || (*results)[k]->Group != (*results)[k - 1]->Group)
                captions += results->GroupLabel((*results)[k]->Group, *files).size();
        const auto captioned = std::chrono::steady_clock::now();
        for (int k = 0; k < results->Count(); ++k)
            if (k == 0 || (*results)[k]->Group != (*results)[k - 1]->Group)
                (*files)[(*results)[k]->FileIndex]->Deleted = true;
        results->Purge(*files);
        const auto purged = std::chrono::steady_clock::now();
        std::printf("groups=%d captions_ms=%lld purge_ms=%lld entries_left=%d caption_bytes=%zu\n", groups,
                    millis(captioned - start), millis(purged - captioned), results->Count(), captions);
    }
    return 0;
}
