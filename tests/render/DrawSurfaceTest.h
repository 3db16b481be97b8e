#pragma once
// Helpers shared by the drawing-surface tests: a surface over FixedText, and
// pixel sets to compare the canvas against references drawn on an unbounded
// grid.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <ostream>
#include <string>
#include <set>
#include <utility>
#include <vector>

#include "FixedText.h"
#include "render/DrawSurface.h"

constexpr int kW = DrawSurface::kWidth;
constexpr int kH = DrawSurface::kHeight;

using Pixel = std::pair<int64_t, int64_t>;  // (x, y), anywhere
using PixelSet = std::set<Pixel>;

// A set of canvas pixels as one flag per pixel: quick to build and compare
// even when it covers the whole canvas. Points off the canvas are dropped.
class Mask {
public:
    Mask() : bits_(size_t(kW) * kH, 0) {}
    Mask(const PixelSet& s) : Mask() {  // NOLINT: implicit on purpose, for EXPECT_EQ
        for (const auto& [x, y] : s) insert(x, y);
    }
    void insert(int64_t x, int64_t y) {
        if (x >= 0 && x < kW && y >= 0 && y < kH) bits_[size_t(y) * kW + size_t(x)] = 1;
    }
    void erase(int64_t x, int64_t y) {
        if (x >= 0 && x < kW && y >= 0 && y < kH) bits_[size_t(y) * kW + size_t(x)] = 0;
    }
    Mask& operator|=(const Mask& o) {
        for (size_t i = 0; i < bits_.size(); ++i) bits_[i] |= o.bits_[i];
        return *this;
    }
    bool has(int64_t x, int64_t y) const {
        return x >= 0 && x < kW && y >= 0 && y < kH && bits_[size_t(y) * kW + size_t(x)];
    }
    size_t size() const {
        size_t n = 0;
        for (uint8_t b : bits_) n += b;
        return n;
    }
    bool empty() const { return size() == 0; }
    friend bool operator==(const Mask& a, const Mask& b) { return a.bits_ == b.bits_; }
    // For failure messages: size, bounding box and the first few pixels.
    friend void PrintTo(const Mask& m, std::ostream* os) {
        size_t n = 0;
        int64_t x0 = kW, y0 = kH, x1 = -1, y1 = -1;
        std::vector<Pixel> first;
        for (int64_t y = 0; y < kH; ++y)
            for (int64_t x = 0; x < kW; ++x)
                if (m.has(x, y)) {
                    ++n;
                    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
                    if (first.size() < 8) first.push_back({x, y});
                }
        *os << n << " pixels";
        if (n) *os << " in [" << x0 << ".." << x1 << "] x [" << y0 << ".." << y1 << "], first";
        for (const auto& [x, y] : first) *os << " (" << x << "," << y << ")";
    }

private:
    std::vector<uint8_t> bits_;
};

// The first pixel where two masks differ, for failure messages.
inline std::string firstDifference(const Mask& a, const Mask& b) {
    for (int64_t y = 0; y < kH; ++y)
        for (int64_t x = 0; x < kW; ++x)
            if (a.has(x, y) != b.has(x, y))
                return "first difference at (" + std::to_string(x) + "," + std::to_string(y) + ")";
    return "no difference";
}

// The canvas pixels of a rectangle, corners included.
inline Mask rectangle(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    Mask m;
    for (int64_t y = std::max<int64_t>(y0, 0); y <= std::min<int64_t>(y1, kH - 1); ++y)
        for (int64_t x = std::max<int64_t>(x0, 0); x <= std::min<int64_t>(x1, kW - 1); ++x) m.insert(x, y);
    return m;
}

class DrawSurfaceFixture : public ::testing::Test {
protected:
    FixedText text;
    DrawSurface surface{text};

    // Paints the whole canvas in `colour` (opaque) and leaves the mode as it
    // was.
    void clear(int64_t colour) {
        const int64_t mode = surface.mode();
        surface.setMode(Default);
        surface.box(0, 0, kW, kH, colour);
        surface.setMode(DrawMode(mode));
    }

    // Every pixel whose colour differs from `background`, read from the raw
    // canvas.
    Mask changed(int64_t background) {
        const uint32_t bg = 0xff000000u | uint32_t((background & 0xff) << 16) | uint32_t(background & 0xff00) |
                            uint32_t((background >> 16) & 0xff);
        const Canvas& c = surface.canvas();
        Mask out;
        for (int y = 0; y < kH; ++y) {
            const uint32_t* row = c.pixels + y * c.stride;
            for (int x = 0; x < kW; ++x)
                if (row[x] != bg) out.insert(x, y);
        }
        return out;
    }

    // Every pixel of exactly `colour`, through pixel().
    Mask withColour(int64_t colour) const {
        Mask out;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (surface.pixel(x, y) == colour) out.insert(x, y);
        return out;
    }
};
