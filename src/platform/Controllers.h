#pragma once
// Game controllers as one more way to make the game's canvas events. The
// platform reads them once per frame through ControllerSource (the SDL
// implementation lives in platform/sdl) and makes of what they did the
// events the mouse and the keyboard make: pointer moves, the left-button
// press at the crosshair, and the keys SPACE, I and P. While one of its
// modal boxes is open, South answers it as its accept button and East as
// its cancel button.
//
// Here is everything about controllers that needs neither SDL nor Qt: the
// buttons the game knows, how far a stick or the d-pad moves the crosshair
// in a frame, the crosshair itself, the trigger's press, and which game
// event each button makes.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Platform.h"
#include "platform/CanvasFit.h"

// The buttons the game uses, named by their place on the controller so
// that every layout works alike: South is A on one maker's pads and the
// cross on another's.
enum class PadButton : uint8_t {
    South,         // fires; accepts a box
    East,          // cancels a box
    North,         // I
    Start,         // SPACE
    Back,          // P (Back, Select, Share, View or Minus, by maker)
    RightTrigger,  // fires
};

// How far the crosshair moves in one frame, in canvas pixels.
struct PadMotion {
    double dx = 0;
    double dy = 0;
    PadMotion& operator+=(const PadMotion& m) {
        dx += m.dx;
        dy += m.dy;
        return *this;
    }
};

// What all controllers together did since the last poll.
struct PadReport {
    PadMotion motion;
    std::vector<PadButton> pressed;  // in the order they were pressed
};

class ControllerSource {
public:
    virtual ~ControllerSource() = default;
    // Takes in controllers plugged in or pulled out since the last call and
    // reads them all: their sticks and d-pads for this frame's motion, and
    // the buttons pressed since the last call.
    virtual PadReport poll() = 0;
};

namespace pad {
// A stick within a fifth of its travel from the middle counts as at rest:
// worn sticks never quite come back to the middle.
inline constexpr double kDeadZone = 0.20;
// Many sticks stop a little short of their end in some directions; from
// here on a stick counts as fully deflected.
inline constexpr double kFullDeflection = 0.95;
// Fully deflected, the crosshair crosses the canvas's 1280 pixels in 60
// frames, about a second.
inline constexpr double kFullSpeed = 1280.0 / 60.0;
// Between the two, the speed grows with the square of the deflection past
// the dead zone: slow and fine near the middle, fast at the edge.
inline constexpr double kCurve = 2.0;
// The d-pad moves the crosshair at one steady speed along each axis.
inline constexpr double kDpadSpeed = 8.0;
// The trigger fires when pulled past half way, and again only after it has
// come back below a quarter.
inline constexpr double kTriggerPull = 0.5;
inline constexpr double kTriggerRelease = 0.25;
}  // namespace pad

// An axis of the controller (-32768 .. 32767) as -1 .. 1.
double axisFraction(int value);

// The motion of a stick at (x, y), each -1 .. 1, y growing downwards as on
// the canvas: along the stick's direction, at the speed of its deflection.
PadMotion stickMotion(double x, double y);
// The motion of the d-pad's held directions.
PadMotion dpadMotion(bool left, bool right, bool up, bool down);

// Whether a pull of the trigger (0 .. 1) is a new press.
class TriggerSwitch {
public:
    // A trigger already pulled when its controller comes counts as held:
    // it fires only after it has been let go.
    explicit TriggerSwitch(double pull = 0) : held_(pull > pad::kTriggerRelease) {}
    bool pressedBy(double pull);

private:
    bool held_;
};

// The crosshair as the controllers move it. It keeps fractions of a pixel,
// so that a stick barely out of its dead zone still creeps along, and stays
// on the canvas.
class ControllerAim {
public:
    // Moves from `from` (where the pointer is now) by the motion; the new
    // pixel. When something else (the mouse) has moved the pointer since,
    // the aim starts again from the middle of its pixel.
    CanvasPoint move(CanvasPoint from, const PadMotion& motion);

private:
    double x_ = 0.5;
    double y_ = 0.5;
};

// The game event a button makes during play, at the crosshair: the
// left-button press for South and the right trigger, the key values of
// SPACE, I and P for Start, North and Back. East makes none.
std::optional<WindowEvent> gameEventOf(PadButton button, CanvasPoint at);

// A canvas event of that type at a canvas pixel.
WindowEvent canvasEventAt(CanvasEventType type, CanvasPoint at, int64_t key = 0);
