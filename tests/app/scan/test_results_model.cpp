#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "app/scan/detection.h"

namespace {

// A catalogue of named records and groups given as lists of slot numbers.
struct Model {
    TFILELIST files;
    TRESULTS results;

    Model(std::vector<std::pair<std::string, int64_t>> records, std::vector<std::vector<int>> groups) {
        for (auto& [name, size] : records) {
            platform::FindData d;
            d.Name = name;
            d.Size = size;
            files.Add(std::make_unique<TFILEINFO>(0, d));
        }
        for (auto& g : groups) {
            results.NewGroup();
            for (int slot : g) results.AddToGroup(slot);
        }
    }

    std::string entries() const {
        std::string out;
        for (int i = 0; i < results.Count(); ++i) {
            if (!out.empty()) out += ' ';
            out += std::to_string(results[i]->Group) + ":" + std::string(files[results[i]->FileIndex]->Name());
        }
        return out;
    }
};

TEST(ResultsModel, GroupLabelIsTheCommonNameOrTheNumber) {
    Model m({{"a.txt", 1}, {"a.txt", 1}, {"A.TXT", 1}, {"b", 2}, {"b", 2}, {"x", 3}, {"y", 3}, {"x", 3}},
            {{0, 1, 2}, {3, 4}, {5, 6, 7}});
    EXPECT_EQ(m.results.GroupLabel(1, m.files), "Group N 1");
    EXPECT_EQ(m.results.GroupLabel(2, m.files), "b");
    EXPECT_EQ(m.results.GroupLabel(3, m.files), "Group N 3");  // once different, never the name again
    EXPECT_EQ(m.results.GroupLabel(12, m.files), "Group N 12");
    EXPECT_EQ(m.results.GroupSize(1), 3);
    EXPECT_EQ(m.results.GroupSize(9), 0);
    EXPECT_EQ(m.results.EntryFile(m.files, 3)->Name(), "b");
    m.files.Delete(3);
    EXPECT_EQ(m.results.EntryFile(m.files, 3), nullptr);
}

TEST(ResultsModel, FreeableSpaceCountsEveryGroup) {
    Model m({{"a", 100}, {"a", 100}, {"b", 100}, {"b", 100}, {"b", 100}}, {{0, 1}, {2, 3, 4}});
    bNotDeleteLastCopy = true;
    EXPECT_EQ(m.results.FreeableSpace(m.files), 300);
    bNotDeleteLastCopy = false;
    EXPECT_EQ(m.results.FreeableSpace(m.files), 500);
    bNotDeleteLastCopy = true;
}

TEST(ResultsModel, DeletingOneOfTwoDropsTheWholeGroup) {
    Model m({{"keep1", 5}, {"keep2", 5}, {"lone", 9}, {"gone", 9}, {"other", 1}}, {{0, 1}, {2, 3}});
    m.files[3]->Deleted = true;
    m.results.Purge(m.files);
    EXPECT_EQ(m.entries(), "1:keep1 1:keep2");
    ASSERT_EQ(m.files.Count(), 3);
    EXPECT_EQ(m.files[2]->Name(), "other");  // not in any group, never touched
}

TEST(ResultsModel, CompactRenumbersToTheSameFiles) {
    Model m({{"f0", 1}, {"f1", 1}, {"f2", 2}, {"f3", 2}, {"f4", 2}, {"f5", 3}, {"f6", 1}}, {{0, 1, 6}, {2, 4}});
    m.files.Delete(3);
    m.files.Delete(5);
    m.results.Compact(m.files);
    std::vector<int> indexes;
    for (int i = 0; i < m.results.Count(); ++i) indexes.push_back(m.results[i]->FileIndex);
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 4, 2, 3}));
    EXPECT_EQ(m.entries(), "1:f0 1:f1 1:f6 2:f2 2:f4");
}

TEST(ResultsModel, PurgeAfterRandomDeletions) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 200; ++trial) {
        const int fileCount = 5 + static_cast<int>(random() % 40);
        std::vector<std::pair<std::string, int64_t>> records;
        for (int f = 0; f < fileCount; ++f) records.push_back({"f" + std::to_string(f), f});
        // Groups of 2 to 5 distinct slots; some slots stay out of every group.
        std::vector<int> slots(static_cast<size_t>(fileCount));
        for (int f = 0; f < fileCount; ++f) slots[static_cast<size_t>(f)] = f;
        std::shuffle(slots.begin(), slots.end(), random);
        std::vector<std::vector<int>> groups;
        for (size_t at = 0; at + 2 <= slots.size() && random() % 5;) {
            size_t n = std::min<size_t>(2 + random() % 4, slots.size() - at);
            if (n < 2) break;
            groups.emplace_back(slots.begin() + static_cast<long>(at), slots.begin() + static_cast<long>(at + n));
            at += n;
        }
        {
            // Every group is found where it lies, also with empty slots about it.
            Model m(records, groups);
            std::vector<int32_t> sizes;
            for (auto& g : groups) sizes.push_back(static_cast<int32_t>(g.size()));
            for (int i = 0; i < m.results.Count(); ++i)
                if (random() % 4 == 0) {
                    --sizes[static_cast<size_t>(m.results[i]->Group - 1)];
                    m.results.Delete(i);
                }
            for (size_t g = 0; g < groups.size(); ++g) {
                const int32_t number = static_cast<int32_t>(g + 1);
                ASSERT_EQ(m.results.GroupSize(number), sizes[g]) << "trial " << trial << " group " << number;
                EXPECT_EQ(m.results.GroupLabel(number, m.files).substr(0, 1), sizes[g] == 1 ? "f" : "G");
            }
            EXPECT_EQ(m.results.GroupSize(static_cast<int32_t>(groups.size() + 1)), 0);
        }
        Model m(records, groups);
        std::set<std::string> deleted;
        for (int f = 0; f < fileCount; ++f)
            if (random() % 3 == 0) {
                m.files[f]->Deleted = true;
                deleted.insert("f" + std::to_string(f));
            }
        // What must survive: groups keep their non-deleted members if two or more remain.
        std::vector<std::string> expectedEntries;
        std::set<std::string> dropped = deleted;
        for (size_t g = 0; g < groups.size(); ++g) {
            std::vector<std::string> alive;
            for (int slot : groups[g])
                if (!deleted.count("f" + std::to_string(slot))) alive.push_back("f" + std::to_string(slot));
            if (alive.size() == 1) dropped.insert(alive[0]);
            if (alive.size() >= 2)
                for (auto& name : alive) expectedEntries.push_back(std::to_string(g + 1) + ":" + name);
        }
        std::set<std::string> grouped;
        for (auto& g : groups)
            for (int slot : g) grouped.insert("f" + std::to_string(slot));

        m.results.Purge(m.files);

        std::string expected;
        for (auto& e : expectedEntries) expected += (expected.empty() ? "" : " ") + e;
        ASSERT_EQ(m.entries(), expected) << "trial " << trial;
        std::vector<std::string> names;
        for (int f = 0; f < m.files.Count(); ++f) {
            ASSERT_NE(m.files[f], nullptr);
            names.emplace_back(m.files[f]->Name());
        }
        std::vector<std::string> expectedNames;
        // Deleted files outside every group are not the results' to purge.
        for (int f = 0; f < fileCount; ++f) {
            std::string name = "f" + std::to_string(f);
            if (!(grouped.count(name) && dropped.count(name))) expectedNames.push_back(name);
        }
        ASSERT_EQ(names, expectedNames) << "trial " << trial;
        for (int i = 0; i < m.results.Count(); ++i) EXPECT_GE(m.results.GroupSize(m.results[i]->Group), 2);
    }
}

}  // namespace
