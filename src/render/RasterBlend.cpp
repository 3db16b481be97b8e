#include "render/RasterBlend.h"

#if defined(__x86_64__) || defined(__i386__)
#define ZARVEX_X86 1
#include <immintrin.h>
#endif

namespace raster {

void blendRowScalar(uint32_t* p, size_t n, const Blend& b) {
    for (size_t i = 0; i < n; ++i) p[i] = b.apply(p[i]);
}

#ifdef ZARVEX_X86

namespace {

bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

// Each pixel's bytes B, G, R, X widen to 16-bit lanes; per lane
// v = inverse * canvas + alpha * source <= 255 * 255, then v / 255 by
// div255's multiply and shift. The fourth lane is forced back to 0xff.
struct Sse2Blend {
    __m128i inverse, source, magic, opaque, zero;
    explicit Sse2Blend(const Blend& b)
        : inverse(_mm_set1_epi64x(static_cast<long long>(b.inverseLanes))),
          source(_mm_set1_epi64x(static_cast<long long>(b.sourceLanes))),
          magic(_mm_set1_epi16(static_cast<short>(0x8081))),
          opaque(_mm_set1_epi32(static_cast<int>(0xff000000u))),
          zero(_mm_setzero_si128()) {}
    __m128i operator()(__m128i v) const {
        __m128i lo = _mm_unpacklo_epi8(v, zero);
        __m128i hi = _mm_unpackhi_epi8(v, zero);
        lo = _mm_add_epi16(_mm_mullo_epi16(lo, inverse), source);
        hi = _mm_add_epi16(_mm_mullo_epi16(hi, inverse), source);
        lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, magic), 7);
        hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, magic), 7);
        return _mm_or_si128(_mm_packus_epi16(lo, hi), opaque);
    }
};

// The last, partial block of a row is handled by one more full block that
// ends with the row; it is computed from the pixels as they were before the
// main loop wrote the blocks it overlaps, so no pixel is blended twice.
void blendSse2(uint32_t* p, size_t n, const Blend& b) {
    if (n < 4) {
        blendRowScalar(p, n, b);
        return;
    }
    const Sse2Blend blend(b);
    const __m128i last = blend(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 4)));
    for (size_t i = 0; i + 4 <= n; i += 4) {
        __m128i* q = reinterpret_cast<__m128i*>(p + i);
        _mm_storeu_si128(q, blend(_mm_loadu_si128(q)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 4), last);
}

struct Avx2Lanes {
    __m256i inverse, source, magic, opaque, zero;
};

__attribute__((target("avx2"))) inline __m256i blend8(__m256i v, const Avx2Lanes& k) {
    __m256i lo = _mm256_unpacklo_epi8(v, k.zero);
    __m256i hi = _mm256_unpackhi_epi8(v, k.zero);
    lo = _mm256_add_epi16(_mm256_mullo_epi16(lo, k.inverse), k.source);
    hi = _mm256_add_epi16(_mm256_mullo_epi16(hi, k.inverse), k.source);
    lo = _mm256_srli_epi16(_mm256_mulhi_epu16(lo, k.magic), 7);
    hi = _mm256_srli_epi16(_mm256_mulhi_epu16(hi, k.magic), 7);
    return _mm256_or_si256(_mm256_packus_epi16(lo, hi), k.opaque);
}

// n >= 8.
__attribute__((target("avx2"))) void blendAvx2(uint32_t* p, size_t n, const Blend& b) {
    const Avx2Lanes k{_mm256_set1_epi64x(static_cast<long long>(b.inverseLanes)),
                      _mm256_set1_epi64x(static_cast<long long>(b.sourceLanes)),
                      _mm256_set1_epi16(static_cast<short>(0x8081)),
                      _mm256_set1_epi32(static_cast<int>(0xff000000u)), _mm256_setzero_si256()};
    const __m256i last = blend8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + n - 8)), k);
    for (size_t i = 0; i + 8 <= n; i += 8) {
        __m256i* q = reinterpret_cast<__m256i*>(p + i);
        _mm256_storeu_si256(q, blend8(_mm256_loadu_si256(q), k));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + n - 8), last);
    // Leave no dirty upper halves behind: they would slow down every SSE
    // instruction the caller runs next.
    _mm256_zeroupper();
}

void fillSse2(uint32_t* p, size_t n, uint32_t px) {
    if (n < 4) {
        for (size_t i = 0; i < n; ++i) p[i] = px;
        return;
    }
    const __m128i v = _mm_set1_epi32(static_cast<int>(px));
    for (size_t i = 0; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 4), v);
}

// n >= 8.
__attribute__((target("avx2"))) void fillAvx2(uint32_t* p, size_t n, uint32_t px) {
    const __m256i v = _mm256_set1_epi32(static_cast<int>(px));
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 8), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 16), v);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 24), v);
    }
    for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + n - 8), v);
    _mm256_zeroupper();
}

}  // namespace

bool blendRowSse2(uint32_t* p, size_t n, const Blend& b) {
    blendSse2(p, n, b);
    return true;
}

bool blendRowAvx2(uint32_t* p, size_t n, const Blend& b) {
    if (!haveAvx2()) return false;
    if (n < 8)
        blendSse2(p, n, b);
    else
        blendAvx2(p, n, b);
    return true;
}

void blendRow(uint32_t* p, size_t n, const Blend& b) {
    if (n >= 8 && haveAvx2())
        blendAvx2(p, n, b);
    else
        blendSse2(p, n, b);
}

void fillRow(uint32_t* p, size_t n, uint32_t px) {
    if (n >= 8 && haveAvx2())
        fillAvx2(p, n, px);
    else
        fillSse2(p, n, px);
}

#else

bool blendRowSse2(uint32_t*, size_t, const Blend&) { return false; }
bool blendRowAvx2(uint32_t*, size_t, const Blend&) { return false; }
void blendRow(uint32_t* p, size_t n, const Blend& b) { blendRowScalar(p, n, b); }
void fillRow(uint32_t* p, size_t n, uint32_t px) {
    for (size_t i = 0; i < n; ++i) p[i] = px;
}

#endif

}  // namespace raster
