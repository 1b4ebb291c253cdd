// The benchmark harness as a user runs it: on a generated tree its groups
// must be exactly those found by grouping every file by its whole content.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "tests/support/process.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using Groups = std::set<std::set<std::string>>;

std::string benchProgram() {
    std::string path = VARNOK_BENCH_PATH;
#ifdef _WIN32
    // The build tree is reached through Wine's Z: drive.
    for (char& c : path)
        if (c == '/') c = '\\';
    if (!path.empty() && path[0] == '\\') path = "Z:" + path;
#endif
    return path;
}

// Runs the harness with stdout to a file; returns its exit code.
int runBench(const std::vector<std::string>& args, const std::string& outputFile) {
    std::string command = "\"" + benchProgram() + "\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    const ProcessResult run = RunProcess(command, 120000);
    std::ofstream(outputFile, std::ios::binary) << run.output;
    return run.exitCode;
}

std::string normal(const std::string& path) {
    std::string p = path;
#ifndef _WIN32
    for (char& c : p)
        if (c == '\\') c = '/';
#endif
    return fs::path(p).lexically_normal().string();
}

Groups readGroups(const std::string& file) {
    Groups groups;
    std::ifstream in(file);
    std::set<std::string> group;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            if (!group.empty()) groups.insert(group);
            group.clear();
        } else {
            group.insert(normal(line));
        }
    }
    if (!group.empty()) groups.insert(group);
    return groups;
}

// Every file under root whose name and folders do not begin with a dot,
// grouped by whole content.
Groups contentGroups(const fs::path& root) {
    std::map<std::string, std::set<std::string>> byContent;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path().filename().string().front() == '.') {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) byContent[ReadWholeFile(it->path().string())].insert(normal(it->path().string()));
    }
    Groups groups;
    for (auto& [content, paths] : byContent)
        if (paths.size() > 1) groups.insert(paths);
    return groups;
}

void makeTree(TempFolder& tree) {
    std::mt19937 random(99);
    // "ends." is a valid folder name on every system the harness runs on (under
    // Wine it is reached by its 8.3 name).
    const char* folders[] = {"", "a", "a/b", "a/b/c", "d", ".dotdir", "d/e", "ends."};
    const int64_t sizes[] = {0, 1, 100, 4096, 70000, 200000};
    for (int family = 0; family < 40; ++family) {
        int64_t size = sizes[random() % 6];
        std::string base(static_cast<size_t>(size), '\0');
        for (char& c : base) c = static_cast<char>(random() % 4);
        int members = 1 + static_cast<int>(random() % 4);
        for (int m = 0; m < members; ++m) {
            std::string content = base;
            if (size > 0 && random() % 3 == 0) content[static_cast<size_t>(random() % size)] ^= 0x55;
            std::string folder = folders[random() % 8];
            std::string name = (random() % 8 == 0 ? "." : "") + std::string("file") + std::to_string(family) + "_" +
                               std::to_string(m);
            tree.write(folder.empty() ? name : folder + "/" + name, content);
        }
    }
}

TEST(BenchHarness, FindsExactlyTheContentGroups) {
    TempFolder tree;
    makeTree(tree);
    const Groups expected = contentGroups(tree.root());
    ASSERT_GT(expected.size(), 5u);
    for (const char* mode : {"", "--advanced"}) {
        TempFolder out;
        std::string groupsFile = out.path("groups.txt");
        std::vector<std::string> args = {"--groups", groupsFile, tree.root().string()};
        if (*mode) args.insert(args.begin(), mode);
        ASSERT_EQ(runBench(args, out.path("stdout.txt")), 0) << ReadWholeFile(out.path("stdout.txt"));
        EXPECT_EQ(readGroups(groupsFile), expected) << mode;
        std::string summary = ReadWholeFile(out.path("stdout.txt"));
        EXPECT_EQ(summary.rfind("files=", 0), 0u) << summary;
        for (const char* key : {" pruned=", " groups=", " duplicates=", " freeable=", " bytes_read=", " ms="})
            EXPECT_NE(summary.find(key), std::string::npos) << summary;
        EXPECT_NE(summary.find(" groups=" + std::to_string(expected.size()) + " "), std::string::npos) << summary;
    }
}

#ifndef _WIN32
// On POSIX file systems names that differ in case, or in bytes the Windows
// upper-case table would fold, are different folders: each is listed.
TEST(BenchHarness, FoldersWhoseNamesDifferOnlyInCaseAreAllListed) {
    TempFolder tree;
    tree.write("Sub/a", "one");
    tree.write("sub/a", "one");
    tree.write("x\xC3\x9A/b", "two");  // xÚ and xÊ in UTF-8
    tree.write("x\xC3\x8A/b", "two");
    TempFolder out;
    const std::string groupsFile = out.path("groups.txt");
    ASSERT_EQ(runBench({"--groups", groupsFile, tree.root().string()}, out.path("stdout.txt")), 0);
    EXPECT_EQ(readGroups(groupsFile), contentGroups(tree.root()));
    EXPECT_EQ(ReadWholeFile(out.path("stdout.txt")).rfind("files=4 ", 0), 0u) << ReadWholeFile(out.path("stdout.txt"));
}
#endif

TEST(BenchHarness, SingleFoldersAndMasks) {
    TempFolder tree;
    tree.write("x.txt", "same");
    tree.write("y.txt", "same");
    tree.write("z.doc", "same");
    tree.write("sub/w.txt", "same");
    TempFolder out;
    std::string groupsFile = out.path("groups.txt");
    ASSERT_EQ(runBench({"--single", tree.root().string(), "--include", "*.txt", "--groups", groupsFile},
                       out.path("stdout.txt")),
              0);
    Groups groups = readGroups(groupsFile);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups.begin()->size(), 2u);  // x.txt and y.txt: no subfolder, no .doc
    EXPECT_EQ(ReadWholeFile(out.path("stdout.txt")).rfind("files=2 ", 0), 0u);
}

TEST(BenchHarness, BadArgumentsFailWithAMessage) {
    TempFolder out;
    const std::vector<std::vector<std::string>> cases = {
        {}, {"--bogus", "x"}, {"--buffer", "0", "x"}, {"--buffer", "lots", "x"}, {"--advanced-buffer"}, {"--single"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(runBench(args, out.path("stdout.txt")), 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(ReadWholeFile(out.path("stdout.txt")).find("usage: varnok-bench"), std::string::npos);
    }
}

}  // namespace
