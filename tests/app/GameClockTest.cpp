// The game clock over a simulated minute: 60 steps a second whatever
// showing a picture costs, the steps owed taken without pictures between
// them up to the bound, and no burst after a stall.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "core/Game.h"
#include "render/DrawSurface.h"

namespace {

struct ClockCase {
    const char* name;
    int64_t showMs;       // what showing each picture costs
    int64_t stallMs;      // a stall 10 s in: outside the game, or in a modal box
    bool inModalBox;
    int64_t steps;        // over the minute, give or take 2
    int64_t pictures;     // give or take 2
    int mostStepsAPicture;
};
void PrintTo(const ClockCase& c, std::ostream* os) { *os << c.name; }

constexpr ClockCase kCases[] = {
    {"free showing", 0, 0, false, 3600, 3600, 1},
    {"10 ms showing", 10, 0, false, 3600, 3600, 1},
    {"30 ms showing: two steps a picture", 30, 0, false, 3600, 2000, 2},
    // Behind by 12 steps a picture: 5 are taken, the rest forgiven (the
    // first picture has one).
    {"200 ms showing: the game slows down", 200, 0, false, 1496, 300, 5},
    // The first picture after the stall takes the bound, then the pace
    // goes on from the present: 55 s of steps, and the bound's 4 more.
    {"5 s stall", 0, 5000, false, 3304, 3300, 5},
    // A stall the game itself waited on owes nothing at all.
    {"5 s modal box", 0, 5000, true, 3301, 3301, 1},
};

class GameClockRun : public ::testing::TestWithParam<ClockCase> {};

TEST_P(GameClockRun, SixtyStepsASecondWhateverShowingCosts) {
    const ClockCase& c = GetParam();
    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom random(3);
    Game game(platform, sound, random);
    DrawSurface surface(platform.text, &platform);
    platform.supportDir.clear();
    startUp(game, surface);
    platform.presentMicros = c.showMs * 1000;
    platform.dialogMicros = c.stallMs * 1000;

    const int64_t start = platform.clockMicros();
    const int64_t stallAt = start + 10 * kMicrosPerSecond;
    bool stalled = c.stallMs == 0;
    const int64_t steps0 = platform.polled;
    const int pictures0 = platform.presented;
    int most = 0;
    const int64_t resumeAt = stallAt + c.stallMs * 1000;
    int64_t secondAfter = 0;  // steps of the passes begun in the second after the stall
    GameClock clock(start);
    while (platform.clockMicros() - start < 60 * kMicrosPerSecond) {
        if (!stalled && platform.clockMicros() >= stallAt) {
            stalled = true;
            if (c.inModalBox)
                platform.queueMenu(MenuAbout);  // the About box opens a step later
            else
                platform.advanceMicros(c.stallMs * 1000);
        }
        const int64_t began = platform.clockMicros();
        const int64_t before = platform.polled;
        ASSERT_EQ(runFrame(game, surface, clock), FrameEnd::Continue);
        const int steps = int(platform.polled - before);
        most = std::max(most, steps);
        if (began >= resumeAt && began < resumeAt + kMicrosPerSecond) secondAfter += steps;
    }
    EXPECT_NEAR(platform.polled - steps0, c.steps, 2);
    EXPECT_NEAR(platform.presented - pictures0, c.pictures, 2);
    EXPECT_EQ(most, c.mostStepsAPicture);
    if (c.stallMs > 0) {
        EXPECT_NEAR(secondAfter, 60 + c.mostStepsAPicture - 1, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Showing, GameClockRun, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

}  // namespace
