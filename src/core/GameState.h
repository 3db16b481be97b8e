#pragma once
// The one state object of the game. Every subsystem reads and writes it
// directly from the game thread. It is a plain value: a copy is a complete,
// independent game (every list is copied deeply), which is how a game can
// be looked ahead or set aside and resumed.
#include <array>
#include <cstdint>
#include <string>

#include "core/OrderedList.h"
#include "core/Records.h"

using FontHandle = int64_t;

// launchSite when the last launch request found no site that could fire.
inline constexpr int64_t kNoSite = -1;

struct GameState {
    OrderedList<Site> sites;
    OrderedList<Warhead> warheads;
    OrderedList<Interceptor> interceptors;
    OrderedList<Explosion> explosions;
    OrderedList<ScoreEntry> highScores;

    std::string highScorePath;
    std::string resourceDir;

    int64_t level = 0;
    int64_t score = 0;
    int64_t paused = 0;
    uint8_t gameOver = 0;
    int64_t spawned = 0;
    int64_t waveSize = 0;
    uint8_t intermission = 0;
    uint8_t inGame = 0;
    int64_t difficulty = 0;
    float speedFactor = 0;
    int64_t shakeTimer = 0;
    int64_t nextRepairScore = 0;
    float alarmPhase = 0;
    float titlePhase = 0;
    int64_t countdown = 0;
    int64_t lastBonus = 0;
    int64_t bonus = 0;
    int64_t staticTimer = 0;
    int64_t gameOverTimer = 0;
    std::array<int64_t, 13> lastPlayed{};
    int64_t intelShown = 0;
    FontHandle bigFont = 0;
    FontHandle smallFont = 0;
    int64_t event = 0;
    int64_t mouseX = 0;
    int64_t mouseY = 0;
    int64_t launchSite = kNoSite;  // position in `sites` of the last launch's site
    float launchDistance = 0;
    std::string hallText;
    int64_t groundColour = 0;
    int64_t cityColour = 0;
    // Whether a THROBBER dodged in this step's warhead pass; the alarm
    // phase that follows the pass reads it.
    uint8_t throbberMoved = 0;
};

// The values a run of the program starts with, set in the order of the
// fields above (the lists stay empty: the board is built by the first game).
void setInitialValues(GameState& gs);

// A 64-bit digest of everything that decides how a game goes on: every
// list of the battlefield and every number of the state. Left out: the Hall
// of Fame and its text, the paths, the font handles, and the times the sound
// throttle last played each sound (it reads the clock).
uint64_t fingerprint(const GameState& gs);
