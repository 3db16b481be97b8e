#pragma once
// A canvas whose edges say which edge they are, for finding the whole canvas
// in what a window or a screen shows: 8-pixel bands, red at the top, green
// at the bottom, blue on the left and yellow on the right, grey between.
#include <QColor>
#include <cstdlib>

#include "render/DrawSurface.h"

namespace edges {

inline constexpr QRgb kTop = qRgb(255, 0, 0), kBottom = qRgb(0, 255, 0), kLeft = qRgb(0, 0, 255),
                      kRight = qRgb(255, 255, 0), kMiddle = qRgb(90, 90, 90);

inline void draw(DrawSurface& surface) {
    surface.beginFrame();
    surface.box(0, 0, 1280, 768, rgb(90, 90, 90));
    surface.box(0, 0, 1280, 8, rgb(255, 0, 0));
    surface.box(0, 760, 1280, 8, rgb(0, 255, 0));
    surface.box(0, 8, 8, 752, rgb(0, 0, 255));
    surface.box(1272, 8, 8, 752, rgb(255, 255, 0));
    surface.endFrame();
}

// The same colour but for the smoothing of a scaled picture.
inline bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
           std::abs(qBlue(a) - qBlue(b)) <= 8;
}

}  // namespace edges
