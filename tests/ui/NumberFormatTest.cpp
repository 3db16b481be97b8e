#include <gtest/gtest.h>

#include "ScriptedPlatform.h"
#include "ui/NumberFormat.h"

TEST(NumberFormat, FollowsTheLocaleSeparator) {
    ScriptedPlatform platform;
    platform.groupSeparator = ",";
    EXPECT_EQ(formatNumber(platform, 10000), "10,000");
    EXPECT_EQ(formatNumber(platform, 1234567), "1,234,567");
    EXPECT_EQ(formatNumber(platform, 999), "999");
    EXPECT_EQ(formatNumber(platform, 0), "0");
    platform.groupSeparator = ".";
    EXPECT_EQ(formatNumber(platform, 10000), "10.000");
    EXPECT_EQ(formatNumber(platform, -1000), "-1.000");
}
