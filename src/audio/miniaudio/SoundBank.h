#pragma once
// The game's sound output over miniaudio's engine: fifteen slots of decoded
// samples and 64 channels, one engine sound per playing instance.
//
// Threads: every public call comes from the game thread. The audio thread
// only mixes and, when an instance reaches its end, marks its channel as
// ended (an atomic flag); the game thread releases ended instances when it
// takes their channel again. No call waits for a sound to finish.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/SoundOutput.h"
#include "audio/miniaudio/WavParser.h"

class SoundBank final : public SoundOutput {
public:
    static constexpr int64_t kChannels = 64;
    static constexpr int64_t kDefaultVolume = 100;

    SoundBank();
    ~SoundBank() override;
    SoundBank(const SoundBank&) = delete;
    SoundBank& operator=(const SoundBank&) = delete;

    // Opens the engine on the default playback device. False (and silence
    // from then on) when there is none.
    bool initSound() override;
    // Opens the engine without a device, stereo at the given rate: nothing
    // plays until mix() pulls frames, so tests decide exactly when sounds
    // advance and end.
    bool initSoundNoDevice(uint32_t sampleRate = 48000);

    // Opening the device and reading the sound files can wait until the
    // game's first frame is on the screen. After openLater(), initSound and
    // loadSound only note what was asked (the slots stay empty and every
    // play is silent meanwhile); openNow() then does it all, in the order
    // asked, and hands the choices that follow to the game's calls as
    // usual. Until openNow() nothing is opened or read.
    void openLater();
    void openNow();

    bool loadSound(SoundId slot, const std::string& path) override;
    // Fills a slot from samples already decoded (what loadSound does after
    // reading the file).
    bool loadDecoded(SoundId slot, DecodedSound sound);
    bool isSoundLoaded(SoundId slot) const override;
    void playSound(SoundId slot, PlayFlags flags, int64_t volume) override;
    void stopSound(SoundId slot) override;
    void setSoundPan(SoundId slot, int64_t pan) override;
    int64_t soundStatus(SoundId slot) const override;

    // Silences the whole output and gives it back. Sounds go on playing
    // (a looping tune keeps its place) and the game's calls work as ever;
    // only nothing reaches the speakers meanwhile.
    void setMuted(bool muted);
    bool muted() const { return muted_; }

    bool isOpen() const;
    // The pan stored in a slot (-100..100).
    int64_t soundPan(SoundId slot) const;
    // Channels holding an instance that has not ended.
    int64_t busyChannels() const;
    // Without a device: mixes the next frames into out (stereo interleaved,
    // 2 * frames floats) and returns the frames written. With a device or
    // closed: fills silence and returns 0.
    uint64_t mix(float* out, uint64_t frames);

private:
    struct Engine;
    struct Slot {
        bool loaded = false;
        DecodedSound sound;
        int64_t pan = 0;
    };

    bool open(bool noDevice, uint32_t sampleRate);
    bool validSlot(int64_t slot) const { return slot >= 0 && slot < kSoundSlots; }

    std::unique_ptr<Engine> engine_;  // null when no engine is open
    std::array<Slot, kSoundSlots> slots_{};
    bool muted_ = false;
    // What initSound and loadSound asked while opening waits (openLater).
    bool openingWaits_ = false;
    bool deviceAsked_ = false;
    std::vector<std::pair<SoundId, std::string>> loadsAsked_;
};
