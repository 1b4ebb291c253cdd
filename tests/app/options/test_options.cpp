#include "app/options/options.h"

#include <gtest/gtest.h>

TEST(BufferSizeText, HalfTheUnitsInAFieldOfFive) {
    const std::pair<int32_t, const char*> cases[] = {
        {1, "  0.5 Kb"}, {3, "  1.5 Kb"}, {128, " 64.0 Kb"}, {2048, "1024.0 Kb"}};
    for (auto [units, text] : cases) EXPECT_EQ(BufferSizeText(units), text) << units;
}
