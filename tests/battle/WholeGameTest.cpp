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

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "battle/Board.h"
#include "battle/Field.h"
#include "battle/Interceptors.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Numeric.h"

namespace {

constexpr const char* kNoHighScoreFile = "/nonexistent-zarvex-battle-tests/zvx_highscores.dat";
constexpr int kHorizon = 100;  // steps ahead the defender plans (enough to cross the field)

// The smallest value of every draw: in a look-ahead every burst is the
// smallest the game can make, so a catch it shows holds for any burst.
class LowestRandom final : public RandomSource {
public:
    int64_t range(int64_t a, int64_t) override { return a; }
};

// What stays the same about a warhead for its whole flight.
using Identity = std::tuple<float, float, float, float, uint8_t>;
Identity identityOf(const Warhead& w) { return {w.startX, w.startY, w.targetX, w.speed, w.fragment}; }

using Track = std::vector<std::pair<float, float>>;

// One warhead's future, played by the game's own step on a copy of the game
// in which it is the only warhead and nothing new is launched.
class Lookahead {
public:
    enum Fate { Flying, Caught, StrikesSite, Splits, Lands };

    Lookahead() : game_(platform_, sound_, random_) {}

    void start(const GameState& state, size_t index) {
        game_.state = state;  // a deep copy
        GameState& st = game_.state;
        const Warhead target = st.warheads[index];
        id_ = identityOf(target);
        st.warheads.clear();
        st.warheads.add() = target;
        st.spawned = st.waveSize;  // no more launches in this wave
        sound_.clearLog();
        platform_.log.clear();
    }

    // A click at (x, y); false when no site could fire.
    bool click(int64_t x, int64_t y) {
        GameState& st = game_.state;
        st.mouseX = x;
        st.mouseY = y;
        const size_t before = st.interceptors.size();
        launchInterceptor(game_);
        return st.interceptors.size() > before;
    }

    // Steps until the warhead's fate is settled or `steps` have passed; its
    // positions after each step go to `track`.
    Fate run(int steps, Track* track) {
        GameState& st = game_.state;
        if (track) track->clear();
        for (int k = 0; k < steps; ++k) {
            const int64_t standing = aliveSites(st);
            const int64_t score = st.score;
            simulationStep(game_);
            const Warhead* w = find();
            if (w != nullptr) {
                if (track) track->emplace_back(w->x, w->y);
                continue;
            }
            if (st.score > score) return Caught;
            if (aliveSites(st) < standing) return StrikesSite;
            if (!st.warheads.empty()) return Splits;
            return Lands;
        }
        return Flying;
    }

private:
    const Warhead* find() const {
        const Warhead* found = nullptr;
        game_.state.warheads.forEach([&](const Warhead& w) {
            if (identityOf(w) == id_) found = &w;
        });
        return found;
    }

    ScriptedPlatform platform_;
    SoundRecorder sound_;
    LowestRandom random_;
    Game game_;
    Identity id_{};
};

// A careful player: shoots only at warheads that would strike a standing
// site (or split), the most urgent first, aiming where the warhead will be
// when the burst is there. One click per frame at most. Where a warhead
// will be, and whether a burst catches it, it learns from the game itself;
// of the rules it knows only what a player sees: the nearest site with
// interceptors fires, and an interceptor climbs 14 px a frame.
class Defender {
public:
    int64_t clicks = 0;

    void act(Game& game, int64_t now) {
        GameState& st = game.state;
        if (st.gameOver != 0) return;  // a click would restart the game
        tickets_.erase(std::remove_if(tickets_.begin(), tickets_.end(),
                                      [&](const Ticket& t) { return t.expires < now || !exists(st, t.id); }),
                       tickets_.end());

        struct Candidate {
            size_t index;
            double urgency;  // frames until it reaches the ground
        };
        std::vector<Candidate> candidates;
        for (size_t i = 0; i < st.warheads.size(); ++i) {
            const Warhead& w = st.warheads[i];
            const Identity id = identityOf(w);
            if (ticketed(id)) continue;
            const double toGround = (double(field::kGroundY) - w.y) / std::max(0.01f, w.speed);
            if (toGround > 2 * kHorizon && !isUnsplitMirv(w)) continue;  // not yet within reach of the look-ahead
            if (!threatens(st, i, now)) continue;
            candidates.push_back({i, toGround});
        }
        std::sort(candidates.begin(), candidates.end(),
                  [](const Candidate& a, const Candidate& b) { return a.urgency < b.urgency; });

        int tries = 0;
        for (const Candidate& c : candidates) {
            if (++tries > 3) break;
            int64_t x = 0, y = 0, caughtAt = 0;
            if (!plan(st, c.index, x, y, caughtAt)) continue;
            st.mouseX = x;
            st.mouseY = y;
            launchInterceptor(game);
            ++clicks;
            tickets_.push_back({identityOf(st.warheads[c.index]), now + caughtAt + 2});
            return;
        }
    }

private:
    struct Ticket {
        Identity id;
        int64_t expires;
    };
    struct Verdict {
        bool threat;
        int64_t until;  // the frame after which it is looked at again
    };
    std::vector<Ticket> tickets_;
    std::map<Identity, Verdict> verdicts_;
    Lookahead ahead_;
    Track track_;

    static bool exists(const GameState& st, const Identity& id) {
        bool found = false;
        st.warheads.forEach([&](const Warhead& w) { found = found || identityOf(w) == id; });
        return found;
    }
    bool ticketed(const Identity& id) const {
        return std::any_of(tickets_.begin(), tickets_.end(), [&](const Ticket& t) { return t.id == id; });
    }

    // Would it, left alone, come down on a standing site (or scatter as a
    // MIRV)? A THROBBER's answer changes with what flies around it, so it
    // is asked again more often.
    bool threatens(const GameState& st, size_t index, int64_t now) {
        const Warhead& w = st.warheads[index];
        const Identity id = identityOf(w);
        const auto known = verdicts_.find(id);
        if (known != verdicts_.end() && known->second.until >= now) return known->second.threat;
        ahead_.start(st, index);
        const Lookahead::Fate fate = ahead_.run(3 * kHorizon, nullptr);
        const bool threat = fate == Lookahead::StrikesSite || fate == Lookahead::Splits;
        verdicts_[id] = {threat, now + (kindOf(w) == WarheadKind::Throbber ? 6 : 40)};
        return threat;
    }

    // The nearest site that can fire at x, as a player sees it.
    static const Site* siteFor(const GameState& st, int64_t x) {
        const Site* best = nullptr;
        st.sites.forEach([&](const Site& s) {
            if (s.alive == 0 || s.ammo < 1) return;
            if (best == nullptr || std::fabs(s.x - float(x)) < std::fabs(best->x - float(x))) best = &s;
        });
        return best;
    }

    // A click that the game, played on a copy, shows catching the warhead.
    bool plan(const GameState& st, size_t index, int64_t& x, int64_t& y, int64_t& caughtAt) {
        ahead_.start(st, index);
        if (ahead_.run(kHorizon, &track_) == Lookahead::Caught) return false;  // already doomed
        // A THROBBER slides away from the burst coming for it: after a miss,
        // aim again at where it goes with that burst in the sky. Any other
        // warhead keeps its path, so the next later point is tried instead.
        const bool dodges = kindOf(st.warheads[index]) == WarheadKind::Throbber;
        Track guess = track_;
        int verifications = 0;
        for (int round = 0; round < 4 && !guess.empty(); ++round) {
            bool tried = false;
            for (size_t k = 1; k <= guess.size() && verifications < 4; ++k) {
                const auto [px, py] = guess[k - 1];
                const int64_t ax = roundHalfEven(px), ay = roundHalfEven(py);
                if (ax < 0 || ax >= field::kWidth || ay < 0 || ay >= field::kHeight) continue;
                const Site* s = siteFor(st, ax);
                if (s == nullptr) return false;
                const double flight = std::hypot(double(ax) - s->x, double(ay) - double(field::kLaunchY)) / 14.0;
                if (std::ceil(flight) + 1 > double(k)) continue;  // the burst would come too late
                ahead_.start(st, index);
                if (!ahead_.click(ax, ay)) return false;
                tried = true;
                ++verifications;
                if (ahead_.run(int(k) + 3, &track_) == Lookahead::Caught) {
                    x = ax;
                    y = ay;
                    caughtAt = int64_t(k) + 3;
                    return true;
                }
                if (dodges) break;
            }
            if (!tried || !dodges) return false;
            guess = track_;
        }
        return false;
    }
};

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

        // What the drawing counts down every frame.
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
