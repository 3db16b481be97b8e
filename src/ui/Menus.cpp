#include "ui/Menus.h"

#include "app/Flow.h"

std::vector<MenuSpec> menuBar(const std::string& executableName) {
    std::vector<MenuSpec> menus;

    MenuSpec app;
    app.title = executableName;
    app.applicationMenu = true;
    app.items = {{"About " + executableName, MenuAbout}, {"Quit " + executableName, MenuQuit}};
    menus.push_back(app);

    MenuSpec file;
    file.title = "File";
    file.items = {{"Show High Scores", MenuShowHighScores}, {"Clear High Scores", MenuClearHighScores}};
    menus.push_back(file);

    MenuSpec difficulty;
    difficulty.title = "Difficulty";
    difficulty.items = {{"Easy", MenuEasy}, {"Normal", MenuNormal}, {"Hard", MenuHard}};
    menus.push_back(difficulty);

    return menus;
}

void selectDifficulty(Game& game, int64_t id) {
    GameState& s = game.state;
    // Normal unless the item says otherwise; any other id counts as Normal.
    s.speedFactor = 1.0f;
    s.difficulty = 1;
    if (id == MenuEasy) {
        s.difficulty = 0;
        s.speedFactor = 0.6f;
    } else if (id == MenuHard) {
        s.difficulty = 2;
        s.speedFactor = 1.8f;
    }
    // A fresh game at the new setting. `paused` and `intelShown` stay: a game
    // chosen while paused begins paused, one chosen on the intel screen waits
    // behind it until SPACE.
    game.sound.stopSound(SoundTitle);
    startNewGame(game);
    game.sound.playSound(SoundAlert, 0, DefaultVolume);
}
