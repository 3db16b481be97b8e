#include "FixedText.h"

#include <algorithm>
#include <cmath>

namespace {
size_t characters(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}
}  // namespace

FontHandle FixedText::loadFont(const std::string& family, int64_t pointSize, int64_t style) {
    fonts.push_back({family, pointSize, style});
    return static_cast<FontHandle>(fonts.size());
}

double FixedText::sizeOf(FontHandle font) const {
    if (font >= 1 && static_cast<size_t>(font) <= fonts.size()) return double(fonts[font - 1].size);
    return 12.0;
}

double FixedText::textWidth(FontHandle font, const std::string& text) {
    return 0.5 * sizeOf(font) * double(characters(text));
}

double FixedText::textHeight(FontHandle font, const std::string&) { return 1.25 * sizeOf(font); }

void FixedText::drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y, const std::string& text,
                           Colour colour) {
    drawn.push_back({font, x, y, text, colour});
    if (!paintBoxes) return;
    const int64_t w = static_cast<int64_t>(std::ceil(textWidth(font, text)));
    const int64_t h = static_cast<int64_t>(std::ceil(textHeight(font, text)));
    const uint32_t px = 0xff000000u | uint32_t((colour & 0xff) << 16) | uint32_t(colour & 0xff00) |
                        uint32_t((colour >> 16) & 0xff);
    for (int64_t yy = std::max<int64_t>(y, 0); yy < std::min<int64_t>(y + h, canvas.height); ++yy)
        for (int64_t xx = std::max<int64_t>(x, 0); xx < std::min<int64_t>(x + w, canvas.width); ++xx)
            canvas.pixels[yy * canvas.stride + xx] = px;
}
