#pragma once
// The pixel set of a circle: the integer midpoint ellipse algorithm with both
// radii r, described row by row. Row k (0 <= k <= r, counted from the centre
// row, the same above and below) of the filled disc covers the columns
// -halfWidth(k) .. halfWidth(k) around the centre; the 1-pixel outline of the
// same algorithm covers, in that row, the columns whose distance from the
// centre column lies in outlineInner(k) .. halfWidth(k).
#include <cstdint>
#include <vector>

namespace raster {

// Radii up to this run the algorithm itself, point by point; larger ones use
// CircleRows, which gives any single row directly.
inline constexpr int64_t kIterativeRadius = 4096;

// Runs the algorithm for 0 <= r <= kIterativeRadius and stores the
// half-width of every row: out[k] for k = 0 .. r, and out[r + 1] = -1.
void midpointHalfWidths(int64_t r, std::vector<int64_t>& out);

// The first column (distance from the centre column) of the outline in a row
// whose half-width is `width` when the row one step further from the centre
// has half-width `outer` (-1 beyond the top row): the outline is the run of
// points the algorithm set in this row.
inline int64_t outlineInner(int64_t width, int64_t outer) {
    return outer < width ? outer + 1 : width;  // outer + 1 cannot overflow here
}

// The same half-widths for any radius 0 .. INT64_MAX without walking the
// circle, from the conditions the algorithm's decisions test:
// - rows above the hand-over point (region 1, where the algorithm steps x and
//   tests the midpoint (x + 1, y - 1/2)) end at the largest x with
//   x^2 + (k - 1/2)^2 < r^2;
// - rows below it (region 2, one point per row, midpoint (x + 1/2, y - 1))
//   end at the largest x with (x - 1/2)^2 + k^2 < r^2;
// - the hand-over row ends at the point where region 1 stopped.
// All arithmetic is exact in 128 bits.
class CircleRows {
public:
    explicit CircleRows(int64_t r);
    // 0 <= k <= r.
    int64_t halfWidth(int64_t k) const;

private:
    int64_t r_;
    unsigned __int128 r2_;
    int64_t handX_ = 0;  // the first point of region 2
    int64_t handY_ = 0;
};

// Exact integer square root (floor) of n < 2^126.
uint64_t isqrt(unsigned __int128 n);

}  // namespace raster
