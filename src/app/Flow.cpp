#include "app/Flow.h"

#include "battle/Board.h"
#include "records/HighScores.h"

GameScreen currentScreen(const GameState& s) {
    if (s.intelShown != 0) return GameScreen::Intel;
    if (s.inGame == 0) return GameScreen::Title;
    if (s.intermission == 1) return GameScreen::SectorPanel;
    // Game over wins over paused here: a finished game cannot be paused, and
    // its panel is what the player needs to see.
    if (s.gameOver == 1) return GameScreen::GameOver;
    if (s.paused != 0) return GameScreen::Paused;
    return GameScreen::Playing;
}

bool battleRuns(const GameState& s) { return s.inGame == 1 && s.paused == 0 && s.intermission == 0; }

void startNewGame(Game& game) {
    GameState& s = game.state;
    s.score = 0;
    s.level = 1;
    newBoard(game);
    setupWave(game, 1);
    s.gameOver = 0;
    s.inGame = 1;
}

void startFromTitle(Game& game) {
    game.sound.stopSound(SoundTitle);
    game.state.inGame = 1;
    newBoard(game);
    setupWave(game, 1);
    game.sound.playSound(SoundAlert, 0, kStartAlertVolume);
}

void restartFinishedGame(Game& game) {
    // The score is still that of the game just finished: record it before
    // the new game resets it.
    recordHighScore(game);
    startNewGame(game);
}
