#include "platform/sdl/Gamepads.h"

#include <SDL.h>

#include <algorithm>
#include <optional>
#include <span>

namespace {
// SDL's messages are about devices the player need not hear about; the
// game prints nothing.
void discardLog(void*, int, SDL_LogPriority, const char*) {}

std::optional<PadButton> padButtonOf(Uint8 button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return PadButton::South;
    case SDL_CONTROLLER_BUTTON_B: return PadButton::East;
    case SDL_CONTROLLER_BUTTON_Y: return PadButton::North;
    case SDL_CONTROLLER_BUTTON_START: return PadButton::Start;
    case SDL_CONTROLLER_BUTTON_BACK: return PadButton::Back;
    default: return std::nullopt;
    }
}

double triggerPull(SDL_GameController* controller) {
    return axisFraction(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
}
}  // namespace

struct Gamepads::Pad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    TriggerSwitch trigger;
};

Gamepads::Gamepads() {
    SDL_LogSetOutputFunction(discardLog, nullptr);
    // Ctrl+C and the desktop's SIGTERM end the game as before: SDL would
    // otherwise turn them into its own quit event, which nothing here reads.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    // SDL has no window here to be focused; the platform itself leaves the
    // controllers alone while the game is not the active application.
    SDL_SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);
    // Buttons by their place, not their label: South is the bottom button
    // on every maker's controller, also where it is labelled B.
    SDL_SetHintWithPriority(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0", SDL_HINT_OVERRIDE);
    // Reading the events reads the controllers.
    SDL_SetHintWithPriority(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "1", SDL_HINT_OVERRIDE);
    // The game-controller subsystem brings the joystick and event
    // subsystems it needs, and nothing else. The controllers already
    // plugged in arrive as events, like the ones plugged in later.
    ready_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

Gamepads::~Gamepads() {
    if (!ready_) return;
    for (Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
    pads_.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

std::size_t Gamepads::connected() const { return pads_.size(); }

Gamepads::Pad* Gamepads::find(int instanceId) {
    const auto it = std::find_if(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.id == instanceId; });
    return it == pads_.end() ? nullptr : &*it;
}

void Gamepads::open(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || find(id)) return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) return;
    pads_.push_back({controller, id, TriggerSwitch(triggerPull(controller))});
}

void Gamepads::close(int instanceId) {
    Pad* pad = find(instanceId);
    if (!pad) return;
    SDL_GameControllerClose(pad->controller);
    pads_.erase(pads_.begin() + (pad - pads_.data()));
}

PadReport Gamepads::poll() {
    PadReport report;
    if (!ready_) return report;
    // Buttons and the trigger come as events, so that a press shorter than
    // a frame still counts and a held button counts once; the sticks and
    // the d-pad are read as they stand.
    SDL_PumpEvents();
    SDL_Event batch[32];
    int count = 0;
    while ((count = SDL_PeepEvents(batch, 32, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        for (const SDL_Event& e : std::span(batch, std::size_t(count))) {
            switch (e.type) {
            case SDL_CONTROLLERDEVICEADDED: open(e.cdevice.which); break;
            case SDL_CONTROLLERDEVICEREMOVED: close(e.cdevice.which); break;
            case SDL_CONTROLLERBUTTONDOWN:
                if (const auto button = padButtonOf(e.cbutton.button); button && find(e.cbutton.which))
                    report.pressed.push_back(*button);
                break;
            case SDL_CONTROLLERAXISMOTION:
                if (e.caxis.axis != SDL_CONTROLLER_AXIS_TRIGGERRIGHT) break;
                if (Pad* pad = find(e.caxis.which); pad && pad->trigger.pressedBy(axisFraction(e.caxis.value)))
                    report.pressed.push_back(PadButton::RightTrigger);
                break;
            default: break;
            }
        }
    }
    for (const Pad& pad : pads_) {
        SDL_GameController* c = pad.controller;
        report.motion += stickMotion(axisFraction(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX)),
                                     axisFraction(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY)));
        report.motion += dpadMotion(SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0,
                                    SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0,
                                    SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0,
                                    SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN) != 0);
    }
    return report;
}
