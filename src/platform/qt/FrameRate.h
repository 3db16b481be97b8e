#pragma once
// The figures of View > Show Frame Rate, over the last whole second: steps
// taken (event polls), pictures shown, and the heaviest frame, from the
// first poll after a picture to the end of showing the next one. Times are
// in milliseconds on a monotonic clock.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

class FrameRateMeter {
public:
    void stepStarted(double nowMs) {
        roll(nowMs);
        ++steps_;
        if (!frameStart_) frameStart_ = nowMs;
    }
    void frameShown(double nowMs) {
        roll(nowMs);
        ++frames_;
        if (frameStart_) heaviest_ = std::max(heaviest_, nowMs - *frameStart_);
        frameStart_.reset();
    }
    // "60 steps/s  60 frames/s  4.2 ms"; empty until a second has passed.
    const std::string& text() const { return text_; }

private:
    void roll(double nowMs) {
        if (!secondStart_) secondStart_ = nowMs;
        const double elapsed = nowMs - *secondStart_;
        if (elapsed < 1000) return;
        char line[96];
        std::snprintf(line, sizeof line, "%.0f steps/s  %.0f frames/s  %.1f ms", steps_ * 1000.0 / elapsed,
                      frames_ * 1000.0 / elapsed, heaviest_);
        text_ = line;
        secondStart_ = nowMs;
        steps_ = frames_ = 0;
        heaviest_ = 0;
    }

    std::optional<double> secondStart_, frameStart_;
    int64_t steps_ = 0, frames_ = 0;
    double heaviest_ = 0;
    std::string text_;
};
