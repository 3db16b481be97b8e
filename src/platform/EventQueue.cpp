#include "platform/EventQueue.h"

#include <algorithm>

bool carriesOnlyPointer(const WindowEvent& e) {
    return e.code == EventCanvas && e.canvasType != CanvasLeftDown && e.canvasType != CanvasKeyDown;
}

void EventQueue::push(const WindowEvent& e) {
    // Every key press is followed by its release, a pointer-only entry: the
    // next canvas entry takes its place, so a key storm queues one entry per
    // press and the pointer ends where it really is.
    if (e.code == EventCanvas && !entries_.empty() && carriesOnlyPointer(entries_.back())) entries_.pop_back();
    entries_.push_back(e);
    if (entries_.size() <= kMaxWaiting) return;
    // Input older than about a second is stale: drop the oldest key or
    // pointer entry. The window's own events always stay.
    const auto oldest = std::find_if(entries_.begin(), entries_.end(),
                                     [](const WindowEvent& w) { return w.code == EventCanvas; });
    if (oldest != entries_.end()) entries_.erase(oldest);
}

WindowEvent EventQueue::pop() {
    if (entries_.empty()) return {};
    const WindowEvent e = entries_.front();
    entries_.pop_front();
    return e;
}
