#include "battle/WaveEnd.h"

#include "audio/Throttle.h"
#include "battle/Board.h"
#include "battle/Field.h"
#include "battle/Interceptors.h"
#include "core/Numeric.h"
#include "records/HighScores.h"

void gameOverCheck(Game& game) {
    GameState& st = game.state;
    if (st.gameOver != 0 || aliveSites(st) > 0) return;
    st.gameOver = 1;
    st.gameOverTimer = 120;
    st.shakeTimer = 120;
    // A white flash from the middle of the playfield, wider than the whole
    // screen.
    addExplosion(game, field::kWidth / 2, field::kHeight / 2, 1600, 255, 255, 255, 14);
    game.sound.setSoundPan(SoundGameOver, -100);
    playThrottled(game, SoundGameOver, 100);
}

bool gameOverSequence(Game& game) {
    GameState& st = game.state;
    if (st.gameOver == 0) return false;
    if (st.gameOverTimer >= 1) {
        --st.gameOverTimer;
        return false;
    }
    if (!st.explosions.empty()) return false;  // wait for the fire to burn out

    noteGameEnding(game);
    recordHighScore(game);
    st.inGame = 0;
    st.gameOver = 0;
    st.level = 1;
    st.score = 0;
    newBoard(game);
    return true;
}

void waveEndCheck(Game& game) {
    GameState& st = game.state;
    if (st.spawned < st.waveSize || !st.warheads.empty() || !st.explosions.empty() || st.gameOver != 0) return;

    game.sound.playSound(SoundLevelEnd, PlayOnce, 90);

    st.bonus = 0;
    const double perSite = siteBonusFor(st.level, st.speedFactor);
    st.sites.forEach([&](const Site& s) {
        if (s.alive != 0) st.bonus = roundHalfEven(static_cast<double>(st.bonus) + perSite);
    });
    st.score += st.bonus;
    st.lastBonus = st.bonus;

    if (st.level < kLastLevel) {
        st.level += 1;
        setupWave(game, st.level);
        return;
    }

    // The last wave is won. The game-over sequence then returns to the
    // title once the playfield is quiet.
    st.gameOver = 1;
    const bool fewLosses = aliveSites(st) >= 5;
    game.platform.activateApp();
    if (fewLosses)
        game.platform.messageBox(kTotalVictoryTitle, kTotalVictoryText);
    else
        game.platform.messageBox(kPyrrhicVictoryTitle, kPyrrhicVictoryText);
}
