#include "common/string_list.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(StringList, EncodesNonEmptyStringsThenOneMoreZero) {
    struct Case {
        StringList list;
        std::string encoded;
    };
    const Case cases[] = {
        {{}, "\0\0"s},
        {{"", ""}, "\0"s},
        {{"a"}, "a\0\0"s},
        {{"C:\\Data\\", "", "D:\\"}, "C:\\Data\\\0D:\\\0\0"s},
    };
    for (const Case& c : cases) EXPECT_EQ(EncodeStringList(c.list), c.encoded);
}

TEST(StringList, DecodeAppendsAndStopsAtTheEndMark) {
    struct Case {
        std::string encoded;
        StringList decoded;
    };
    const std::string long300(300, 'x');
    const Case cases[] = {
        {"\0\0"s, {}},
        {"\0"s, {}},
        {""s, {}},
        {"a\0b\0\0"s, {"a", "b"}},
        {"a\0b\0\0c\0\0"s, {"a", "b"}},  // nothing after the end mark
        {"\0abc\0\0"s, {"abc"}},         // an empty first string is skipped
        {"abc"s, {"abc"}},               // unterminated: the block's end ends it
        {long300 + "\0z\0\0"s, {std::string(255, 'x'), "z"}},
    };
    for (const Case& c : cases) {
        StringList list = {"kept"};
        DecodeStringList(c.encoded, list);
        StringList expected = {"kept"};
        expected.insert(expected.end(), c.decoded.begin(), c.decoded.end());
        EXPECT_EQ(list, expected);
    }
}

TEST(StringList, RoundTrip) {
    StringList list;
    for (int i = 0; i < 50; ++i) list.push_back("C:\\Folder " + std::to_string(i) + "\\");
    StringList back;
    DecodeStringList(EncodeStringList(list), back);
    EXPECT_EQ(back, list);
}

}  // namespace
