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

// playSound flags.
inline constexpr int64_t PlayLoop = 1;   // repeat until stopped
inline constexpr int64_t PlayExtra = 2;  // beside the running instances
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
    virtual bool loadSound(int64_t slot, const std::string& path) = 0;
    virtual bool isSoundLoaded(int64_t slot) const = 0;
    virtual void playSound(int64_t slot, int64_t flags, int64_t volume) = 0;
    virtual void stopSound(int64_t slot) = 0;
    virtual void setSoundPan(int64_t slot, int64_t pan) = 0;
    virtual int64_t soundStatus(int64_t slot) const = 0;
};

// File names of the slots, in slot order.
inline constexpr const char* kSoundFiles[kSoundSlots] = {
    "title.wav",        "launch_missile.wav", "expl_miss.wav",  "expl_hitcity.wav",
    "expl_hit.wav",     "level_end.wav",      "expl_gameover.wav", "smartbomb.wav",
    "restorecity.wav",  "reload.wav",         "pause.wav",      "alert1.wav",
    "highscore.wav",    "info.wav",           "leader.wav",
};

// The order in which start-up loads the slots.
inline constexpr int64_t kSoundLoadOrder[kSoundSlots] = {0, 1, 2, 4, 3, 5, 9, 8, 6, 10, 11, 7, 12, 13, 14};
