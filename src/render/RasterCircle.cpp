#include "render/RasterCircle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace raster {

using u128 = unsigned __int128;

void midpointHalfWidths(int64_t r, std::vector<int64_t>& out) {
    out.assign(static_cast<size_t>(r) + 2, -1);
    if (r < 0) return;
    // The ellipse algorithm with rx = ry = r; decision variables are scaled
    // by 4 so that the quarter of the classic start value stays an integer.
    // For r <= 4096 every term stays below 2^51.
    const int64_t a2 = r * r;  // rx^2
    const int64_t b2 = r * r;  // ry^2
    int64_t x = 0;
    int64_t y = r;
    int64_t dx = 0;           // 2 ry^2 x
    int64_t dy = 2 * a2 * y;  // 2 rx^2 y
    // Region 1: the slope is shallower than 45 degrees; x advances every step.
    int64_t d1 = 4 * b2 - 4 * a2 * r + a2;
    while (dx < dy) {
        out[static_cast<size_t>(y)] = x;
        ++x;
        dx += 2 * b2;
        if (d1 < 0) {
            d1 += 4 * (dx + b2);
        } else {
            --y;
            dy -= 2 * a2;
            d1 += 4 * (dx - dy + b2);
        }
    }
    // Region 2: steeper than 45 degrees; y falls every step.
    int64_t d2 = b2 * (2 * x + 1) * (2 * x + 1) + 4 * a2 * (y - 1) * (y - 1) - 4 * a2 * b2;
    while (y >= 0) {
        out[static_cast<size_t>(y)] = std::max(out[static_cast<size_t>(y)], x);
        --y;
        dy -= 2 * a2;
        if (d2 > 0) {
            d2 += 4 * (a2 - dy);
        } else {
            ++x;
            dx += 2 * b2;
            d2 += 4 * (dx - dy + a2);
        }
    }
}

uint64_t isqrt(u128 n) {
    if (n < (u128(1) << 52)) {
        const uint64_t m = static_cast<uint64_t>(n);
        uint64_t s = static_cast<uint64_t>(std::sqrt(static_cast<double>(m)));
        while (s * s > m) --s;
        while ((s + 1) * (s + 1) <= m) ++s;
        return s;
    }
    u128 s = static_cast<u128>(std::sqrt(static_cast<long double>(n)));
    if (std::numeric_limits<long double>::digits < 64) {
        // A 53-bit estimate may be off by a thousand: one Newton step first.
        if (s == 0) s = 1;
        s = (s + n / s) / 2;
    }
    while (s * s > n) --s;
    while ((s + 1) * (s + 1) <= n) ++s;
    return static_cast<uint64_t>(s);
}

namespace {
// The largest y >= 0 with (y - 1/2)^2 < n, i.e. y (y - 1) < n.
int64_t belowHalf(u128 n) {
    const uint64_t t = isqrt(n);
    return static_cast<int64_t>(t + (u128(t) * (t + 1) < n ? 1 : 0));
}
}  // namespace

CircleRows::CircleRows(int64_t r) : r_(r), r2_(u128(uint64_t(r)) * uint64_t(r)) {
    if (r <= 0) return;  // a single pixel: row 0, half-width 0
    // Region 1 runs while x < y. Its points are (x, Y(x)) with Y(x) the
    // largest y with x^2 + (y - 1/2)^2 < r^2, so its last column xl is the
    // largest x with x < Y(x): x^2 + (x + 1/2)^2 < r^2, i.e. 2x^2 + x < r^2.
    auto inRegion1 = [this](int64_t x) {
        const u128 ux = static_cast<u128>(x);
        return 2 * ux * ux + ux < r2_;
    };
    int64_t xl = static_cast<int64_t>(static_cast<long double>(r) * 0.70710678118654752440L);
    xl = std::clamp<int64_t>(xl, 0, r);
    while (xl > 0 && !inRegion1(xl)) --xl;
    while (xl < r && inRegion1(xl + 1)) ++xl;
    auto columnY = [this](int64_t x) {
        const u128 ux = static_cast<u128>(x);
        return belowHalf(r2_ - ux * ux);
    };
    // The step out of region 1 moves one column right and at most one row
    // down, even where the curve itself drops by two rows there.
    const int64_t yl = columnY(xl);
    handX_ = xl + 1;
    handY_ = std::max(columnY(xl + 1), yl - 1);
}

int64_t CircleRows::halfWidth(int64_t k) const {
    if (r_ <= 0) return 0;
    const u128 uk = static_cast<u128>(k);
    const u128 m = r2_ - uk * uk;  // r^2 - k^2
    if (k > handY_) return static_cast<int64_t>(isqrt(m + uk - 1));  // x^2 <= r^2 - k^2 + k - 1
    if (k == handY_) return handX_;
    return belowHalf(m);
}

}  // namespace raster
