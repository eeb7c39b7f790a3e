// The link labels' background: one colour per row through light grey, white and silver.
#include <gtest/gtest.h>

#include "info/gradient.h"

namespace {

using info::gradientRowColour;

constexpr quote::Colour grey(unsigned level) {
    return quote::rgb(level, level, level);
}

TEST(GradientRowColour, FollowsTheThreeColoursRowByRow) {
    struct Case {
        int y;
        int height;
        quote::Colour expected;
        const char* why;
    } cases[] = {
        {0, 0, grey(236), "no rows: half height 0 gives the top colour"},
        {0, 1, grey(236), "one row: half height 0"},
        {5, 1, grey(236), "half height 0 whatever the row"},
        {0, 16, grey(236), "first row"},
        {4, 16, grey(245), "236 + 4/8 * 19 = 245.5, cut"},
        {8, 16, grey(255), "middle row is white"},
        {12, 16, grey(223), "255 - 4/8 * 63 = 223.5 is cut as a whole, not 255 - 31"},
        {15, 16, grey(199), "last row: 255 - 7/8 * 63 = 199.875"},
        {16, 16, grey(192), "past the end: third colour"},
        {16, 17, grey(192), "odd height: row 16 is already the third band"},
        {15, 17, grey(199), "odd height: half height 8 as for 16"},
        {1, 6, grey(242), "236 + 19/3 = 242.33"},
        {4, 6, grey(234), "255 - 63/3 is exactly 234, with no floating-point shortfall"},
        {5, 6, grey(213), "255 - 2/3 * 63 = 213"},
        {-1, 16, grey(236), "a row above the area takes the top colour"},
        {3, -4, grey(236), "a negative height counts as no rows"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gradientRowColour(c.y, c.height), c.expected)
            << "row " << c.y << " of " << c.height << ": " << c.why;
    }
}

}  // namespace
