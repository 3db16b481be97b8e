#pragma once
// Game controllers through SDL2's game-controller subsystem, which knows the
// button layout of hundreds of controllers and hears them come and go. The
// game takes nothing else from SDL: no window, no video, no audio and no
// signal handlers, so Qt keeps the desktop and Ctrl+C still ends the
// program. Controllers are opened as they are plugged in, several at once,
// and read when the platform polls them, once per frame.
//
// One per process: SDL's event queue, which tells the controllers' comings
// and goings, is the whole process's. Without SDL's devices (no subsystem,
// no controller) it reads nothing and says nothing.
#include <cstddef>
#include <vector>

#include "platform/Controllers.h"

class Gamepads final : public ControllerSource {
public:
    Gamepads();
    ~Gamepads() override;
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // Whether SDL's game-controller subsystem started.
    bool ready() const { return ready_; }
    // The controllers open now.
    std::size_t connected() const;

    PadReport poll() override;

private:
    struct Pad;
    void open(int deviceIndex);
    void close(int instanceId);
    Pad* find(int instanceId);

    bool ready_ = false;
    std::vector<Pad> pads_;
};
