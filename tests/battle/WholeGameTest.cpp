// Whole games of 100 waves, played by a scripted defender that follows the
// rules a player has: at most one click per frame, aimed with the mouse, and
// launchInterceptor choosing the site. Every step checks what must always
// hold: no negative ammunition, a score that never falls within a game,
// bounded lists, and sites that only fall or rise as the rules allow.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "battle/Board.h"
#include "battle/Interceptors.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Numeric.h"

namespace {

constexpr const char* kNoHighScoreFile = "/nonexistent-zarvex-battle-tests/zvx_highscores.dat";
constexpr float kGroundY = 733.0f;
constexpr int kHorizon = 100;  // steps ahead the defender plans (enough to cross the field)

bool isMirv(const Warhead& w) { return w.splitY >= 1 && w.fragment == 0; }
bool isZig(const Warhead& w) { return w.seeker == 0 && w.zigzag != 0; }
bool isThrobber(const Warhead& w) { return w.seeker == 0 && w.zigzag == 0 && w.evasive != 0; }

// The x a non-evasive warhead takes at height y, as warheadPass computes it.
float pathX(const Warhead& w, float y) {
    const double span = 768.0 - static_cast<double>(w.startY);
    float t = span > 0 ? toF32((static_cast<double>(y) - w.startY) / span) : 1.0f;
    t = std::min(t, 1.0f);
    const double line = static_cast<double>(w.startX) + (static_cast<double>(w.targetX) - w.startX) * t;
    if (isZig(w)) return toF32(static_cast<double>(roundHalfEven(line)) + 80.0 * std::sin(0.05 * y + w.zigPhase));
    return toF32(line);
}

// The site launchInterceptor would choose for a click at x.
const Site* siteFor(const GameState& st, int64_t x) {
    const Site* best = nullptr;
    float bestDistance = 10000.0f;
    st.sites.forEach([&](const Site& s) {
        if (s.alive == 0 || s.ammo < 1) return;
        const float d = toF32(std::fabs(static_cast<double>(s.x) - static_cast<double>(x)));
        if (d < bestDistance) {
            best = &s;
            bestDistance = d;
        }
    });
    return best;
}

bool strikesSite(const GameState& st, float x, float y) {
    bool hit = false;
    st.sites.forEach([&](const Site& s) {
        const float dx = x - s.x;
        const float dy = y - kGroundY;
        if (s.alive != 0 && static_cast<double>(dx) * dx + static_cast<double>(dy) * dy < 2025.0) hit = true;
    });
    return hit;
}

struct Aim {
    int64_t x = 0, y = 0;
    float distance = 0;
    int64_t burstStep = 0;  // the step whose interceptor pass makes the burst
};

Aim aimAt(const GameState& st, float x, float y, bool& ok) {
    Aim a;
    a.x = std::clamp<int64_t>(roundHalfEven(x), 0, 1279);
    a.y = std::clamp<int64_t>(roundHalfEven(y), 0, 767);
    const Site* s = siteFor(st, a.x);
    ok = s != nullptr && std::fabs(static_cast<double>(a.x) - x) < 3 && std::fabs(static_cast<double>(a.y) - y) < 3;
    if (!ok) return a;
    const double dx = static_cast<double>(a.x) - s->x;
    const double dy = static_cast<double>(a.y) - 703.0;
    a.distance = toF32(std::sqrt(dx * dx + dy * dy));
    a.burstStep = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(static_cast<double>(a.distance) / 14.0)));
    return a;
}

// What a THROBBER meets on its way: the interceptors in flight (and the
// bursts they will make, assumed at their smallest) and the explosions,
// stepped forward exactly as the passes do.
struct Field {
    struct Flight {
        float startX, startY, targetX, targetY, distance, travelled;
    };
    std::vector<Flight> flights;
    std::vector<Explosion> explosions;

    void take(const GameState& st, float nearX, float nearY, float reach) {
        flights.clear();
        explosions.clear();
        auto near = [&](float x, float y, float r) {
            const float dx = x - nearX, dy = y - nearY;
            return dx * dx + dy * dy < (reach + r) * (reach + r);
        };
        st.interceptors.forEach([&](const Interceptor& i) {
            if (near(i.targetX, i.targetY, 0) || near(i.x, i.y, 0))
                flights.push_back({i.startX, i.startY, i.targetX, i.targetY, i.distance, i.travelled});
        });
        st.explosions.forEach([&](const Explosion& e) {
            if (near(e.x, e.y, e.maxRadius + 6)) explosions.push_back(e);
        });
    }
};

// Follows one THROBBER forward through the field, plus an optional burst of
// ours; returns the step in which a blast catches it (0 = none before it
// lands), and leaves its positions in `track`.
int followThrobber(const GameState& st, const Warhead& start, Field field, const Aim* ours, float oursStartX,
                   std::vector<std::pair<float, float>>& track) {
    Warhead w = start;
    track.clear();
    const double k = dodgeStrengthFor(st.level, st.speedFactor);
    std::vector<Field::Flight> flights = field.flights;
    if (ours) flights.push_back({oursStartX, 703.0f, static_cast<float>(ours->x), static_cast<float>(ours->y),
                                 ours->distance, 0.0f});
    std::vector<bool> flying(flights.size(), true);
    std::vector<std::pair<float, float>> pos(flights.size(), {0.0f, 0.0f});
    for (size_t i = 0; i < field.flights.size(); ++i) {
        const auto& f = field.flights[i];
        const float r = f.distance > 0 ? toF32(static_cast<double>(f.travelled) / f.distance) : 1.0f;
        pos[i] = {toF32(f.startX + (static_cast<double>(f.targetX) - f.startX) * r),
                  toF32(f.startY + (static_cast<double>(f.targetY) - f.startY) * r)};
        if (f.travelled == 0) pos[i] = {0.0f, 0.0f};
    }
    std::vector<Explosion> blasts = field.explosions;
    for (int step = 1; step <= kHorizon; ++step) {
        // The warheads pass.
        w.y = toF32(static_cast<double>(w.y) + w.speed);
        double drift = w.driftX;
        for (size_t i = 0; i < flights.size(); ++i) {
            if (!flying[i]) continue;
            const float dx = w.x - pos[i].first, dy = w.y - pos[i].second;
            const float d2 = toF32(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
            if (d2 < 14400.0f && pos[i].second > w.y) drift = toF32(drift + k * sign(dx) * 0.4);
        }
        for (const Explosion& e : blasts) {
            const float dx = w.x - e.x, dy = w.y - e.y;
            const float d2 = toF32(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
            if (d2 < static_cast<double>(e.radius) * e.radius + 2000.0) drift = toF32(drift + k * sign(dx) * 0.7);
        }
        w.driftX = toF32(drift * 0.88);
        w.x = toF32(static_cast<double>(w.x) + w.driftX);
        if (w.x < 40.0f) {
            w.x = 40.0f;
            w.driftX = 1.0f;
        } else if (w.x > 1240.0f) {
            w.x = 1240.0f;
            w.driftX = -1.0f;
        }
        track.emplace_back(w.x, w.y);
        for (const Explosion& e : blasts) {
            const float dx = w.x - e.x, dy = w.y - e.y;
            if (toF32(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy) <=
                static_cast<double>(e.radius) * e.radius)
                return step;
        }
        if (strikesSite(st, w.x, w.y) || w.y >= kGroundY) return 0;
        // The interceptors pass: arrivals become bursts of the smallest size.
        for (size_t i = 0; i < flights.size(); ++i) {
            if (!flying[i]) continue;
            auto& f = flights[i];
            f.travelled = toF32(static_cast<double>(f.travelled) + 14.0);
            const float r = f.distance > 0 ? toF32(static_cast<double>(f.travelled) / f.distance) : 1.0f;
            pos[i] = {toF32(f.startX + (static_cast<double>(f.targetX) - f.startX) * r),
                      toF32(f.startY + (static_cast<double>(f.targetY) - f.startY) * r)};
            if (f.travelled >= f.distance) {
                flying[i] = false;
                Explosion e;
                e.x = f.targetX;
                e.y = f.targetY;
                e.radius = 1;
                e.maxRadius = 35;
                e.alpha = 255;
                e.growing = 1;
                e.fade = 14;
                blasts.push_back(e);
            }
        }
        // The explosions pass.
        for (size_t i = 0; i < blasts.size();) {
            Explosion& e = blasts[i];
            if (e.growing) {
                e.radius = toF32(static_cast<double>(e.radius) + 6.0);
                if (e.radius >= e.maxRadius) e.growing = 0;
            } else if ((e.alpha -= e.fade) <= 0) {
                blasts.erase(blasts.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
    }
    return 0;
}

// A careful player: shoots only at warheads that would strike a standing
// site, the most urgent first, aiming where the warhead will be when the
// burst is there. One click per frame at most.
class Defender {
public:
    int64_t clicks = 0;

    void act(Game& game, int64_t now) {
        GameState& st = game.state;
        if (st.gameOver != 0) return;  // a click would restart the game
        // Forget targets that are gone or whose burst should have caught them.
        tickets_.erase(std::remove_if(tickets_.begin(), tickets_.end(),
                                      [&](const Ticket& t) { return t.expires < now || !exists(st, t); }),
                       tickets_.end());

        struct Candidate {
            const Warhead* w;
            double urgency;
        };
        std::vector<Candidate> candidates;
        st.warheads.forEach([&](const Warhead& w) {
            if (ticketed(w) || !threatens(st, w)) return;
            const double toZone = (688.0 - w.y) / std::max(0.01f, w.speed);
            candidates.push_back({&w, toZone});
        });
        std::sort(candidates.begin(), candidates.end(),
                  [](const Candidate& a, const Candidate& b) { return a.urgency < b.urgency; });

        int tries = 0;
        for (const Candidate& c : candidates) {
            if (++tries > 4) break;
            Aim aim;
            int64_t hitStep = 0;
            if (!plan(st, *c.w, aim, hitStep)) continue;
            st.mouseX = aim.x;
            st.mouseY = aim.y;
            launchInterceptor(game);
            ++clicks;
            tickets_.push_back({c.w, c.w->startX, c.w->startY, c.w->targetX, c.w->speed, now + hitStep + 2});
            return;
        }
    }

private:
    struct Ticket {
        const Warhead* w;
        float startX, startY, targetX, speed;
        int64_t expires;
    };
    std::vector<Ticket> tickets_;
    std::vector<std::pair<float, float>> track_;
    Field field_;

    static bool same(const Ticket& t, const Warhead& w) {
        return t.w == &w && t.startX == w.startX && t.startY == w.startY && t.targetX == w.targetX &&
               t.speed == w.speed;
    }
    static bool exists(const GameState& st, const Ticket& t) {
        bool found = false;
        st.warheads.forEach([&](const Warhead& w) { found = found || same(t, w); });
        return found;
    }
    bool ticketed(const Warhead& w) const {
        return std::any_of(tickets_.begin(), tickets_.end(), [&](const Ticket& t) { return same(t, w); });
    }

    // Would it come down within reach of a standing site? An unsplit MIRV
    // may scatter anywhere, so it always counts.
    static bool threatens(const GameState& st, const Warhead& w) {
        if (isMirv(w)) return w.y < static_cast<float>(w.splitY);
        if (isThrobber(w)) {
            const float settle = std::clamp(w.x + w.driftX * 7.4f, 40.0f, 1240.0f);
            bool near = false;
            st.sites.forEach([&](const Site& s) {
                if (s.alive != 0 && (std::fabs(settle - s.x) < 60 || std::fabs(w.x - s.x) < 60)) near = true;
            });
            return near;
        }
        for (float y = std::max(w.y, 680.0f); y <= kGroundY + 4; y += 3.0f) {
            const float x = pathX(w, y);
            bool near = false;
            st.sites.forEach([&](const Site& s) {
                const float dx = x - s.x, dy = y - kGroundY;
                if (s.alive != 0 && dx * dx + dy * dy < 52.0f * 52.0f) near = true;
            });
            if (near) return true;
        }
        return false;
    }

    bool plan(const GameState& st, const Warhead& w, Aim& aim, int64_t& hitStep) {
        if (isThrobber(w)) return planThrobber(st, w, aim, hitStep);
        // Step the warhead forward exactly; the first step k whose point a
        // burst can reach in time (burst made by step k - 1) is the one.
        float y = w.y;
        for (int k = 1; k <= kHorizon; ++k) {
            y = toF32(static_cast<double>(y) + w.speed);
            if (isMirv(w) && y >= static_cast<float>(w.splitY)) return false;
            const float x = pathX(w, y);
            if (y >= kGroundY || strikesSite(st, x, y)) return false;
            bool ok = false;
            const Aim a = aimAt(st, x, y, ok);
            if (!ok) continue;
            if (a.burstStep + 1 <= k) {
                aim = a;
                hitStep = k;
                return true;
            }
        }
        return false;
    }

    bool planThrobber(const GameState& st, const Warhead& w, Aim& aim, int64_t& hitStep) {
        field_.take(st, w.x, w.y, 400.0f);
        if (followThrobber(st, w, field_, nullptr, 0, track_) != 0) return false;  // already doomed
        std::vector<std::pair<float, float>> guess = track_;
        for (int round = 0; round < 4 && !guess.empty(); ++round) {
            Aim a;
            bool found = false;
            for (size_t k = 1; k <= guess.size(); ++k) {
                bool ok = false;
                a = aimAt(st, guess[k - 1].first, guess[k - 1].second, ok);
                if (ok && a.burstStep + 1 <= static_cast<int64_t>(k)) {
                    found = true;
                    break;
                }
            }
            if (!found) return false;
            const Site* s = siteFor(st, a.x);
            const int caught = followThrobber(st, w, field_, &a, s->x, track_);
            if (caught != 0) {
                aim = a;
                hitStep = caught;
                return true;
            }
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
    // Kinds met in flight: ICBM, MIRV, fragment, SEEKER, ZIG-ZAGER, THROBBER.
    std::array<bool, 6> kindsSeen{};
};

// One rule-keeping check per step; returns false (after reporting) on the
// first breach.
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
    for (size_t i = 0; i < 6; ++i) {
        const Site& s = st.sites[i];
        const auto& b = before.sites[i];
        ASSERT_EQ(s.x, field::kSiteX[i]);
        ASSERT_GE(s.ammo, 0);
        ASSERT_LE(s.ammo, 30);
        alive += s.alive != 0;
        if (b.alive == 0 && s.alive != 0) {
            ++repaired;
            ASSERT_GE(before.score, before.nextRepairScore);
            ASSERT_EQ(st.nextRepairScore, before.nextRepairScore + before.level * 500 + 10000);
            ASSERT_EQ(b.repairTimer, 0);
            ASSERT_EQ(s.repairTimer, 180);
            // A resupply may follow the repair within the same step.
            if (newWave) {
                ASSERT_EQ(s.ammo, waveAmmoFor(st.level));
            } else {
                ASSERT_TRUE(s.ammo == 10 || s.ammo == 15) << s.ammo;
            }
        } else if (b.alive != 0 && s.alive == 0) {
            ++fallen;
            ASSERT_EQ(st.staticTimer, 30);
            ASSERT_TRUE(s.ammo == b.ammo || s.ammo == std::min<int64_t>(b.ammo, 25) + 5);
        } else if (s.alive == 0) {
            // Unchanged, unless it was repaired and struck again in this step.
            const bool rebuiltAndLost = st.nextRepairScore != before.nextRepairScore && (s.ammo == 10 || s.ammo == 15);
            ASSERT_TRUE(s.ammo == b.ammo || rebuiltAndLost) << "a ruin's interceptors changed";
            if (s.ammo != b.ammo) {
                ++repaired;
                ++fallen;
            }
        } else if (newWave) {
            ASSERT_EQ(s.ammo, waveAmmoFor(st.level));
        } else {
            ASSERT_TRUE(s.ammo == b.ammo || s.ammo == std::min<int64_t>(b.ammo, 25) + 5)
                << "site " << i << " went from " << b.ammo << " to " << s.ammo;
        }
    }
    ASSERT_LE(repaired, 1) << "two cities repaired in one step";
    if (repaired == 0) {
        ASSERT_EQ(st.nextRepairScore, before.nextRepairScore);
    }
    if (fallen > 0) {
        ASSERT_EQ(st.shakeTimer, alive == 0 ? 120 : (6 - alive) * 15 + 30);
    }
    out.repairs += repaired;
    out.losses += fallen;
}

void noteKinds(const GameState& st, Outcome& out) {
    st.warheads.forEach([&](const Warhead& w) {
        size_t kind = 0;
        if (w.seeker) kind = 3;
        else if (w.zigzag) kind = 4;
        else if (w.evasive) kind = 5;
        else if (w.fragment) kind = 2;
        else if (w.splitY > 0) kind = 1;
        out.kindsSeen[kind] = true;
    });
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
    const auto boxes = platform.logged("messageBox:");
    if (!boxes.empty()) out.message = boxes.front();
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
