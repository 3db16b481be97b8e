#pragma once
// How the game's 1280 x 768 canvas is shown in whatever area the window
// gives it: scaled to fit with its shape kept, centred, with bars where the
// shapes differ; and how a point of that area maps back to a canvas pixel.
// Everything here is in device pixels, so that a HiDPI screen shows the
// canvas in its own pixels, scaled once.
#include <cstdint>

struct CanvasFit {
    double scale = 1;  // device pixels per canvas pixel
    // The canvas's rectangle in the area.
    int64_t x = 0, y = 0, width = 0, height = 0;
    // An exact whole-number scale: each canvas pixel becomes a square of
    // device pixels, shown with hard edges. Other scales are smoothed.
    bool wholeScale = false;
};

// The fit of the canvas in an area of areaWidth x areaHeight device pixels.
CanvasFit fitCanvas(int64_t areaWidth, int64_t areaHeight);

struct CanvasPoint {
    int64_t x = 0, y = 0;  // 0..1279, 0..767
    bool inside = false;   // false in the bars: the point was pinned to the nearest edge
};

// The canvas pixel under a point of the area (device pixels, fractions
// allowed); outside the canvas, the nearest pixel on its edge.
CanvasPoint canvasPointAt(const CanvasFit& fit, double deviceX, double deviceY);

// The largest scale at which the canvas fits in width x height, at most
// `maxScale`.
double largestScale(double width, double height, double maxScale);
