#include "render/DrawSurface.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/Numeric.h"
#include "render/RasterCircle.h"

namespace {

using i128 = __int128;
using u128 = unsigned __int128;

constexpr int kW = DrawSurface::kWidth;
constexpr int kH = DrawSurface::kHeight;
// How many rows ahead filled shapes and steep lines prefetch the canvas.
constexpr int kPrefetchRows = 3;

i128 absolute(i128 v) { return v < 0 ? -v : v; }

// A real text position truncated toward zero, kept inside the 64-bit range
// (NaN counts as 0).
int64_t truncatePosition(double v) {
    if (!(v == v)) return 0;
    constexpr double kLimit = 9.0e18;
    if (v >= kLimit) return static_cast<int64_t>(kLimit);
    if (v <= -kLimit) return -static_cast<int64_t>(kLimit);
    return static_cast<int64_t>(v);
}

// Asks for the cache lines of pixels a .. b of a row. Always inlined: as a
// call it would look free of effects to the optimiser and be dropped.
__attribute__((always_inline)) inline void prefetchSpan(const uint32_t* row, int a, int b) {
    if (a > b) return;
    const char* p = reinterpret_cast<const char*>(row);
    for (int offset = a * 4; offset <= b * 4; offset += 64) __builtin_prefetch(p + offset, 1);
    __builtin_prefetch(p + b * 4, 1);
}

struct StorePixel {
    uint32_t px;
    void operator()(uint32_t& p) const { p = px; }
};

struct BlendPixel {
    const raster::Blend& b;
    void operator()(uint32_t& p) const { p = b.apply(p); }
};

// Steps n pixels of a line along its major axis (u), from the visible start
// (u, v) with the Bresenham remainder r = i * a - k * d, where i is the step
// index on the whole line, k the minor offset reached, d the major length
// and a the absolute minor length: the minor coordinate moves one pixel
// whenever 2r > d, so ties keep the row (or column) of the line's start.
// `checked` lines may leave the canvas across the minor axis, so each pixel
// is tested; the others stay inside from the first pixel to the last.
template <typename T, typename Op>
void stepLine(uint32_t* pixels, bool xMajor, int u, int v, int sv, int n, T r, T d, T a, bool checked,
              Op op) {
    const T half = d / 2;  // 2r > d  <=>  r > floor(d / 2)
    if (!checked) {
        const ptrdiff_t majorStep = xMajor ? 1 : kW;
        const ptrdiff_t minorStep = xMajor ? ptrdiff_t(sv) * kW : ptrdiff_t(sv);
        ptrdiff_t at = xMajor ? ptrdiff_t(v) * kW + u : ptrdiff_t(u) * kW + v;
        // A steep line steps to a new row, 5 KB on, at every pixel: fetch
        // the rows ahead early. (Prefetching never faults, so addresses past
        // the canvas are harmless; they are formed as integers.)
        const uintptr_t base = reinterpret_cast<uintptr_t>(pixels);
        const ptrdiff_t ahead = xMajor ? 0 : ptrdiff_t(kPrefetchRows) * kW;
        for (int i = 0; i < n; ++i) {
            if (!xMajor) __builtin_prefetch(reinterpret_cast<const void*>(base + uintptr_t((at + ahead) * 4)), 1);
            op(pixels[at]);
            at += majorStep;
            r += a;
            if (r > half) {
                r -= d;
                at += minorStep;
            }
        }
        return;
    }
    const int vMax = xMajor ? kH - 1 : kW - 1;
    for (int i = 0; i < n; ++i, ++u) {
        if (v >= 0 && v <= vMax) op(pixels[xMajor ? ptrdiff_t(v) * kW + u : ptrdiff_t(u) * kW + v]);
        r += a;
        if (r > half) {
            r -= d;
            v += sv;
        }
    }
}

// The minor offset k of step i on a line of major length d and absolute
// minor length a (a <= d): i * a / d rounded to the nearest, ties down, and
// the remainder i * a - k * d. i * a < 2^128 for any 64-bit end points.
i128 lineOffset(i128 i, i128 d, i128 a, i128& remainder) {
    if (i == 0 || a == 0) {
        remainder = 0;
        return 0;
    }
    const u128 prod = u128(i) * u128(a);
    u128 q = prod / u128(d);
    const u128 rem = prod % u128(d);
    if (2 * rem > u128(d)) {
        ++q;
        remainder = i128(rem) - d;
    } else {
        remainder = i128(rem);
    }
    return i128(q);
}

}  // namespace

DrawSurface::DrawSurface(TextRenderer& text, FramePresenter* presenter)
    : text_(text), presenter_(presenter), buffer_(size_t(kW) * kH, 0xff000000u) {
    canvas_.pixels = buffer_.data();
    canvas_.width = kW;
    canvas_.height = kH;
    canvas_.stride = kW;
}

void DrawSurface::beginFrame() {
    mode_ = Default;
    font_ = defaultFont;
    backColour_ = 0;
    inFrame_ = true;
}

void DrawSurface::endFrame() {
    inFrame_ = false;
    flushRows();
    if (presenter_) presenter_->present(canvas_);
}

// ---- rows held as one colour ----

void DrawSurface::flushRow(int y) const {
    if (!rowPending_[size_t(y)]) return;
    uint32_t* row = canvas_.pixels + ptrdiff_t(y) * kW;
    raster::fillRow(row, kW, rowColour_[size_t(y)]);
    rowPending_[size_t(y)] = 0;
    --pendingRows_;
}

void DrawSurface::flushRowRange(int y0, int y1) const {
    if (pendingRows_ == 0) return;
    for (int y = std::max(y0, 0); y <= std::min(y1, kH - 1); ++y) flushRow(y);
}

void DrawSurface::flushRows() const { flushRowRange(0, kH - 1); }

void DrawSurface::fillSpan(int y, int x0, int x1, uint32_t px) {
    const size_t yi = size_t(y);
    if (x0 == 0 && x1 == kW - 1) {
        if (!rowPending_[yi]) {
            rowPending_[yi] = 1;
            ++pendingRows_;
        }
        rowColour_[yi] = px;
        return;
    }
    uint32_t* row = canvas_.pixels + ptrdiff_t(y) * kW;
    if (rowPending_[yi]) {
        // Write the row once: its old colour around the new span.
        raster::fillRow(row, size_t(x0), rowColour_[yi]);
        raster::fillRow(row + x1 + 1, size_t(kW - 1 - x1), rowColour_[yi]);
        rowPending_[yi] = 0;
        --pendingRows_;
    }
    raster::fillRow(row + x0, size_t(x1 - x0 + 1), px);
}

void DrawSurface::blendSpan(int y, int x0, int x1) {
    const size_t yi = size_t(y);
    if (rowPending_[yi]) {
        // Every pixel of the row has the same colour, so has the same blend.
        const uint32_t old = rowColour_[yi];
        const uint32_t mixed = pen_.apply(old);
        if (x0 == 0 && x1 == kW - 1) {
            rowColour_[yi] = mixed;
            return;
        }
        uint32_t* row = canvas_.pixels + ptrdiff_t(y) * kW;
        raster::fillRow(row, size_t(x0), old);
        raster::fillRow(row + x0, size_t(x1 - x0 + 1), mixed);
        raster::fillRow(row + x1 + 1, size_t(kW - 1 - x1), old);
        rowPending_[yi] = 0;
        --pendingRows_;
        return;
    }
    raster::blendRow(canvas_.pixels + ptrdiff_t(y) * kW + x0, size_t(x1 - x0 + 1), pen_);
}

// ---- the pen ----

bool DrawSurface::setPen(Colour colour) {
    if (mode_ & AlphaBlend) {
        const int64_t alpha = (colour >> 24) & 0xff;
        if (alpha == 0) return false;  // leaves the canvas as it is
        if (alpha < 255) {
            penBlend_ = true;
            pen_ = raster::makeBlend(colour);
            return true;
        }
        // Alpha 255 blends to the colour itself.
    }
    penBlend_ = false;
    penPixel_ = raster::canvasPixel(colour);
    return true;
}

void DrawSurface::paintSpan(int y, i128 x0, i128 x1) {
    if (x0 < 0) x0 = 0;
    if (x1 > kW - 1) x1 = kW - 1;
    if (x0 > x1) return;
    if (penBlend_)
        blendSpan(y, int(x0), int(x1));
    else
        fillSpan(y, int(x0), int(x1), penPixel_);
}

void DrawSurface::paintPixel(int x, int y) {
    flushRow(y);
    uint32_t& p = canvas_.pixels[ptrdiff_t(y) * kW + x];
    p = penBlend_ ? pen_.apply(p) : penPixel_;
}

// ---- primitives ----

void DrawSurface::box(int64_t x, int64_t y, int64_t w, int64_t h, Colour colour) {
    if (w == 0 || h == 0) return;
    // A negative size extends the box to the left of x (above y).
    const i128 left = w > 0 ? i128(x) : i128(x) + w;
    const i128 right = w > 0 ? i128(x) + w - 1 : i128(x) - 1;
    const i128 top = h > 0 ? i128(y) : i128(y) + h;
    const i128 bottom = h > 0 ? i128(y) + h - 1 : i128(y) - 1;
    if (right < 0 || left > kW - 1 || bottom < 0 || top > kH - 1) return;
    if (!setPen(colour)) return;
    if (!(mode_ & Outlined)) {
        const int y0 = int(std::max<i128>(top, 0));
        const int y1 = int(std::min<i128>(bottom, kH - 1));
        for (int yy = y0; yy <= y1; ++yy) paintSpan(yy, left, right);
        return;
    }
    // The outline lies inside the box: its top and bottom rows, and the
    // left and right columns of the rows between them.
    if (top >= 0) paintSpan(int(top), left, right);
    if (bottom != top && bottom <= kH - 1) paintSpan(int(bottom), left, right);
    const int y0 = int(std::max<i128>(top + 1, 0));
    const int y1 = int(std::min<i128>(bottom - 1, kH - 1));
    if (y0 > y1) return;
    if (left >= 0)
        for (int yy = y0; yy <= y1; ++yy) paintPixel(int(left), yy);
    if (right != left && right <= kW - 1)
        for (int yy = y0; yy <= y1; ++yy) paintPixel(int(right), yy);
}

void DrawSurface::circle(int64_t x, int64_t y, int64_t r, Colour colour) {
    if (r < 0) return;
    const i128 cx = x, cy = y, rr = r;
    if (cx - rr > kW - 1 || cx + rr < 0 || cy - rr > kH - 1 || cy + rr < 0) return;
    if (!setPen(colour)) return;
    const int y0 = int(std::max<i128>(cy - rr, 0));
    const int y1 = int(std::min<i128>(cy + rr, kH - 1));
    const bool outline = (mode_ & Outlined) != 0;

    auto drawRows = [&](auto&& halfWidth) {
        for (int yy = y0; yy <= y1; ++yy) {
            const int64_t k = int64_t(absolute(i128(yy) - cy));  // <= r
            const int64_t h = halfWidth(k);
            if (!outline) {
                // Rows lie 5 KB apart, beyond what the hardware prefetcher
                // follows: ask for a row a few steps ahead while this one is
                // painted (a fifth less time for a frame of many discs).
                const int next = yy + kPrefetchRows;
                if (next <= y1 && !rowPending_[size_t(next)]) {  // pending rows are written whole
                    const int64_t ahead = halfWidth(int64_t(absolute(i128(next) - cy)));
                    prefetchSpan(canvas_.pixels + ptrdiff_t(next) * kW, int(std::max<i128>(cx - ahead, 0)),
                                 int(std::min<i128>(cx + ahead, kW - 1)));
                }
                paintSpan(yy, cx - h, cx + h);
                continue;
            }
            const int64_t inner = raster::outlineInner(h, k < r ? halfWidth(k + 1) : -1);
            if (inner == 0) {
                paintSpan(yy, cx - h, cx + h);
            } else {
                paintSpan(yy, cx - h, cx - inner);
                paintSpan(yy, cx + inner, cx + h);
            }
        }
    };
    if (r <= raster::kIterativeRadius) {
        raster::midpointHalfWidths(r, halfWidths_);
        drawRows([this](int64_t k) { return halfWidths_[size_t(k)]; });
    } else {
        // Only the visible rows are worked out, each directly.
        const raster::CircleRows rows(r);
        drawRows([&rows](int64_t k) { return rows.halfWidth(k); });
    }
}

void DrawSurface::line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, Colour colour) {
    const i128 dx = i128(x2) - x1;
    const i128 dy = i128(y2) - y1;
    if (dx == 0 && dy == 0) {
        plot(x1, y1, colour);
        return;
    }
    // One fixed order whichever way the line is given: along x from the end
    // with the smaller x, or, for steep lines, along y from the smaller y.
    const bool xMajor = absolute(dx) >= absolute(dy);
    const bool flip = xMajor ? dx < 0 : dy < 0;
    const i128 u1 = xMajor ? (flip ? x2 : x1) : (flip ? y2 : y1);
    const i128 v1 = xMajor ? (flip ? y2 : y1) : (flip ? x2 : x1);
    const i128 du = absolute(xMajor ? dx : dy);
    const i128 dv = (xMajor ? dy : dx) * (flip ? -1 : 1);
    const i128 a = absolute(dv);
    const int sv = dv < 0 ? -1 : 1;
    const int uMax = xMajor ? kW - 1 : kH - 1;
    const int vMax = xMajor ? kH - 1 : kW - 1;

    // The steps whose major coordinate is on the canvas.
    const i128 ia = std::max<i128>(0, -u1);
    const i128 ib = std::min<i128>(du, uMax - u1);
    if (ia > ib) return;
    i128 ra = 0, rb = 0;
    const i128 va = v1 + sv * lineOffset(ia, du, a, ra);
    const i128 vb = v1 + sv * lineOffset(ib, du, a, rb);
    const i128 vlo = std::min(va, vb), vhi = std::max(va, vb);
    if (vhi < 0 || vlo > vMax) return;
    if (!setPen(colour)) return;
    // From here on va lies within 1280 pixels of the canvas.
    const int u = int(u1 + ia);
    const int n = int(ib - ia + 1);
    const bool checked = vlo < 0 || vhi > vMax;
    if (xMajor)
        flushRowRange(int(std::max<i128>(vlo, 0)), int(std::min<i128>(vhi, kH - 1)));
    else
        flushRowRange(u, u + n - 1);

    auto run = [&](auto op) {
        if (du < (i128(1) << 61))
            stepLine<int64_t>(canvas_.pixels, xMajor, u, int(va), sv, n, int64_t(ra), int64_t(du),
                              int64_t(a), checked, op);
        else
            stepLine<i128>(canvas_.pixels, xMajor, u, int(va), sv, n, ra, du, a, checked, op);
    };
    if (penBlend_)
        run(BlendPixel{pen_});
    else
        run(StorePixel{penPixel_});
}

void DrawSurface::plot(int64_t x, int64_t y, Colour colour) {
    if (x < 0 || x > kW - 1 || y < 0 || y > kH - 1) return;
    if (!setPen(colour)) return;
    paintPixel(int(x), int(y));
}

// ---- text ----

void DrawSurface::drawText(double x, double y, const std::string& text, Colour colour) {
    drawText(x, y, text, colour, backColour_);
}

void DrawSurface::drawText(double x, double y, const std::string& text, Colour colour, Colour back) {
    const int64_t tx = truncatePosition(x);
    const int64_t ty = truncatePosition(y);
    const double height = textHeight(text);
    if (!(mode_ & Transparent)) {
        // The line box, filled opaquely with the back colour.
        const int64_t w = roundHalfEven(textWidth(text));
        const int64_t h = roundHalfEven(height);
        if (w > 0 && h > 0) {
            const i128 x0 = std::max<i128>(tx, 0), x1 = std::min<i128>(i128(tx) + w - 1, kW - 1);
            const i128 y0 = std::max<i128>(ty, 0), y1 = std::min<i128>(i128(ty) + h - 1, kH - 1);
            const uint32_t px = raster::canvasPixel(back);
            if (x0 <= x1)
                for (i128 yy = y0; yy <= y1; ++yy) fillSpan(int(yy), int(x0), int(x1), px);
        }
    }
    // The glyphs are blended over the pixels beneath, so the rows they can
    // reach must hold real pixels: the line box and a full line height (at
    // least 8 rows) above and below it for accents and descenders. Rows
    // further away may stay pending, so that the HUD line drawn early in a
    // frame does not cost a write of the whole canvas.
    const i128 margin = height >= 0 && height < 1e6 ? std::max<i128>(8, i128(std::ceil(height))) : i128(kH);
    const i128 top = i128(ty) - margin, bottom = i128(ty) + 2 * margin;
    if (bottom >= 0 && top <= kH - 1) flushRowRange(int(std::max<i128>(top, 0)), int(std::min<i128>(bottom, kH - 1)));
    text_.drawGlyphs(canvas_, font_, tx, ty, text, colour);
}

double DrawSurface::textWidth(const std::string& text) { return text_.textWidth(font_, text); }

double DrawSurface::textHeight(const std::string& text) { return text_.textHeight(font_, text); }

void DrawSurface::setFont(FontHandle font) { font_ = font; }

void DrawSurface::setMode(DrawMode mode) { mode_ = mode; }

FontHandle DrawSurface::loadFont(const std::string& family, int64_t pointSize, int64_t style) {
    return text_.loadFont(family, pointSize, style);
}

Colour DrawSurface::pixel(int x, int y) const {
    if (x < 0 || x >= kW || y < 0 || y >= kH) return 0;
    if (rowPending_[size_t(y)]) return raster::gameColour(rowColour_[size_t(y)]);
    return raster::gameColour(canvas_.pixels[ptrdiff_t(y) * kW + x]);
}
