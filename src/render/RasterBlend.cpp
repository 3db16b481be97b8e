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

// Each pixel's bytes B, G, R, X widen to 16-bit lanes; per lane
// v = inverse * canvas + alpha * source <= 255 * 255, then v / 255 by
// div255's multiply and shift. The fourth lane is forced back to 0xff.
bool blendRowSse2(uint32_t* p, size_t n, const Blend& b) {
    const short inv = static_cast<short>(b.inverse);
    const __m128i inverse = _mm_set_epi16(0, inv, inv, inv, 0, inv, inv, inv);
    const __m128i source = _mm_set_epi16(0, short(b.red), short(b.green), short(b.blue), 0,
                                         short(b.red), short(b.green), short(b.blue));
    const __m128i magic = _mm_set1_epi16(static_cast<short>(0x8081));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xff000000u));
    const __m128i zero = _mm_setzero_si128();
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        __m128i lo = _mm_unpacklo_epi8(v, zero);
        __m128i hi = _mm_unpackhi_epi8(v, zero);
        lo = _mm_add_epi16(_mm_mullo_epi16(lo, inverse), source);
        hi = _mm_add_epi16(_mm_mullo_epi16(hi, inverse), source);
        lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, magic), 7);
        hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, magic), 7);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i),
                         _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
    }
    blendRowScalar(p + i, n - i, b);
    return true;
}

__attribute__((target("avx2"))) static void blendAvx2Kernel(uint32_t* p, size_t n, const Blend& b) {
    const short inv = static_cast<short>(b.inverse);
    const short r = short(b.red), g = short(b.green), bl = short(b.blue);
    const __m256i inverse =
        _mm256_set_epi16(0, inv, inv, inv, 0, inv, inv, inv, 0, inv, inv, inv, 0, inv, inv, inv);
    const __m256i source = _mm256_set_epi16(0, r, g, bl, 0, r, g, bl, 0, r, g, bl, 0, r, g, bl);
    const __m256i magic = _mm256_set1_epi16(static_cast<short>(0x8081));
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xff000000u));
    const __m256i zero = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
        __m256i lo = _mm256_unpacklo_epi8(v, zero);
        __m256i hi = _mm256_unpackhi_epi8(v, zero);
        lo = _mm256_add_epi16(_mm256_mullo_epi16(lo, inverse), source);
        hi = _mm256_add_epi16(_mm256_mullo_epi16(hi, inverse), source);
        lo = _mm256_srli_epi16(_mm256_mulhi_epu16(lo, magic), 7);
        hi = _mm256_srli_epi16(_mm256_mulhi_epu16(hi, magic), 7);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i),
                            _mm256_or_si256(_mm256_packus_epi16(lo, hi), opaque));
    }
    blendRowSse2(p + i, n - i, b);
}

static bool haveAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

bool blendRowAvx2(uint32_t* p, size_t n, const Blend& b) {
    if (!haveAvx2()) return false;
    blendAvx2Kernel(p, n, b);
    return true;
}

void blendRow(uint32_t* p, size_t n, const Blend& b) {
    if (n >= 8 && haveAvx2())
        blendAvx2Kernel(p, n, b);
    else
        blendRowSse2(p, n, b);
}

#else

bool blendRowSse2(uint32_t*, size_t, const Blend&) { return false; }
bool blendRowAvx2(uint32_t*, size_t, const Blend&) { return false; }
void blendRow(uint32_t* p, size_t n, const Blend& b) { blendRowScalar(p, n, b); }

#endif

}  // namespace raster
