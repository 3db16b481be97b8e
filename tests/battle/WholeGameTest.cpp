// Whole games of 100 waves, played by a scripted defender that follows the
// rules a player has: at most one click per frame, aimed with the mouse, and
// launchInterceptor choosing the site. The defender looks ahead by playing
// the game itself, on a copy. Every step checks what must always hold: no
// negative ammunition, a score that never falls within a game, bounded
// lists, and sites that only fall or rise as the rules allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "Defender.h"
#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "battle/Board.h"
#include "battle/Field.h"
#include "battle/Interceptors.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Numeric.h"

namespace {

using defence::Defender;

constexpr const char* kNoHighScoreFile = "/nonexistent-zarvex-battle-tests/zvx_highscores.dat";
struct Snapshot {
    struct SiteState {
        uint8_t alive;
        int64_t ammo;
        int64_t repairTimer;
    };
    std::vector<SiteState> sites;
    int64_t level, score, nextRepairScore;

    explicit Snapshot(const GameState& st) : level(st.level), score(st.score), nextRepairScore(st.nextRepairScore) {
        st.sites.forEach([&](const Site& s) { sites.push_back({s.alive, s.ammo, s.repairTimer}); });
    }
};

struct Outcome {
    std::string message;  // the victory box, if any
    int64_t levelReached = 0;
    int64_t finalScore = 0;
    int64_t steps = 0;
    int64_t repairs = 0;
    int64_t losses = 0;
    int64_t clicks = 0;
    // Kinds met in flight, by WarheadKind.
    std::array<bool, 6> kindsSeen{};
};

// One rule-keeping check per step, in relations that hold whatever the
// numbers of the rules: the exact amounts are the battle's own tests' work.
void checkStep(const GameState& st, const Snapshot& before, Outcome& out) {
    ASSERT_EQ(st.sites.size(), 6u);
    const bool newWave = st.level != before.level;
    if (newWave) {
        ASSERT_EQ(st.level, before.level + 1);
        ASSERT_EQ(st.spawned, 0);
        ASSERT_EQ(st.intermission, 1);
    }
    ASSERT_GE(st.score, before.score) << "the score fell within a game";
    ASSERT_LE(st.warheads.size(), 140u);
    ASSERT_LE(st.interceptors.size(), 200u);
    ASSERT_LE(st.explosions.size(), 500u);
    ASSERT_LE(st.spawned, st.waveSize);

    int64_t alive = 0, repaired = 0, fallen = 0;
    bool resupplied = false;
    for (size_t i = 0; i < 6; ++i) {
        const Site& s = st.sites[i];
        const auto& b = before.sites[i];
        ASSERT_EQ(s.x, field::kSiteX[i]);
        ASSERT_GE(s.ammo, 0);
        ASSERT_LE(s.ammo, 30);
        alive += s.alive != 0;
        if (b.alive == 0 && s.alive != 0) {
            ++repaired;
            ASSERT_GE(before.score, before.nextRepairScore) << "a city rebuilt before the score earned it";
            ASSERT_GT(st.nextRepairScore, before.nextRepairScore) << "the next repair costs nothing more";
            ASSERT_EQ(b.repairTimer, 0) << "a city rebuilt while its last label still showed";
            ASSERT_GT(s.repairTimer, 0) << "a rebuilt city without its label";
            ASSERT_GT(s.ammo, 0) << "a rebuilt city that cannot fire";
            if (newWave) {
                ASSERT_EQ(s.ammo, waveAmmoFor(st.level));
            }
        } else if (b.alive != 0 && s.alive == 0) {
            ++fallen;
            ASSERT_GT(st.shakeTimer, 0) << "a city fell without a shake";
            ASSERT_GT(st.staticTimer, 0) << "a city fell without static";
            ASSERT_GE(s.ammo, b.ammo) << "a falling city lost interceptors";
        } else if (s.alive == 0) {
            // Unchanged, unless it was rebuilt and struck again in this step.
            if (s.ammo != b.ammo) {
                ASSERT_NE(st.nextRepairScore, before.nextRepairScore) << "a ruin's interceptors changed";
                ++repaired;
                ++fallen;
            }
        } else if (newWave) {
            ASSERT_EQ(s.ammo, waveAmmoFor(st.level));
        } else {
            // Launches happen between the steps; within one, a standing
            // site only gains interceptors, from the mid-wave resupply.
            ASSERT_GE(s.ammo, b.ammo) << "site " << i << " lost interceptors within a step";
            resupplied = resupplied || s.ammo > b.ammo;
        }
    }
    if (resupplied) {
        ASSERT_GE(st.level, 5) << "a resupply before wave 5";
        ASSERT_EQ(st.spawned, st.waveSize / 2) << "a resupply away from the middle of the wave";
    }
    ASSERT_LE(repaired, 1) << "two cities repaired in one step";
    if (repaired == 0) {
        ASSERT_EQ(st.nextRepairScore, before.nextRepairScore);
    }
    if (alive == 0) {
        ASSERT_EQ(st.gameOver, 1) << "the last city fell and the game went on";
    }
    out.repairs += repaired;
    out.losses += fallen;
}

void noteKinds(const GameState& st, Outcome& out) {
    st.warheads.forEach([&](const Warhead& w) { out.kindsSeen[size_t(kindOf(w))] = true; });
}

void playWholeGame(int64_t difficulty, float speedFactor, uint64_t seed, Outcome& out, bool defend = true) {
    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom random(seed);
    Game game(platform, sound, random);
    GameState& st = game.state;
    setInitialValues(st);
    st.highScorePath = kNoHighScoreFile;
    st.difficulty = difficulty;
    st.speedFactor = speedFactor;
    // As a new game starts: a fresh board, level 1, score 0, the first wave.
    newBoard(game);
    st.level = 1;
    st.score = 0;
    setupWave(game, 1);
    st.inGame = 1;

    Defender defender;
    constexpr int64_t kStepLimit = 2'000'000;
    while (st.inGame != 0) {
        ASSERT_LT(out.steps, kStepLimit);
        ++out.steps;
        // The sector panel would count itself down while it is drawn; the
        // test closes it at once.
        if (st.intermission != 0) st.intermission = 0;
        platform.now += 16;  // one frame
        if (defend) defender.act(game, out.steps);

        const Snapshot before(st);
        simulationStep(game);
        if (st.inGame == 0) break;  // back at the title with a new board
        checkStep(st, before, out);
        if (::testing::Test::HasFatalFailure()) return;
        out.levelReached = st.level;
        out.finalScore = st.score;
        noteKinds(st, out);

        // What the frame's tick counts down every frame.
        st.sites.forEach([](Site& s) {
            if (s.alive != 0 && s.repairTimer > 0) --s.repairTimer;
        });
        st.shakeTimer = std::max<int64_t>(0, st.shakeTimer - 1);
        st.staticTimer = std::max<int64_t>(0, st.staticTimer - 1);
    }
    out.clicks = defender.clicks;
    // The victory message, if any. The Hall of Fame has no folder here, so a
    // score that earns a place ends in the box that says it was not saved.
    for (const std::string& box : platform.logged("messageBox:"))
        if (box.rfind("messageBox:Score Not Saved|", 0) != 0) {
            out.message = box;
            break;
        }
    // The return to the title reset the game.
    EXPECT_EQ(st.level, 1);
    EXPECT_EQ(st.score, 0);
}

void expectVictory(int64_t difficulty, float speedFactor, uint64_t seed) {
    Outcome out;
    playWholeGame(difficulty, speedFactor, seed, out);
    std::printf("difficulty %lld: level %lld, score %lld, %lld steps, %lld clicks, %lld cities lost, %lld repaired\n",
                static_cast<long long>(difficulty), static_cast<long long>(out.levelReached),
                static_cast<long long>(out.finalScore), static_cast<long long>(out.steps),
                static_cast<long long>(out.clicks), static_cast<long long>(out.losses),
                static_cast<long long>(out.repairs));
    EXPECT_EQ(out.levelReached, 100);
    const bool won = out.message.rfind("messageBox:Total Victory!|", 0) == 0 ||
                     out.message.rfind("messageBox:Pyrrhic Victory!|", 0) == 0;
    EXPECT_TRUE(won) << "message: " << out.message;
    for (size_t kind = 0; kind < out.kindsSeen.size(); ++kind) EXPECT_TRUE(out.kindsSeen[kind]) << "kind " << kind;
}

TEST(WholeGame, AnUndefendedGameIsLostAndReturnsToTheTitle) {
    Outcome out;
    playWholeGame(1, 1.0f, 7, out, false);
    EXPECT_TRUE(out.message.empty());
    EXPECT_EQ(out.losses, 6);
    EXPECT_LT(out.levelReached, 10);
    EXPECT_EQ(out.clicks, 0);
}

TEST(WholeGame, EasyIsWonInAHundredWaves) { expectVictory(0, 0.6f, 20240601); }
TEST(WholeGame, NormalIsWonInAHundredWaves) { expectVictory(1, 1.0f, 20240602); }
TEST(WholeGame, HardIsWonInAHundredWaves) { expectVictory(2, 1.8f, 20240603); }

}  // namespace
