// Finding what changed on the canvas: exactly the tiles touched, in runs,
// including the changes a weak signature would miss.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/CanvasChanges.h"

namespace {

using Rect = CanvasChanges::Rect;
// A 200 x 40 canvas (a narrow last column and row of tiles) in rows of 208
// pixels, the padding of which is not the canvas.
constexpr int kWidth = 200, kHeight = 40, kStride = 208;

std::vector<uint32_t> noise() {
    std::vector<uint32_t> px(size_t(kStride) * kHeight);
    uint32_t seed = 5;
    for (auto& p : px) p = 0xFF000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
    return px;
}

}  // namespace

TEST(CanvasChanges, ReportsTheRunsOfTilesThatChanged) {
    // An edit {x, y, -1, -1} flips a bit of pixel (x, y); {x, y, x2, y2}
    // swaps two pixels: the same pixels in another order.
    struct Case {
        const char* name;
        std::vector<std::array<int, 4>> edits;
        std::vector<Rect> expected;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, {}},
        {"the first pixel", {{0, 0, -1, -1}}, {{0, 0, 64, 16}}},
        {"the narrow corner tile", {{199, 39, -1, -1}}, {{192, 32, 200, 40}}},
        {"two neighbours make one run", {{63, 20, -1, -1}, {64, 31, -1, -1}}, {{0, 16, 128, 32}}},
        {"two far apart stay two", {{1, 1, -1, -1}, {150, 2, -1, -1}}, {{0, 0, 64, 16}, {128, 0, 192, 16}}},
        // Words 0 and 4 of a row feed the same chain: the same change to
        // both must not cancel out, nor the same change a row apart.
        {"the same change twice in a row's chain", {{0, 5, -1, -1}, {8, 5, -1, -1}}, {{0, 0, 64, 16}}},
        {"the same change twice a row apart", {{70, 5, -1, -1}, {70, 6, -1, -1}}, {{64, 0, 128, 16}}},
        {"two pixels of a row swapped", {{130, 0, 131, 0}}, {{128, 0, 192, 16}}},
        {"two pixels of a column swapped", {{70, 17, 70, 18}}, {{64, 16, 128, 32}}},
        {"padding beyond the width", {{203, 3, -1, -1}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> px = noise();
        const auto at = [&](int x, int y) -> uint32_t& { return px[size_t(y) * kStride + size_t(x)]; };
        CanvasChanges changes;
        changes.update(px.data(), kWidth, kHeight, kStride);
        for (const auto& [x, y, x2, y2] : c.edits) x2 < 0 ? void(at(x, y) ^= 1) : std::swap(at(x, y), at(x2, y2));
        EXPECT_EQ(changes.update(px.data(), kWidth, kHeight, kStride), c.expected);
    }
}

TEST(CanvasChanges, EverythingIsNewAtFirstAfterAResizeAndWhenForgotten) {
    const std::vector<uint32_t> px = noise();
    CanvasChanges changes;
    const auto update = [&](const uint32_t* p, int w, int h) { return changes.update(p, w, h, kStride); };
    const std::vector<Rect> whole = {{0, 0, kWidth, kHeight}}, small = {{0, 0, 100, 20}};
    EXPECT_EQ(update(px.data(), kWidth, kHeight), whole);
    EXPECT_TRUE(update(px.data(), kWidth, kHeight).empty());
    changes.forget();
    EXPECT_EQ(update(px.data(), kWidth, kHeight), whole);
    EXPECT_EQ(update(px.data(), 100, 20), small);
    EXPECT_TRUE(update(nullptr, 100, 20).empty());
    EXPECT_EQ(update(px.data(), 100, 20), small);
}
