#pragma once
// The game's moves between its screens (which follow from the flags of
// GameState, see core/Screen.h): the common actions that the keys, the
// mouse, the menus and the frame's tick trigger.
#include "core/Game.h"
#include "core/Platform.h"

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

// Easy, Normal or Hard from the Difficulty menu: sets `difficulty` and
// `speedFactor` and starts a new game at once, even when the setting is
// already in force. A game in progress is dropped without a Hall of Fame
// check.
void selectDifficulty(Game& game, MenuId id);

// One frame of the sector panel between waves (level 2 on): the countdown
// falls by one, and when it runs out the panel closes, so the wave starts
// with the next frame. The panel of level 1 waits for SPACE instead.
void countDownSectorPanel(GameState& state);

// The title tune restarts by itself whenever it has stopped.
void keepTitleMusic(Game& game);

// The volume of the alert that greets a game started by SPACE on the title
// or by a click after a game over.
inline constexpr int64_t kStartAlertVolume = 65;
