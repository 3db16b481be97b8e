#include "audio/Throttle.h"

#include "core/Game.h"

void playThrottled(Game& game, SoundId slot, int64_t volume) {
    auto& last = game.state.lastPlayed;
    if (slot < 0 || slot >= static_cast<int64_t>(last.size())) return;
    const int64_t now = game.platform.clockMs();
    if (now - last[static_cast<size_t>(slot)] < 51) return;
    game.sound.playSound(slot, PlayExtra, volume);
    last[static_cast<size_t>(slot)] = now;
}
