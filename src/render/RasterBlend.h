#pragma once
// Alpha blending of canvas pixels (0xffRRGGBB words): every channel becomes
// (a * source + (255 - a) * canvas) / 255 with integer division, exactly, for
// every alpha 0..255.
#include <cstddef>
#include <cstdint>

namespace raster {

// A colour in the canvas's layout (0xffRRGGBB) from the game's packing
// r | g << 8 | b << 16.
inline uint32_t canvasPixel(int64_t colour) {
    const uint32_t c = static_cast<uint32_t>(colour);
    return 0xff000000u | ((c & 0xffu) << 16) | (c & 0xff00u) | ((c >> 16) & 0xffu);
}

// The game's packing r | g << 8 | b << 16 of a canvas pixel.
inline int64_t gameColour(uint32_t px) {
    return static_cast<int64_t>(((px >> 16) & 0xffu) | (px & 0xff00u) | ((px & 0xffu) << 16));
}

// v / 255 for 0 <= v <= 65535 as one 16-bit high multiply and a shift, the
// form the vector kernels use. 0x8081 = (2^23 + 127) / 255, so
// v * 0x8081 / 2^23 = v / 255 + v * 127 / (255 * 2^23); the excess is below
// 65535 * 127 / (255 * 2^23) < 0.0039 < 1 / 255, too small to lift the
// quotient over the next integer (the fraction of v / 255 is at most 254/255).
inline uint32_t div255(uint32_t v) { return (v * 0x8081u) >> 23; }

// One blend colour: the alpha's complement and the alpha-weighted source
// channels, prepared once per primitive.
struct Blend {
    uint32_t inverse = 255;  // 255 - alpha
    uint32_t red = 0, green = 0, blue = 0;  // alpha * source channel
    // The same as the 16-bit lanes of one pixel (B, G, R, X) for the vector
    // kernels; the X lane is 0 in both.
    uint64_t inverseLanes = 255 | 255u << 16 | uint64_t(255) << 32;
    uint64_t sourceLanes = 0;

    uint32_t apply(uint32_t dst) const {
        const uint32_t r = (red + inverse * ((dst >> 16) & 0xffu)) / 255;
        const uint32_t g = (green + inverse * ((dst >> 8) & 0xffu)) / 255;
        const uint32_t b = (blue + inverse * (dst & 0xffu)) / 255;
        return 0xff000000u | (r << 16) | (g << 8) | b;
    }
};

// The blend of a colour packed r | g << 8 | b << 16 | alpha << 24.
inline Blend makeBlend(int64_t colour) {
    const uint32_t c = static_cast<uint32_t>(colour);
    const uint32_t a = (c >> 24) & 0xffu;
    Blend b;
    b.inverse = 255 - a;
    b.red = a * (c & 0xffu);
    b.green = a * ((c >> 8) & 0xffu);
    b.blue = a * ((c >> 16) & 0xffu);
    b.inverseLanes = uint64_t(b.inverse) | uint64_t(b.inverse) << 16 | uint64_t(b.inverse) << 32;
    b.sourceLanes = uint64_t(b.blue) | uint64_t(b.green) << 16 | uint64_t(b.red) << 32;
    return b;
}

// Sets n pixels to px.
void fillRow(uint32_t* p, size_t n, uint32_t px);

// Blends n pixels in place with the fastest kernel this processor runs.
void blendRow(uint32_t* p, size_t n, const Blend& b);

// The kernels one by one, for tests: the portable one always works; the
// others return false (doing nothing) where the processor lacks them.
void blendRowScalar(uint32_t* p, size_t n, const Blend& b);
bool blendRowSse2(uint32_t* p, size_t n, const Blend& b);
bool blendRowAvx2(uint32_t* p, size_t n, const Blend& b);

}  // namespace raster
