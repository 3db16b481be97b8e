#pragma once
// A SoundOutput that logs every call. Slots count as loaded unless a test
// unloads them; a played slot reports "playing" until it is stopped or the
// test says it ended.
#include <array>
#include <string>
#include <vector>

#include "core/SoundOutput.h"

struct SoundCall {
    enum Kind { Init, Load, Play, Stop, Pan } kind;
    int64_t slot = 0;
    int64_t flags = 0;   // Play
    int64_t volume = 0;  // Play; pan value for Pan
    std::string path;    // Load
    bool operator==(const SoundCall&) const = default;
};

class SoundRecorder final : public SoundOutput {
public:
    SoundRecorder() { loaded.fill(true); }

    bool initSound() override {
        calls.push_back({SoundCall::Init, 0, 0, 0, {}});
        return deviceOpen;
    }
    bool loadSound(SoundId slot, const std::string& path) override {
        calls.push_back({SoundCall::Load, slot, 0, 0, path});
        return valid(slot) && loaded[slot];
    }
    bool isSoundLoaded(SoundId slot) const override { return valid(slot) && loaded[slot]; }
    void playSound(SoundId slot, PlayFlags flags, int64_t volume) override {
        calls.push_back({SoundCall::Play, slot, flags, volume, {}});
        if (valid(slot) && loaded[slot]) playing[slot] = true;
    }
    void stopSound(SoundId slot) override {
        calls.push_back({SoundCall::Stop, slot, 0, 0, {}});
        if (valid(slot)) playing[slot] = false;
    }
    void setSoundPan(SoundId slot, int64_t pan) override {
        calls.push_back({SoundCall::Pan, slot, 0, pan, {}});
    }
    int64_t soundStatus(SoundId slot) const override {
        if (!isSoundLoaded(slot)) return SoundStatusEmpty;
        return playing[slot] ? SoundStatusPlaying : SoundStatusStopped;
    }

    // Plays of one slot, in order.
    std::vector<SoundCall> playsOf(int64_t slot) const {
        std::vector<SoundCall> out;
        for (const auto& c : calls)
            if (c.kind == SoundCall::Play && c.slot == slot) out.push_back(c);
        return out;
    }
    void finish(int64_t slot) { if (valid(slot)) playing[slot] = false; }
    void clearLog() { calls.clear(); }

    std::vector<SoundCall> calls;
    std::array<bool, kSoundSlots> loaded{};
    std::array<bool, kSoundSlots> playing{};
    bool deviceOpen = true;

private:
    static bool valid(int64_t slot) { return slot >= 0 && slot < kSoundSlots; }
};
