#pragma once
// The game clock. The game takes a step 60 times a second, measured from
// step start to step start on the monotonic clock, whatever drawing and
// showing a picture cost: every motion and timer of the game counts steps,
// so this pace is the game's speed on every screen and every machine.
//
// When the machine falls behind, the steps owed are taken one after the
// other and only the last one is drawn. The catch-up is bounded: beyond
// kMaxStepsPerPicture steps a picture the game slows down rather than
// freezing the picture, and the debt beyond is forgiven, so that after a
// stall (a dragged window, a suspended laptop, a modal box) the game goes
// on from the present instead of racing through the time it missed.
#include <cstdint>

inline constexpr int64_t kStepsPerSecond = 60;
inline constexpr int kMaxStepsPerPicture = 5;
inline constexpr int64_t kMicrosPerSecond = 1'000'000;
// One step's share of a second, rounded down; the schedule itself keeps the
// exact 60 a second.
inline constexpr int64_t kStepMicros = kMicrosPerSecond / kStepsPerSecond;

class GameClock {
public:
    // The first step is due at `now` (microseconds of the monotonic clock).
    explicit GameClock(int64_t now) : anchor_(now) {}

    // When the next step is due.
    int64_t nextDeadline() const { return deadline(taken_); }

    // The steps due at `now`, at most kMaxStepsPerPicture, counted as taken
    // (0 when the next one is not due yet). A larger debt is forgiven: the
    // steps taken now stand for the present, the next is due a step later.
    int takeDueSteps(int64_t now);

    // The step just taken stands for `now`: for a step that waited on
    // something else (a modal box, a watched replay), so that no debt is
    // owed for that wait.
    void restart(int64_t now);

private:
    // Step n of the schedule is due at anchor + n / 60 s, rounded up to
    // the next microsecond: exact integer arithmetic, so the rounding of
    // one step never adds up, and a step is never due before its time.
    int64_t deadline(int64_t step) const {
        return anchor_ + (step * kMicrosPerSecond + kStepsPerSecond - 1) / kStepsPerSecond;
    }

    int64_t anchor_;
    int64_t taken_ = 0;
};
