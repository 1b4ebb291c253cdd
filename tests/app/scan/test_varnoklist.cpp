#include "app/scan/varnoklist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>

namespace {

int liveItems = 0;

struct Item : TLISTITEM {
    Item(int k, std::string i) : key(k), id(std::move(i)) { ++liveItems; }
    ~Item() override { --liveItems; }
    int key;
    std::string id;
};

int byKey(const TLISTITEM* a, const TLISTITEM* b) {
    int ka = static_cast<const Item*>(a)->key;
    int kb = static_cast<const Item*>(b)->key;
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

// Items written as "2a 1a 2b": the key, then an id that tells equal keys apart.
void fill(TVARNOKLIST& list, const std::string& items) {
    size_t at = 0;
    while (at < items.size()) {
        size_t end = items.find(' ', at);
        if (end == std::string::npos) end = items.size();
        std::string word = items.substr(at, end - at);
        list.Add(std::make_unique<Item>(std::stoi(word), word));
        at = end + 1;
    }
}

std::string ids(const TVARNOKLIST& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) {
        if (!out.empty()) out += ' ';
        out += list.Get(i) ? static_cast<const Item*>(list.Get(i))->id : "-";
    }
    return out;
}

TEST(VarnokList, GetAndPutCheckTheRange) {
    TVARNOKLIST list;
    EXPECT_THROW(list.Get(0), std::out_of_range);
    fill(list, "1a 2a");
    EXPECT_THROW(list.Get(-1), std::out_of_range);
    EXPECT_THROW(list.Get(2), std::out_of_range);
    EXPECT_THROW(list.Put(2, std::make_unique<Item>(9, "9")), std::out_of_range);
    EXPECT_THROW(list.Delete(2), std::out_of_range);
    list.Put(1, std::make_unique<Item>(3, "3a"));
    EXPECT_EQ(ids(list), "1a 3a");
    EXPECT_EQ(liveItems, 2);  // the replaced item was destroyed
}

TEST(VarnokList, DeleteLeavesAnEmptySlotAndPackClosesIt) {
    {
        TVARNOKLIST list;
        fill(list, "1a 2a 3a 4a 5a");
        list.Delete(1);
        list.Delete(3);
        EXPECT_EQ(list.Count(), 5);
        EXPECT_EQ(list.Get(1), nullptr);
        EXPECT_EQ(ids(list), "1a - 3a - 5a");
        EXPECT_EQ(liveItems, 3);
        list.Pack();
        EXPECT_EQ(ids(list), "1a 3a 5a");
        list.Delete(0);
        list.Delete(1);
        list.Delete(2);
        list.Pack();
        EXPECT_EQ(list.Count(), 0);
        fill(list, "7a 8a");
    }
    EXPECT_EQ(liveItems, 0);  // the list destroys what it still holds
}

// Worked by hand through the partitioning: equal keys end in this order, and
// duplicate groups are numbered in the order the sort leaves them.
TEST(VarnokList, SortOrdersEqualKeysAsWorkedByHand) {
    struct Case {
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"2a 1a 2b 1b 2c", "1b 1a 2c 2a 2b"},
        {"0a 0b 0c 0d", "0c 0d 0a 0b"},
        {"0a 0b 0c", "0c 0b 0a"},
        {"0a 0b", "0b 0a"},
        {"5a", "5a"},
        {"3a 2a 1a", "1a 2a 3a"},
    };
    for (const Case& c : cases) {
        TVARNOKLIST list;
        fill(list, c.before);
        list.Sort(byKey);
        EXPECT_EQ(ids(list), c.after) << c.before;
    }
}

struct KeyedList : TVARNOKLIST {
    int Compare(const TLISTITEM* a, const TLISTITEM* b) const override { return byKey(a, b); }
};

TEST(VarnokList, SortWithTheVirtualCompareMatchesSortWithAFunction) {
    KeyedList keyed;
    TVARNOKLIST plain;
    fill(keyed, "2a 1a 2b 1b 2c");
    fill(plain, "2a 1a 2b 1b 2c");
    keyed.Sort();
    plain.Sort(byKey);
    EXPECT_EQ(ids(keyed), ids(plain));

    TVARNOKLIST base;  // the base Compare calls everything equal
    fill(base, "2a 1a 2b 1b 2c");
    base.Sort();
    EXPECT_EQ(ids(base).size(), ids(plain).size());
}

TEST(VarnokList, SortsLargeListsOfAnyShape) {
    std::mt19937 random(7);
    for (int shape = 0; shape < 5; ++shape) {
        TVARNOKLIST list;
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            int key = shape == 0   ? static_cast<int>(random() % 1000)
                      : shape == 1 ? i
                      : shape == 2 ? n - i
                      : shape == 3 ? 42
                                   : (i % 2 ? i : -i);
            list.Add(std::make_unique<Item>(key, std::to_string(i)));
        }
        list.Sort(byKey);
        ASSERT_EQ(list.Count(), n);
        for (int i = 1; i < n; ++i)
            ASSERT_LE(static_cast<Item*>(list.Get(i - 1))->key, static_cast<Item*>(list.Get(i))->key) << shape;
    }
    EXPECT_EQ(liveItems, 0);
}

TEST(VarnokList, SearchFindsAnEqualElementOrReturnsMinusTwo) {
    TVARNOKLIST list;
    Item key(0, "key");
    EXPECT_EQ(list.Search(&key, byKey), -2);
    fill(list, "1a 3a 5a 7a 9a");
    for (int k : {1, 3, 5, 7, 9}) {
        key.key = k;
        EXPECT_EQ(list.Search(&key, byKey), k / 2);
    }
    for (int k : {0, 2, 8, 10}) {
        key.key = k;
        EXPECT_EQ(list.Search(&key, byKey), -2) << k;
    }
}

}  // namespace
