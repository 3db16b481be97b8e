#pragma once
// A game controller of SDL's own making, for tests and benchmarks on
// machines with no controller and no access to /dev/input: a virtual
// joystick that SDL maps as a game controller, with every button and axis
// in SDL's order. Needs SDL's joystick subsystem running (a Gamepads made
// first). What is set takes effect at the next read of the controllers.
#include <SDL.h>

#include <cstdint>

class VirtualPad {
public:
    VirtualPad() {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "ZARVEX test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index < 0) return;
        id_ = SDL_JoystickGetDeviceInstanceID(index);
        joystick_ = SDL_JoystickOpen(index);
        // A virtual axis rests in its middle, which is a trigger half
        // pulled: let both triggers go.
        trigger(0);
        axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    }
    ~VirtualPad() { detach(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool attached() const { return joystick_ != nullptr; }

    // The left stick, -32768 .. 32767 on each axis (y grows downwards).
    void stick(int x, int y) {
        axis(SDL_CONTROLLER_AXIS_LEFTX, x);
        axis(SDL_CONTROLLER_AXIS_LEFTY, y);
    }
    // The right trigger, 0 (let go) .. 32767 (pulled all the way), as the
    // controller reports it; SDL maps the virtual axis's whole range onto it.
    void trigger(int pull) { axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, pull * 2 - 32768); }
    void hold(SDL_GameControllerButton button) { set(button, 1); }
    void release(SDL_GameControllerButton button) { set(button, 0); }

    // Pulls the controller out, as its cable would.
    void detach() {
        if (!joystick_) return;
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
    }

private:
    void axis(SDL_GameControllerAxis a, int value) {
        if (joystick_) SDL_JoystickSetVirtualAxis(joystick_, a, Sint16(value));
    }
    void set(SDL_GameControllerButton button, Uint8 down) {
        if (joystick_) SDL_JoystickSetVirtualButton(joystick_, button, down);
    }

    SDL_Joystick* joystick_ = nullptr;
    SDL_JoystickID id_ = -1;
};
