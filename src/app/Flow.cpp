#include "app/Flow.h"

#include "battle/Board.h"
#include "records/HighScores.h"
#include "ui/Menus.h"

void startNewGame(Game& game) {
    noteGameStarting(game);
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
    noteGameStarting(game);
    game.state.inGame = 1;
    newBoard(game);
    setupWave(game, 1);
    game.sound.playSound(SoundAlert, PlayOnce, kStartAlertVolume);
}

void restartFinishedGame(Game& game) {
    // The score is still that of the game just finished: record it before
    // the new game resets it.
    noteGameEnding(game);
    recordHighScore(game);
    startNewGame(game);
}

void selectDifficulty(Game& game, MenuId id) {
    const Difficulty d = difficultyFor(id);
    game.state.difficulty = d.difficulty;
    game.state.speedFactor = d.speedFactor;
    // A fresh game at the new setting. `paused` and `intelShown` stay: a game
    // chosen while paused begins paused, one chosen on the intel screen waits
    // behind it until SPACE.
    game.sound.stopSound(SoundTitle);
    // A game in progress is dropped for the new one.
    if (game.state.inGame != 0) noteGameEnding(game);
    startNewGame(game);
    game.sound.playSound(SoundAlert, PlayOnce, DefaultVolume);
}

void countDownSectorPanel(GameState& state) {
    if (state.level == 1) return;
    --state.countdown;
    if (state.countdown < 1) state.intermission = 0;
}

void keepTitleMusic(Game& game) {
    SoundOutput& sound = game.sound;
    if (sound.isSoundLoaded(SoundTitle) && sound.soundStatus(SoundTitle) != SoundStatusPlaying)
        sound.playSound(SoundTitle, PlayLoop, DefaultVolume);
}
