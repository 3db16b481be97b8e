#pragma once
// The game's screens and phases. There is no state variable of its own: the
// screen follows from five flags of GameState (inGame, intelShown,
// intermission, paused, gameOver), and the procedures here are the common
// moves between them that the keys, the mouse and the menus trigger.
#include "core/Game.h"

// What a frame shows, decided from the flags in this order: the intel
// screen, the title, the sector panel, then the battle picture (with the
// game-over panel, or the paused panel, on top).
enum class GameScreen { Title, Intel, SectorPanel, Playing, Paused, GameOver };
GameScreen currentScreen(const GameState& state);

// Whether the battle moves in this frame: a game is on, it is not paused and
// the sector panel is not up. The game-over phase runs the battle on.
bool battleRuns(const GameState& state);

// Every new game: score 0, level 1, a fresh board, the first wave set up
// (which raises the sector panel of level 1), no game over, in game.
// `paused` and `intelShown` are left as they are.
void startNewGame(Game& game);

// SPACE on the title screen: the title tune stops and the first wave's
// sector panel comes up with the alert sound. Score and level are already 0
// and 1 on the title, so they are not touched.
void startFromTitle(Game& game);

// Leaving a finished game (gameOver 1) for a new one: the Hall of Fame check
// runs first, on the score just reached, then the new game starts.
void restartFinishedGame(Game& game);

// The volume of the alert that greets a game started by SPACE on the title
// or by a click after a game over.
inline constexpr int64_t kStartAlertVolume = 65;
