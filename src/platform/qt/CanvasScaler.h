#pragma once
// The software scaling of the canvas to the size it is shown at, fast
// enough for a 4K screen on a small CPU. Whole-number scales repeat each
// pixel into a square (hard pixel edges); other scales are "sharp
// bilinear": as if each pixel were first repeated by the largest whole
// number that fits and the result then smoothed bilinearly to the final
// size, so pixels stay crisp and only their borders are blended. The same
// rule is what the OpenGL path's shader computes.
//
// Pixels are 32 bits of four 8-bit channels, each channel scaled on its
// own, so the byte order does not matter.
#include <cstddef>
#include <cstdint>
#include <vector>

// The whole-number enlargement that comes before the smoothing when `from`
// pixels are shown as `to`: the largest that fits, at least 1.
int wholeFactor(int from, int to);

class CanvasScaler {
public:
    // Scales src (sw x sh, `srcStride` pixels a row) into dst (dw x dh,
    // `dstStride` pixels a row).
    void scale(const uint32_t* src, int sw, int sh, int srcStride, uint32_t* dst, int dw, int dh, int dstStride) {
        scalePart(src, sw, sh, srcStride, dst, dw, dh, dstStride, {0, 0, dw, dh});
    }
    // A rectangle of the output, x0 <= x < x1, y0 <= y < y1; the rest of
    // dst is left as it is.
    struct Part {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    };
    void scalePart(const uint32_t* src, int sw, int sh, int srcStride, uint32_t* dst, int dw, int dh, int dstStride,
                   Part part);
    // The same part written to a buffer of its own, `band`, which holds its
    // rows one after another (part.x1 - part.x0 pixels a row); written
    // through the cache, for a window system that reads it at once.
    void scaleBand(const uint32_t* src, int sw, int sh, int srcStride, int dw, int dh, Part part, uint32_t* band);
    // The part of the output that source pixels [x0, x1) x [y0, y1) reach.
    Part reach(int sw, int sh, int dw, int dh, Part source);

    // The sampling of one axis: output pixel i blends source pixel
    // index[i] with index[i] + 1, weight[i]/256 of the latter.
    struct Axis {
        std::vector<int32_t> index;
        std::vector<uint16_t> weight;
    };
    static Axis axis(int from, int to);

private:
    // The output row of source row y, scaled across; two kept, since each
    // output row blends at most two neighbouring source rows.
    const uint32_t* across(const uint32_t* src, int srcStride, int y, int x0, int x1);
    void prepare(int sw, int sh, int dw, int dh);
    // Scales `part` (already within the output) with its first pixel at
    // `out`, rows `outStride` pixels apart.
    void scaleInto(const uint32_t* src, int srcStride, Part part, uint32_t* out, std::ptrdiff_t outStride,
                   bool stream);

    int sw_ = 0, sh_ = 0, dw_ = 0, dh_ = 0;
    Axis x_, y_;
    bool repeatAcross_ = false;         // a whole-number scale across
    std::vector<uint16_t> xWeights_;    // per column: 4 x (256 - w), 4 x w
    std::vector<uint32_t> rows_[2];
    int rowOf_[2] = {-1, -1};
    // Pictures larger than this are streamed past the caches.
    static constexpr int64_t kStreamPixels = 2'000'000;
    bool stream_ = false;
};
