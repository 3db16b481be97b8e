#include "core/GameState.h"

#include <cstring>

void setInitialValues(GameState& gs) {
    gs.level = 1;
    gs.score = 0;
    gs.paused = 0;
    gs.gameOver = 0;
    gs.spawned = 0;
    gs.waveSize = 10;
    gs.intermission = 0;
    gs.inGame = 0;
    gs.difficulty = 1;
    gs.speedFactor = 1.0f;
    gs.shakeTimer = 0;
    gs.nextRepairScore = 10000;
    gs.alarmPhase = 0;
    gs.titlePhase = 0;
    gs.countdown = 0;
    gs.lastBonus = 0;
    gs.bonus = 0;
    gs.staticTimer = 0;
    gs.gameOverTimer = 0;
    gs.lastPlayed.fill(0);
    gs.intelShown = 0;
}

namespace {

// FNV-1a over the bytes of each value, fed one field at a time so that
// padding never counts.
class Digest {
public:
    template <class T>
    void add(const T& v) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &v, sizeof(T));
        for (unsigned char b : bytes) {
            h_ ^= b;
            h_ *= 0x100000001b3ull;
        }
    }
    uint64_t value() const { return h_; }

private:
    uint64_t h_ = 0xcbf29ce484222325ull;
};

}  // namespace

uint64_t fingerprint(const GameState& gs) {
    Digest d;
    d.add(uint64_t(gs.sites.size()));
    gs.sites.forEach([&](const Site& s) {
        d.add(s.x), d.add(s.ammo), d.add(s.alive), d.add(s.repairTimer);
        d.add(uint64_t(s.buildings.size()));
        s.buildings.forEach([&](const Building& b) { d.add(b.width), d.add(b.height), d.add(b.offsetX); });
    });
    d.add(uint64_t(gs.warheads.size()));
    gs.warheads.forEach([&](const Warhead& w) {
        d.add(w.startX), d.add(w.startY), d.add(w.x), d.add(w.y), d.add(w.targetX), d.add(w.speed);
        d.add(w.evasive), d.add(w.fragment), d.add(w.pulse), d.add(w.driftX), d.add(w.splitY);
        d.add(w.seeker), d.add(w.zigzag), d.add(w.zigPhase);
    });
    d.add(uint64_t(gs.interceptors.size()));
    gs.interceptors.forEach([&](const Interceptor& i) {
        d.add(i.startX), d.add(i.startY), d.add(i.x), d.add(i.y), d.add(i.targetX), d.add(i.targetY);
        d.add(i.speed), d.add(i.travelled), d.add(i.distance);
    });
    d.add(uint64_t(gs.explosions.size()));
    gs.explosions.forEach([&](const Explosion& e) {
        d.add(e.x), d.add(e.y), d.add(e.radius), d.add(e.maxRadius), d.add(e.red), d.add(e.green);
        d.add(e.blue), d.add(e.alpha), d.add(e.growing), d.add(e.fade);
    });
    d.add(gs.level), d.add(gs.score), d.add(gs.paused), d.add(gs.gameOver), d.add(gs.spawned);
    d.add(gs.waveSize), d.add(gs.intermission), d.add(gs.inGame), d.add(gs.difficulty), d.add(gs.speedFactor);
    d.add(gs.shakeTimer), d.add(gs.nextRepairScore), d.add(gs.alarmPhase), d.add(gs.titlePhase);
    d.add(gs.countdown), d.add(gs.lastBonus), d.add(gs.bonus), d.add(gs.staticTimer), d.add(gs.gameOverTimer);
    d.add(gs.intelShown), d.add(gs.event), d.add(gs.mouseX), d.add(gs.mouseY), d.add(gs.launchSite);
    d.add(gs.launchDistance), d.add(gs.groundColour), d.add(gs.cityColour), d.add(gs.throbberMoved);
    return d.value();
}
