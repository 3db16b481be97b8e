#pragma once
// What one window event does to the game. The frame loop takes at most one
// event per frame and hands it here before the battle step, so the effect
// of an input is drawn in the same frame.
#include <cstdint>

#include "core/Game.h"
#include "core/Platform.h"

// Stores the event code in game.state.event and acts on it: canvas events
// move the pointer (whatever their kind) and key presses and left clicks
// act; menu events run their command; minimising pauses a running game.
// Returns false only for Quit, which ends the frame loop at once.
bool dispatchEvent(Game& game, const WindowEvent& event);

// SPACE, I, P and ESC; every other key does nothing.
void handleKey(Game& game, int64_t key);

// The left button at (mouseX, mouseY): restarts a finished game, or asks
// for an interceptor launch while the game runs.
void handleClick(Game& game);

// One menu command by its id. Returns false for Quit.
bool handleMenu(Game& game, MenuId id);
