#include "platform/Controllers.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kCanvasWidth = 1280;
constexpr double kCanvasHeight = 768;
}  // namespace

double axisFraction(int value) { return std::clamp(double(value) / 32767.0, -1.0, 1.0); }

PadMotion stickMotion(double x, double y) {
    // The dead zone is round, so that the stick's direction is kept as it
    // leaves it; a square gate's corners count as full deflection.
    const double deflection = std::hypot(x, y);
    if (!(deflection > pad::kDeadZone)) return {};
    const double past = std::min((deflection - pad::kDeadZone) / (pad::kFullDeflection - pad::kDeadZone), 1.0);
    const double speed = pad::kFullSpeed * std::pow(past, pad::kCurve);
    return {x / deflection * speed, y / deflection * speed};
}

PadMotion dpadMotion(bool left, bool right, bool up, bool down) {
    return {pad::kDpadSpeed * (double(right) - double(left)), pad::kDpadSpeed * (double(down) - double(up))};
}

bool TriggerSwitch::pressedBy(double pull) {
    if (held_) {
        if (pull < pad::kTriggerRelease) held_ = false;
        return false;
    }
    held_ = pull >= pad::kTriggerPull;
    return held_;
}

CanvasPoint ControllerAim::move(CanvasPoint from, const PadMotion& motion) {
    if (int64_t(std::floor(x_)) != from.x || int64_t(std::floor(y_)) != from.y) {
        x_ = double(from.x) + 0.5;
        y_ = double(from.y) + 0.5;
    }
    // At the edge the aim rests on the middle of the last pixel.
    if (std::isfinite(motion.dx)) x_ = std::clamp(x_ + motion.dx, 0.5, kCanvasWidth - 0.5);
    if (std::isfinite(motion.dy)) y_ = std::clamp(y_ + motion.dy, 0.5, kCanvasHeight - 0.5);
    return {int64_t(std::floor(x_)), int64_t(std::floor(y_)), true};
}

WindowEvent canvasEventAt(CanvasEventType type, CanvasPoint at, int64_t key) {
    WindowEvent e;
    e.code = EventCanvas;
    e.canvasType = type;
    e.x = at.x;
    e.y = at.y;
    e.key = key;
    return e;
}

std::optional<WindowEvent> gameEventOf(PadButton button, CanvasPoint at) {
    switch (button) {
    case PadButton::South:
    case PadButton::RightTrigger: return canvasEventAt(CanvasLeftDown, at);
    case PadButton::Start: return canvasEventAt(CanvasKeyDown, at, KeySpace);
    case PadButton::North: return canvasEventAt(CanvasKeyDown, at, KeyI);
    case PadButton::Back: return canvasEventAt(CanvasKeyDown, at, KeyP);
    case PadButton::East: break;
    }
    return std::nullopt;
}
