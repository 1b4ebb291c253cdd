// Randomized catalogues: the program's detection and the literal reference
// must agree on groups, member order, group numbers, statistics, freeable
// space and the final order of the catalogue.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/app/scan/reference_detection.h"
#include "tests/app/scan/scan_fixture.h"

namespace {

struct Outcome {
    std::vector<std::pair<int, std::string>> items;  // group, full path
    std::vector<std::string> catalogue;
    std::vector<StepRecord> steps;
    std::vector<int64_t> created, remaining;
    int64_t freeable = 0;
};

class Equivalence : public ScanFixture {
protected:
    // Writes a random tree of files: families of one size whose members are
    // identical or differ early or in their last bytes, empty files, a large
    // family now and then (more files than may stay open), second names of
    // files (hard links), across three folders.
    void makeCatalogue(std::mt19937& random, TempFolder& tree) {
        folders = {tree.makeFolder("one"), tree.makeFolder("two"), tree.makeFolder("three")};
        const int64_t sizes[] = {0, 1, 2, 511, 512, 513, 1024, 1500, 3000, 5000, 9000};
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        int made = 0;
        const int families = 4 + pick(10);
        for (int family = 0; family < families; ++family) {
            const int64_t size = sizes[pick(11)];
            std::string base(static_cast<size_t>(size), '\0');
            for (char& c : base) c = static_cast<char>('a' + pick(3));
            const int members = pick(8) == 0 ? 20 + pick(60) : 1 + pick(5);
            const bool allSame = pick(4) == 0;
            for (int m = 0; m < members; ++m) {
                std::string content = base;
                const int kind = allSame ? 0 : pick(4);  // 0, 1: same; 2: differs early; 3: differs late
                if (size > 0 && kind >= 2) {
                    size_t at = kind == 2 ? static_cast<size_t>(pick(static_cast<int>(std::min<int64_t>(size, 64))))
                                          : static_cast<size_t>(size - 1 - pick(static_cast<int>(std::min<int64_t>(size, 8))));
                    content[at] = static_cast<char>('A' + pick(3));
                }
                const std::string name = "f" + std::to_string(made++) + (pick(2) ? ".dat" : ".bin");
                std::string path = folders[static_cast<size_t>(pick(3))] + name;
                std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
                written.push_back(path);
                if (pick(10) == 0) {
                    std::error_code ignored;
                    std::filesystem::create_hard_link(path, folders[static_cast<size_t>(pick(3))] + "h" + name, ignored);
                }
            }
        }
    }

    Outcome run(bool useReference, int stopAfter, const std::vector<std::string>& vanish) {
        slFoldersToScan = folders;
        std::unique_ptr<TFILELIST> files;
        EXPECT_TRUE(CollectFiles(files));
        for (const std::string& path : vanish) std::filesystem::rename(path, path + ".away");
        RecordingProgress progress(stopAfter);
        auto results = useReference ? reference::FindDuplicates(*files, &progress) : FindDuplicates(*files, &progress);
        for (const std::string& path : vanish) std::filesystem::rename(path + ".away", path);
        Outcome o;
        for (int k = 0; k < results->Count(); ++k)
            o.items.emplace_back((*results)[k]->Group, (*files)[(*results)[k]->FileIndex]->FullPath());
        for (int k = 0; k < files->Count(); ++k) o.catalogue.push_back((*files)[k]->FullPath());
        o.steps = progress.steps;
        o.created = progress.created;
        o.remaining = progress.remaining;
        o.freeable = reference::FreeableSpace(*results, *files);
        EXPECT_EQ(FreeableSpace(*results, *files), o.freeable);
        return o;
    }

    std::vector<std::string> folders;
    std::vector<std::string> written;
};

// Natively four runs of 500 catalogues each; under Wine each catalogue costs
// far more, so fewer.
class EquivalenceRun : public Equivalence, public ::testing::WithParamInterface<int> {};

TEST_P(EquivalenceRun, RandomCataloguesGiveTheSameAnswers) {
    std::mt19937 random(20261207 + static_cast<unsigned>(GetParam()));
    int groupsSeen = 0;
#ifdef _WIN32
    const int trials = 12;
#elif defined(__SANITIZE_ADDRESS__)
    const int trials = 400;  // each check of a file against its listing costs more under the sanitizers
#else
    const int trials = 500;
#endif
    const TDETECTIONLIMITS saved = DetectionLimits;
    for (int trial = 0; trial < trials; ++trial) {
        // Small limits now and then, so files are closed and opened again
        // mid-comparison and blocks are kept only as hashes.
        DetectionLimits = trial % 3 == 0 ? TDETECTIONLIMITS{3, 1024} : saved;
        TempFolder tree;
        written.clear();
        makeCatalogue(random, tree);
        bEnableAdvanced = trial % 2 == 1;
        bNotDeleteLastCopy = trial % 3 != 2;
        lStandartBufferSize = 1 + static_cast<int32_t>(trial % 4);
        lAdvancedBufferSize = 1 + static_cast<int32_t>(trial % 3);
        std::vector<std::string> vanish;
        if (trial % 4 == 3)
            for (size_t k = 0; k < written.size(); k += 5) vanish.push_back(written[k]);
        const int stopAfter = trial % 6 == 5 ? static_cast<int>(written.size() / 2) + 1 : -1;

        Outcome mine = run(false, stopAfter, vanish);
        Outcome literal = run(true, stopAfter, vanish);
        SCOPED_TRACE("trial " + std::to_string(trial));
        EXPECT_EQ(mine.items, literal.items);
        EXPECT_EQ(mine.catalogue, literal.catalogue);
        EXPECT_EQ(mine.steps, literal.steps);
        EXPECT_EQ(mine.created, literal.created);
        EXPECT_EQ(mine.remaining, literal.remaining);
        EXPECT_EQ(mine.freeable, literal.freeable);
        if (!mine.items.empty()) groupsSeen += mine.items.back().first;
    }
    DetectionLimits = saved;
    EXPECT_GT(groupsSeen, trials);  // the catalogues did have duplicates to find
}

INSTANTIATE_TEST_SUITE_P(Seeds, EquivalenceRun, ::testing::Range(0, 4));

}  // namespace
