#include "platform/CanvasFit.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int64_t kCanvasWidth = 1280;
constexpr int64_t kCanvasHeight = 768;
}  // namespace

double largestScale(double width, double height, double maxScale) {
    const double s = std::min(width / double(kCanvasWidth), height / double(kCanvasHeight));
    return std::clamp(s, 0.0, maxScale);
}

CanvasFit fitCanvas(int64_t areaWidth, int64_t areaHeight) {
    CanvasFit fit;
    areaWidth = std::max<int64_t>(areaWidth, 1);
    areaHeight = std::max<int64_t>(areaHeight, 1);
    fit.scale = largestScale(double(areaWidth), double(areaHeight), 1e6);
    // One side fills the area exactly; the other is rounded and centred.
    fit.width = std::clamp<int64_t>(std::llround(double(kCanvasWidth) * fit.scale), 1, areaWidth);
    fit.height = std::clamp<int64_t>(std::llround(double(kCanvasHeight) * fit.scale), 1, areaHeight);
    fit.x = (areaWidth - fit.width) / 2;
    fit.y = (areaHeight - fit.height) / 2;
    fit.wholeScale = fit.scale >= 1 && fit.scale == std::floor(fit.scale) &&
                     fit.width == kCanvasWidth * int64_t(fit.scale) && fit.height == kCanvasHeight * int64_t(fit.scale);
    return fit;
}

CanvasPoint canvasPointAt(const CanvasFit& fit, double deviceX, double deviceY) {
    CanvasPoint p;
    const double u = (deviceX - double(fit.x)) * double(kCanvasWidth) / double(fit.width);
    const double v = (deviceY - double(fit.y)) * double(kCanvasHeight) / double(fit.height);
    p.inside = u >= 0 && u < double(kCanvasWidth) && v >= 0 && v < double(kCanvasHeight);
    // NaN and far-off points land on the edge too.
    p.x = std::isnan(u) ? 0 : int64_t(std::clamp(std::floor(u), 0.0, double(kCanvasWidth - 1)));
    p.y = std::isnan(v) ? 0 : int64_t(std::clamp(std::floor(v), 0.0, double(kCanvasHeight - 1)));
    return p;
}
