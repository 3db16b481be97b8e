#pragma once
#include <cstdint>

#include "core/SoundOutput.h"

struct Game;

// Plays an extra instance of the slot unless this function started the same
// slot less than 51 ms ago, so rapid events do not stack one sound.
void playThrottled(Game& game, SoundId slot, int64_t volume);
