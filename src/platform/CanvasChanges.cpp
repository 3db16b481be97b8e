#include "platform/CanvasChanges.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Each step is a bijection of the chain for a given word and of the word
// for a given chain, so one differing word always leaves a differing chain.
inline uint64_t mix(uint64_t chain, uint64_t word) {
    chain = (chain ^ word) * 0x9E3779B97F4A7C15ull;  // odd: invertible
    return chain ^ (chain >> 32);  // brings the well-mixed high half down
}

inline uint64_t twoPixels(const uint32_t* p) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

}  // namespace

const std::vector<CanvasChanges::Rect>& CanvasChanges::update(const uint32_t* pixels, int width, int height,
                                                              int stride) {
    changed_.clear();
    if (!pixels || width <= 0 || height <= 0 || stride < width) {
        forget();
        return changed_;
    }
    const int across = (width + kTileWidth - 1) / kTileWidth;
    const int down = (height + kTileHeight - 1) / kTileHeight;
    const bool whole = width != width_ || height != height_;
    if (whole) {
        tiles_.assign(size_t(across) * size_t(down), Signature{});
        width_ = width, height_ = height;
        changed_.push_back({0, 0, width, height});
    }
    row_.resize(size_t(across));
    for (int ty = 0; ty < down; ++ty) {
        const int y0 = ty * kTileHeight, y1 = std::min(height, y0 + kTileHeight);
        // Rows are signed one after another, each tile's part of a row
        // continuing its four chains: the canvas is read in order.
        std::fill(row_.begin(), row_.end(), Signature{{1, 2, 3, 4}});
        for (int y = y0; y < y1; ++y) {
            const uint32_t* line = pixels + std::ptrdiff_t(y) * stride;
            for (int t = 0; t < across; ++t) {
                const int x = t * kTileWidth, n = std::min(kTileWidth, width - x);
                const uint32_t* p = line + x;
                uint64_t* c = row_[size_t(t)].chain;
                uint64_t c0 = c[0], c1 = c[1], c2 = c[2], c3 = c[3];
                int i = 0;
                for (; i + 8 <= n; i += 8) {
                    c0 = mix(c0, twoPixels(p + i));
                    c1 = mix(c1, twoPixels(p + i + 2));
                    c2 = mix(c2, twoPixels(p + i + 4));
                    c3 = mix(c3, twoPixels(p + i + 6));
                }
                c[0] = c0, c[1] = c1, c[2] = c2, c[3] = c3;
                // A narrow last tile: what is left, a pixel or two a word.
                for (int k = 0; i < n; i += 2, ++k) {
                    const uint64_t w = i + 1 < n ? twoPixels(p + i) : uint64_t(p[i]);
                    c[k] = mix(c[k], w);
                }
            }
        }
        Signature* kept = tiles_.data() + size_t(ty) * size_t(across);
        const auto differs = [&](int t) {
            return std::memcmp(kept[t].chain, row_[size_t(t)].chain, sizeof(Signature)) != 0;
        };
        for (int t = 0; t < across;) {
            if (!differs(t)) {
                ++t;
                continue;
            }
            int end = t;
            for (; end < across && differs(end); ++end) kept[end] = row_[size_t(end)];
            if (!whole) changed_.push_back({t * kTileWidth, y0, std::min(width, end * kTileWidth), y1});
            t = end;
        }
    }
    return changed_;
}
