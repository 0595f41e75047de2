// Rectangle rules shared by the filter, the selection and overlay hiding,
// at the ends of the 32-bit range where a 32-bit sum or difference wraps.
#include <gtest/gtest.h>

#include <climits>

#include "settings/geometry.h"

namespace {

TEST(Geometry, CentreAndSizesDoNotWrap) {
    const RECT extreme{LONG_MIN, 0, -100, 500};  // loads: it overlaps the left monitor
    EXPECT_EQ(rectCentre(extreme).x, -1073741874);  // far left of every monitor
    EXPECT_EQ(rectCentre(extreme).y, 250);
    EXPECT_EQ(rectCentre(RECT{-3, -3, 0, 0}).x, -1) << "halved toward zero";
    EXPECT_TRUE(isUsableRegion(RECT{LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX}));
    EXPECT_FALSE(isUsableRegion(RECT{LONG_MAX, 0, LONG_MIN, 100})) << "reversed, not wide";
    EXPECT_FALSE(isUsableRegion(RECT{0, 0, 23, 24}));
    EXPECT_TRUE(isUsableRegion(RECT{0, 0, 24, 24}));
}

}  // namespace
