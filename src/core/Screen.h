#pragma once
// Which screen the game shows, and whether its battle moves. The game keeps
// no screen variable of its own: both follow from five flags of GameState
// (inGame, intelShown, intermission, paused, gameOver), decided here and
// nowhere else.
#include "core/GameState.h"

enum class Screen {
    Title,        // the game's name and its prompts
    Intel,        // the enemy intel screen, over the title or a new game
    SectorPanel,  // the panel before each wave; the battle is halted
    Playing,      // the battle picture
    Paused,       // the battle picture with the PAUSED panel
    GameOver,     // the battle picture with the GAME OVER panel
};

// Tested in this order: the intel screen, the title, the sector panel, then
// the battle picture. A finished game shows its GAME OVER panel even when
// paused (the picture then carries both panels, PAUSED on top).
Screen screenOf(const GameState& state);

// Whether a frame runs a battle step: a game is on, it is not paused and
// the sector panel is not up. The game-over phase runs the battle on, and
// so does the intel screen over a new game.
bool battleRuns(const GameState& state);

// The three screens that draw the battle picture.
inline bool showsBattle(Screen s) { return s == Screen::Playing || s == Screen::Paused || s == Screen::GameOver; }
