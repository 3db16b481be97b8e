#include <gtest/gtest.h>

#include <limits>
#include <set>

#include "core/Numeric.h"
#include "core/Random.h"

TEST(Numeric, RoundsHalfToEvenAndSaturates) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(6.5), 6);   // the level-1 sky red
    EXPECT_EQ(roundHalfEven(9.5), 10);  // the level-3 sky red
    EXPECT_EQ(roundHalfEven(0.49999999999999994), 0);
    EXPECT_EQ(roundHalfEven(-0.4), 0);
    EXPECT_EQ(roundHalfEven(1e300), 9'000'000'000'000'000'000);
    EXPECT_EQ(roundHalfEven(-std::numeric_limits<double>::infinity()), -9'000'000'000'000'000'000);
    EXPECT_EQ(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(SeededRandomTest, StaysInRangeHitsBothEndsAndRepeatsForASeed) {
    SeededRandom a(42), b(42);
    std::set<int64_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const int64_t v = a.range(0, 10);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 10);
        seen.insert(v);
        EXPECT_EQ(v, b.range(0, 10));
    }
    EXPECT_EQ(seen.size(), 11u);
    EXPECT_EQ(a.range(5, 5), 5);
    EXPECT_EQ(a.range(7, 3), 7);  // an empty range yields its low end
    const int64_t big = a.range(INT64_MIN, INT64_MAX);
    (void)big;
}
