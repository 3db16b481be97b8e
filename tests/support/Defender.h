#pragma once
// A careful defender for whole games: it looks ahead by playing the game's
// own step on a copy of the game, and aims one click a frame at the
// warhead most in need of it. The battle's whole-game tests let it launch
// directly; the replay tests make its clicks real events.
#include <algorithm>
#include <cmath>
#include <map>
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

namespace defence {

constexpr int kHorizon = 100;  // steps ahead the defender plans (enough to cross the field)

// The smallest value of every draw: in a look-ahead every burst is the
// smallest the game can make, so a catch it shows holds for any burst.
class LowestRandom final : public RandomSource {
public:
    int64_t range(int64_t a, int64_t) override { return a; }
};

// What stays the same about a warhead for its whole flight.
using Identity = std::tuple<float, float, float, float, uint8_t>;
inline Identity identityOf(const Warhead& w) { return {w.startX, w.startY, w.targetX, w.speed, w.fragment}; }

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

    // Clicks at once, through the game's own launch.
    void act(Game& game, int64_t now) {
        int64_t x = 0, y = 0;
        if (!choose(game.state, now, x, y)) return;
        game.state.mouseX = x;
        game.state.mouseY = y;
        launchInterceptor(game);
    }

    // Where this frame's click goes, if it has one.
    bool choose(const GameState& st, int64_t now, int64_t& x, int64_t& y) {
        if (st.gameOver != 0 || st.inGame == 0) return false;  // a click would restart the game
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
            int64_t caughtAt = 0;
            if (!plan(st, c.index, x, y, caughtAt)) continue;
            ++clicks;
            tickets_.push_back({identityOf(st.warheads[c.index]), now + caughtAt + 2});
            return true;
        }
        return false;
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


}  // namespace defence
