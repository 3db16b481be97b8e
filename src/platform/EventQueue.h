#pragma once
// The game's own queue of window events, between the desktop, which may
// deliver hundreds of events in a moment (a key storm, a fast auto-repeat),
// and the frame loop, which takes one per frame. Kept short so that the
// close button and Quit always act within about a second:
//  - An entry that carries only a pointer position (a canvas event that is
//    neither a left-button press nor a key press: moves, releases, other
//    buttons, key releases) is merged into the canvas entry queued right
//    behind it, which carries a newer position anyway: it is dropped.
//  - When more than kMaxWaiting entries wait, the oldest keyboard and
//    pointer entries go first.
//  - Window close, menu commands and minimise are never dropped and keep
//    their order.
#include <cstddef>
#include <deque>

#include "core/Platform.h"

class EventQueue {
public:
    // About one second of frames.
    static constexpr std::size_t kMaxWaiting = 60;

    void push(const WindowEvent& e);
    // The oldest entry, or an event with code EventNone when none waits.
    WindowEvent pop();

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

private:
    std::deque<WindowEvent> entries_;
};

// A canvas event whose only use is the pointer position it carries.
bool carriesOnlyPointer(const WindowEvent& e);
