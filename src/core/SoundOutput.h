#pragma once
// The sound facility as the game sees it: fifteen numbered slots, each
// loaded once at start-up and then played, stopped and panned. SoundBank
// implements it over miniaudio; tests use a recorder that logs every call.
#include <cstdint>
#include <string>

enum SoundId : int64_t {
    SoundTitle = 0,
    SoundLaunch = 1,
    SoundExplMiss = 2,
    SoundExplHitCity = 3,
    SoundExplHit = 4,
    SoundLevelEnd = 5,
    SoundGameOver = 6,
    SoundSmartBomb = 7,
    SoundRestoreCity = 8,
    SoundReload = 9,
    SoundPause = 10,
    SoundAlert = 11,
    SoundHighScore = 12,
    SoundInfo = 13,
    SoundLeader = 14,
};
inline constexpr int64_t kSoundSlots = 15;

// playSound flags. Without PlayExtra a new play stops the slot's running
// instances first, so the slot is heard at most once at a time.
enum PlayFlags : int64_t {
    PlayOnce = 0,
    PlayLoop = 1,   // repeat until stopped
    PlayExtra = 2,  // beside the running instances
};
constexpr PlayFlags operator|(PlayFlags a, PlayFlags b) { return PlayFlags(int64_t(a) | int64_t(b)); }
// playSound volume meaning "the slot's default volume" (100).
inline constexpr int64_t DefaultVolume = -1;

// soundStatus values.
inline constexpr int64_t SoundStatusStopped = 0;
inline constexpr int64_t SoundStatusPlaying = 1;
inline constexpr int64_t SoundStatusPaused = 2;
inline constexpr int64_t SoundStatusEmpty = 3;

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual bool initSound() = 0;
    virtual bool loadSound(SoundId slot, const std::string& path) = 0;
    virtual bool isSoundLoaded(SoundId slot) const = 0;
    // volume 0..100, or DefaultVolume.
    virtual void playSound(SoundId slot, PlayFlags flags, int64_t volume) = 0;
    virtual void stopSound(SoundId slot) = 0;
    // pan -100 (left) .. 100 (right), clamped.
    virtual void setSoundPan(SoundId slot, int64_t pan) = 0;
    virtual int64_t soundStatus(SoundId slot) const = 0;
};

// Stops every instance of every slot.
inline void stopAllSounds(SoundOutput& sound) {
    for (int64_t slot = 0; slot < kSoundSlots; ++slot) sound.stopSound(SoundId(slot));
}

// File names of the slots, in slot order.
inline constexpr const char* kSoundFiles[kSoundSlots] = {
    "title.wav",        "launch_missile.wav", "expl_miss.wav",  "expl_hitcity.wav",
    "expl_hit.wav",     "level_end.wav",      "expl_gameover.wav", "smartbomb.wav",
    "restorecity.wav",  "reload.wav",         "pause.wav",      "alert1.wav",
    "highscore.wav",    "info.wav",           "leader.wav",
};

// The order in which start-up loads the slots.
inline constexpr SoundId kSoundLoadOrder[kSoundSlots] = {
    SoundTitle,       SoundLaunch,  SoundExplMiss, SoundExplHit,   SoundExplHitCity,
    SoundLevelEnd,    SoundReload,  SoundRestoreCity, SoundGameOver, SoundPause,
    SoundAlert,       SoundSmartBomb, SoundHighScore, SoundInfo,     SoundLeader,
};
