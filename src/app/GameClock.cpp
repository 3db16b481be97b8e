#include "app/GameClock.h"

int GameClock::takeDueSteps(int64_t now) {
    if (now < nextDeadline()) return 0;
    // Steps 0..n of the schedule are due by `now`.
    const int64_t dueBy = (now - anchor_) * kStepsPerSecond / kMicrosPerSecond;
    const int64_t owed = dueBy + 1 - taken_;
    if (owed > kMaxStepsPerPicture) {
        restart(now);
        return kMaxStepsPerPicture;
    }
    taken_ += owed;
    return static_cast<int>(owed);
}

void GameClock::restart(int64_t now) {
    anchor_ = now;
    taken_ = 1;
}
