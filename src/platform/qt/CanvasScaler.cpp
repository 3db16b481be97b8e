#include "platform/qt/CanvasScaler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#define ZARVEX_SCALER_AVX2 1
#include <immintrin.h>
#endif

int wholeFactor(int from, int to) {
    if (from <= 0 || to <= from) return 1;
    return to / from;
}

CanvasScaler::Axis CanvasScaler::axis(int from, int to) {
    Axis a;
    a.index.resize(size_t(to));
    a.weight.resize(size_t(to));
    const int64_t k = wholeFactor(from, to);
    const int64_t last = int64_t(from) * k - 1;  // the enlarged picture's last pixel
    for (int i = 0; i < to; ++i) {
        // The output pixel's centre on the enlarged picture, whose pixel
        // centres sit at j + 0.5.
        const double t = (double(i) + 0.5) * double(from) * double(k) / double(to) - 0.5;
        const double fl = std::floor(t);
        int64_t j = int64_t(fl);
        double f = t - fl;
        if (j < 0) j = 0, f = 0;
        if (j >= last) j = last, f = 0;
        const int64_t s0 = j / k, s1 = (j + 1) / k;
        int w = s0 == s1 ? 0 : int(std::lround(f * 256.0));
        int64_t index = s0;
        // The last source pixel is read as its left neighbour's partner
        // with full weight, so that no read goes past the row.
        if (w == 0 && index == from - 1 && from > 1) index = from - 2, w = 256;
        a.index[size_t(i)] = int32_t(index);
        a.weight[size_t(i)] = uint16_t(w);
    }
    return a;
}

namespace {

inline uint32_t blend(uint32_t p, uint32_t q, uint32_t w) {
    const uint32_t v = 256 - w;
    const uint32_t rb = (((p & 0xFF00FFu) * v + (q & 0xFF00FFu) * w) >> 8) & 0xFF00FFu;
    const uint32_t ag = (((p >> 8) & 0xFF00FFu) * v + ((q >> 8) & 0xFF00FFu) * w) & 0xFF00FF00u;
    return rb | ag;
}

// Output rows are written once and read next by the window system, not by
// us: for a picture larger than the caches, streaming stores skip reading
// it into the cache first, which saves a third of its memory traffic. A
// small picture is better left in the cache for the window system.
void copyRow(uint32_t* out, const uint32_t* in, int n, bool stream) {
    if (!stream) {
        std::memcpy(out, in, size_t(n) * 4);
        return;
    }
    int i = 0;
#if defined(__SSE2__)
    for (; i < n && (reinterpret_cast<uintptr_t>(out + i) & 15) != 0; ++i) out[i] = in[i];
    for (; i + 4 <= n; i += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)));
#endif
    for (; i < n; ++i) out[i] = in[i];
}

#if defined(ZARVEX_SCALER_AVX2)
// Twice the pixels a step where the processor has AVX2, with the same
// arithmetic as the SSE2 and plain code below, so the picture is the same.
bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

// blendRows's cached-store loop, 8 pixels a step; returns how many it did.
__attribute__((target("avx2"))) int blendRowsAvx2(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out,
                                                   int n) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i wb = _mm256_set1_epi16(int16_t(w)), wa = _mm256_set1_epi16(int16_t(256 - w));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i pa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
        const __m256i pb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i));
        const __m256i lo = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(pa, zero), wa),
                             _mm256_mullo_epi16(_mm256_unpacklo_epi8(pb, zero), wb)),
            8);
        const __m256i hi = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(pa, zero), wa),
                             _mm256_mullo_epi16(_mm256_unpackhi_epi8(pb, zero), wb)),
            8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

// CanvasScaler::across's smoothing loop, 4 pixels a step: each output
// pixel gathers its source pixel and the next as one 64-bit value and
// weighs them by its column's weights; returns where it stopped.
__attribute__((target("avx2"))) int acrossAvx2(const uint32_t* in, const int32_t* index, const uint16_t* weights,
                                               uint32_t* row, int i, int x1) {
    const __m256i zero = _mm256_setzero_si256();
    for (; i + 4 <= x1; i += 4) {
        // Plain loads: a gather is slower on processors that mitigate its
        // data-sampling flaw in microcode.
        const auto pair = [&](int k) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + index[k])); };
        const __m256i pairs = _mm256_set_m128i(_mm_unpacklo_epi64(pair(i + 2), pair(i + 3)),
                                               _mm_unpacklo_epi64(pair(i), pair(i + 1)));
        const __m256i w01 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + size_t(i) * 8));
        const __m256i w23 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + size_t(i + 2) * 8));
        // pairs' 64-bit parts are i, i+1 (lane 0) and i+2, i+3 (lane 1):
        // unpacklo takes i and i+2, unpackhi i+1 and i+3.
        const __m256i m0 = _mm256_mullo_epi16(_mm256_unpacklo_epi8(pairs, zero), _mm256_permute2x128_si256(w01, w23, 0x20));
        const __m256i m1 = _mm256_mullo_epi16(_mm256_unpackhi_epi8(pairs, zero), _mm256_permute2x128_si256(w01, w23, 0x31));
        const __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(m0, m1), _mm256_unpackhi_epi64(m0, m1));
        const __m256i px = _mm256_srli_epi16(sum, 8);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(px, px), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm256_castsi256_si128(packed));
    }
    return i;
}
#endif

// out = a + (b - a) * w / 256 for n pixels, channel by channel.
void blendRows(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int n, bool stream) {
    int i = 0;
#if defined(ZARVEX_SCALER_AVX2)
    if (!stream && haveAvx2()) i = blendRowsAvx2(a, b, w, out, n);
#endif
#if defined(__SSE2__)
    for (; stream && i < n && (reinterpret_cast<uintptr_t>(out + i) & 15) != 0; ++i) out[i] = blend(a[i], b[i], w);
    const __m128i zero = _mm_setzero_si128();
    const __m128i wb = _mm_set1_epi16(int16_t(w)), wa = _mm_set1_epi16(int16_t(256 - w));
    for (; i + 4 <= n; i += 4) {
        const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pa, zero), wa),
                                                        _mm_mullo_epi16(_mm_unpacklo_epi8(pb, zero), wb)),
                                          8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pa, zero), wa),
                                                        _mm_mullo_epi16(_mm_unpackhi_epi8(pb, zero), wb)),
                                          8);
        if (stream)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
        else
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i) out[i] = blend(a[i], b[i], w);
}

}  // namespace

const uint32_t* CanvasScaler::across(const uint32_t* src, int srcStride, int y, int x0, int x1) {
    for (int s = 0; s < 2; ++s)
        if (rowOf_[s] == y) return rows_[s].data();
    // Rows are asked for in order: the slot of the lower row is free.
    const int slot = rowOf_[0] <= rowOf_[1] ? 0 : 1;
    rowOf_[slot] = y;
    uint32_t* row = rows_[slot].data();
    const uint32_t* in = src + std::ptrdiff_t(y) * srcStride;
    if (dw_ == sw_) {
        std::memcpy(row + x0, in + x0, size_t(x1 - x0) * 4);
        return row;
    }
    const int32_t* index = x_.index.data();
    if (repeatAcross_) {
        for (int i = x0; i < x1; ++i) row[i] = in[index[i] + (x_.weight[size_t(i)] != 0)];
        return row;
    }
    int i = x0;
#if defined(ZARVEX_SCALER_AVX2)
    if (haveAvx2()) i = acrossAvx2(in, index, xWeights_.data(), row, i, x1);
#endif
#if defined(__SSE2__)
    // Two output pixels at a time: each reads its source pixel and the next
    // as one 64-bit load and weighs them by its column's weights.
    const __m128i zero = _mm_setzero_si128();
    const __m128i* weights = reinterpret_cast<const __m128i*>(xWeights_.data());
    for (; i + 2 <= x1; i += 2) {
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + index[i]));
        const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + index[i + 1]));
        const __m128i m0 = _mm_mullo_epi16(_mm_unpacklo_epi8(p0, zero), _mm_loadu_si128(weights + i));
        const __m128i m1 = _mm_mullo_epi16(_mm_unpacklo_epi8(p1, zero), _mm_loadu_si128(weights + i + 1));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1));
        const __m128i px = _mm_srli_epi16(sum, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), _mm_packus_epi16(px, px));
    }
#endif
    for (; i < x1; ++i) {
        const int32_t j = index[i];
        const uint32_t w = x_.weight[size_t(i)];
        row[i] = w == 0 ? in[j] : blend(in[j], in[j + 1], w);
    }
    return row;
}

void CanvasScaler::prepare(int sw, int sh, int dw, int dh) {
    if (sw == sw_ && sh == sh_ && dw == dw_ && dh == dh_) return;
    sw_ = sw, sh_ = sh, dw_ = dw, dh_ = dh;
    x_ = axis(sw, dw);
    y_ = axis(sh, dh);
    repeatAcross_ =
        dw % sw == 0 &&
        std::all_of(x_.weight.begin(), x_.weight.end(), [](uint16_t w) { return w == 0 || w == 256; });
    xWeights_.assign(size_t(dw) * 8, 0);
    for (int i = 0; i < dw; ++i)
        for (int c = 0; c < 4; ++c) {
            xWeights_[size_t(i) * 8 + size_t(c)] = uint16_t(256 - x_.weight[size_t(i)]);
            xWeights_[size_t(i) * 8 + 4 + size_t(c)] = x_.weight[size_t(i)];
        }
    for (auto& r : rows_) r.assign(size_t(dw), 0);
    stream_ = int64_t(dw) * dh > kStreamPixels;
}

CanvasScaler::Part CanvasScaler::reach(int sw, int sh, int dw, int dh, Part source) {
    prepare(sw, sh, dw, dh);
    // Output pixel i reads source pixels index[i] and index[i] + 1; the
    // indices only grow.
    const auto span = [](const Axis& a, int from, int to, int& out0, int& out1) {
        out0 = int(std::lower_bound(a.index.begin(), a.index.end(), from - 1) - a.index.begin());
        out1 = int(std::upper_bound(a.index.begin(), a.index.end(), to - 1) - a.index.begin());
    };
    Part out;
    span(x_, source.x0, source.x1, out.x0, out.x1);
    span(y_, source.y0, source.y1, out.y0, out.y1);
    return out;
}

namespace {

bool clampPart(CanvasScaler::Part& part, int dw, int dh) {
    part.x0 = std::clamp(part.x0, 0, dw), part.x1 = std::clamp(part.x1, part.x0, dw);
    part.y0 = std::clamp(part.y0, 0, dh), part.y1 = std::clamp(part.y1, part.y0, dh);
    return part.x1 > part.x0 && part.y1 > part.y0;
}

}  // namespace

void CanvasScaler::scalePart(const uint32_t* src, int sw, int sh, int srcStride, uint32_t* dst, int dw, int dh,
                             int dstStride, Part part) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    prepare(sw, sh, dw, dh);
    if (!clampPart(part, dw, dh)) return;
    scaleInto(src, srcStride, part, dst + std::ptrdiff_t(part.y0) * dstStride + part.x0, dstStride, stream_);
}

void CanvasScaler::scaleBand(const uint32_t* src, int sw, int sh, int srcStride, int dw, int dh, Part part,
                             uint32_t* band) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    prepare(sw, sh, dw, dh);
    if (!clampPart(part, dw, dh)) return;
    scaleInto(src, srcStride, part, band, part.x1 - part.x0, false);
}

void CanvasScaler::scaleInto(const uint32_t* src, int srcStride, Part part, uint32_t* first, std::ptrdiff_t outStride,
                             bool stream) {
    const int n = part.x1 - part.x0;
    // Rows are scaled across anew for each part: the canvas may have
    // changed since the last.
    rowOf_[0] = rowOf_[1] = -1;
    for (int y = part.y0; y < part.y1; ++y) {
        uint32_t* out = first + std::ptrdiff_t(y - part.y0) * outStride;
        const int j = y_.index[size_t(y)];
        const uint32_t w = y_.weight[size_t(y)];
        if (w == 0) {
            copyRow(out, across(src, srcStride, j, part.x0, part.x1) + part.x0, n, stream);
        } else if (w == 256) {
            copyRow(out, across(src, srcStride, j + 1, part.x0, part.x1) + part.x0, n, stream);
        } else {
            const uint32_t* a = across(src, srcStride, j, part.x0, part.x1) + part.x0;
            const uint32_t* b = across(src, srcStride, j + 1, part.x0, part.x1) + part.x0;
            blendRows(a, b, w, out, n, stream);
        }
    }
#if defined(__SSE2__)
    if (stream) _mm_sfence();  // the streamed rows are complete before anyone reads them
#endif
}
