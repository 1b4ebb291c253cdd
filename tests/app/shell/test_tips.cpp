#include "app/shell/tips.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string record(const std::string& text) {
    return std::string("\x01\x02\x03\x04", 4) + static_cast<char>(text.size()) + text;
}

}  // namespace

TEST(Tips, RecordsAreCountedWholeAndReadByIndex) {
    const std::string three = record("first") + record("") + record("last\r\nline");
    struct Case {
        std::string bytes;
        int32_t count;
        std::vector<std::string> texts;
    } cases[] = {
        {three, 3, {"first", "", "last\r\nline"}},
        {"", 0, {}},
        {std::string(4, '\0'), 0, {}},
        {record("whole") + std::string("\0\0\0\0\x09" "cut", 8), 1, {"whole"}},  // the last one cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountTips(c.bytes), c.count);
        for (size_t k = 0; k < c.texts.size(); ++k) EXPECT_EQ(TipText(c.bytes, static_cast<int32_t>(k)), c.texts[k]);
        EXPECT_EQ(TipText(c.bytes, c.count), "");
        EXPECT_EQ(TipText(c.bytes, -1), "");
    }
}

TEST(Tips, TheShippedFileHoldsItsTips) {
    std::ifstream in(VARNOK_TIPS_FILE, std::ios::binary);
    ASSERT_TRUE(in) << VARNOK_TIPS_FILE;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const int32_t count = CountTips(bytes.str());
    EXPECT_GE(count, 15);
    for (int32_t k = 0; k < count; ++k) EXPECT_FALSE(TipText(bytes.str(), k).empty()) << k;
}
