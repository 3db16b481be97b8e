// Finding what changed on the canvas: exactly the tiles touched, in runs,
// including the changes a weak signature would miss.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/CanvasChanges.h"

namespace {

using Rect = CanvasChanges::Rect;

// A 200 x 40 canvas (a narrow last column and row of tiles) in rows of 208
// pixels, the padding of which is not the canvas.
struct Picture {
    static constexpr int kWidth = 200, kHeight = 40, kStride = 208;
    std::vector<uint32_t> px = std::vector<uint32_t>(size_t(kStride) * kHeight);
    Picture() {
        uint32_t seed = 5;
        for (auto& p : px) p = 0xFF000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
    }
    uint32_t& at(int x, int y) { return px[size_t(y) * kStride + size_t(x)]; }
};

}  // namespace

TEST(CanvasChanges, ReportsTheRunsOfTilesThatChanged) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> pixels;  // each xor-ed with 1
        std::vector<Rect> expected;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, {}},
        {"the first pixel", {{0, 0}}, {{0, 0, 64, 16}}},
        {"the narrow corner tile", {{199, 39}}, {{192, 32, 200, 40}}},
        {"two neighbours make one run", {{63, 20}, {64, 31}}, {{0, 16, 128, 32}}},
        {"two far apart stay two", {{1, 1}, {150, 2}}, {{0, 0, 64, 16}, {128, 0, 192, 16}}},
        // Words 0 and 4 of a row feed the same chain: the same change to
        // both must not cancel out, nor the same change a row apart.
        {"the same change twice in a row's chain", {{0, 5}, {8, 5}}, {{0, 0, 64, 16}}},
        {"the same change twice a row apart", {{70, 5}, {70, 6}}, {{64, 0, 128, 16}}},
        {"padding beyond the width", {{203, 3}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p;
        CanvasChanges changes;
        changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride);
        for (const auto& [x, y] : c.pixels) p.at(x, y) ^= 1;
        EXPECT_EQ(changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride), c.expected);
    }
}

TEST(CanvasChanges, AMovedOrSwappedPictureIsAChange) {
    Picture p;
    CanvasChanges changes;
    changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride);
    // Two rows of a tile swapped: the same pixels, in another order.
    for (int x = 64; x < 128; ++x) std::swap(p.at(x, 17), p.at(x, 18));
    EXPECT_EQ(changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride),
              (std::vector<Rect>{{64, 16, 128, 32}}));
    // Two pixels of a row swapped.
    std::swap(p.at(130, 0), p.at(131, 0));
    EXPECT_EQ(changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride),
              (std::vector<Rect>{{128, 0, 192, 16}}));
}

TEST(CanvasChanges, EverythingIsNewAtFirstAfterAResizeAndWhenForgotten) {
    Picture p;
    CanvasChanges changes;
    const std::vector<Rect> whole = {{0, 0, Picture::kWidth, Picture::kHeight}};
    EXPECT_EQ(changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride), whole);
    EXPECT_TRUE(changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride).empty());
    changes.forget();
    EXPECT_EQ(changes.update(p.px.data(), Picture::kWidth, Picture::kHeight, Picture::kStride), whole);
    EXPECT_EQ(changes.update(p.px.data(), 100, 20, Picture::kStride), (std::vector<Rect>{{0, 0, 100, 20}}));
    EXPECT_TRUE(changes.update(nullptr, 100, 20, Picture::kStride).empty());
    EXPECT_EQ(changes.update(p.px.data(), 100, 20, Picture::kStride), (std::vector<Rect>{{0, 0, 100, 20}}));
}
