#include "core/GameState.h"

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
