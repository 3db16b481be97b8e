#pragma once
#include <cstdint>

struct Game;

// Plays an extra instance of the slot unless this function started the same
// slot less than 51 ms ago, so rapid events do not stack one sound.
void playThrottled(Game& game, int64_t slot, int64_t volume);
