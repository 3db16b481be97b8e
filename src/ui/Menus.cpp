#include "ui/Menus.h"

std::vector<MenuSpec> menuBar(const std::string& executableName) {
    std::vector<MenuSpec> menus;

    MenuSpec app;
    app.title = executableName;
    app.applicationMenu = true;
    app.items = {{"About " + executableName, MenuAbout}, {"Quit " + executableName, MenuQuit}};
    menus.push_back(app);

    MenuSpec file;
    file.title = "File";
    file.items = {{"Show High Scores", MenuShowHighScores},
                  {"Watch Best Game", MenuWatchBestGame},
                  {"Clear High Scores", MenuClearHighScores}};
    menus.push_back(file);

    MenuSpec difficulty;
    difficulty.title = "Difficulty";
    difficulty.items = {{"Easy", MenuEasy}, {"Normal", MenuNormal}, {"Hard", MenuHard}};
    menus.push_back(difficulty);

    return menus;
}

Difficulty difficultyFor(MenuId id) {
    switch (id) {
        case MenuEasy: return {0, 0.6f};
        case MenuHard: return {2, 1.8f};
        default: return {1, 1.0f};
    }
}
