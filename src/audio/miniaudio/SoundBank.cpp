#include "audio/miniaudio/SoundBank.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "audio/miniaudio/MiniaudioConfig.h"

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace {

// What a channel holds, as seen by both threads. The game thread moves a
// channel to Running when it starts an instance; the audio thread moves it
// from Running to Ended when the instance plays out, and the game thread
// does the same when it stops one. Everything else about the channel
// belongs to the game thread alone.
enum ChannelState : uint8_t { ChannelIdle = 0, ChannelRunning = 1, ChannelEnded = 2 };

constexpr ma_uint32 kTestChannels = 2;
// A stopped instance fades out over 5 ms rather than being cut on a click.
constexpr ma_uint64 kStopFadeMs = 5;
// How long after its stop a channel is left alone so that its fade can
// finish, in frames on top of the fade (a few device periods).
constexpr ma_uint64 kStopSettleFrames = 2048;

#if defined(__linux__)
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card, ALSA's library prints a page of
// complaints to stderr while the engine looks for a device. The game writes
// no logs, so its error handler is replaced by a silent one. The library is
// the same one the engine loads; it stays loaded for the life of the program.
void quietAlsa() {
    static const bool done = [] {
        void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (lib == nullptr) return true;
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler")))
            set(&ignoreAlsaMessage);
        return true;
    }();
    (void)done;
}

void ignoreJackMessage(const char*) {}

// With no sound server and no ALSA device the engine goes on to JACK, whose
// client library prints five lines about the server it cannot reach. Its
// error and info printers are replaced by silent ones, in the library the
// engine will load: the same names, tried in the same order. A running JACK
// server works as before, only quietly.
void quietJack() {
    static const bool done = [] {
        void* lib = nullptr;
        for (const char* name : {"libjack.so", "libjack.so.0"})
            if ((lib = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != nullptr) break;
        if (lib == nullptr) return true;
        using Printer = void (*)(const char*);
        using SetPrinter = void (*)(Printer);
        for (const char* setter : {"jack_set_error_function", "jack_set_info_function"})
            if (auto set = reinterpret_cast<SetPrinter>(dlsym(lib, setter))) set(&ignoreJackMessage);
        return true;
    }();
    (void)done;
}
#else
void quietAlsa() {}
void quietJack() {}
#endif

}  // namespace

struct SoundBank::Engine {
    struct Channel {
        ma_sound sound;
        ma_audio_buffer_ref source;  // reads the slot's samples in place
        std::atomic<uint8_t> state{ChannelIdle};
        bool live = false;          // sound and source are initialised (game thread)
        int64_t slot = -1;          // game thread
        ma_uint64 reusableAt = 0;   // engine time when a stopped instance is silent
    };

    ma_engine engine;
    bool engineReady = false;  // ma_engine_init succeeded
    bool noDevice = false;
    std::array<Channel, kChannels> channels;

    Engine() {
        std::memset(&engine, 0, sizeof engine);
        for (auto& c : channels) {
            std::memset(&c.sound, 0, sizeof c.sound);
            std::memset(&c.source, 0, sizeof c.source);
        }
    }

    // Runs on the audio thread: the instance has played out. Only the flag
    // changes here; the sound is uninitialised later on the game thread.
    static void onSoundEnd(void* user, ma_sound*) {
        auto* channel = static_cast<Channel*>(user);
        uint8_t expected = ChannelRunning;
        channel->state.compare_exchange_strong(expected, ChannelEnded, std::memory_order_acq_rel);
    }

    ma_uint64 now() const { return ma_engine_get_time_in_pcm_frames(&engine); }

    // Game thread. Uninitialising the sound detaches it from the mixer, so
    // afterwards the audio thread no longer touches the channel.
    void release(Channel& c) {
        if (!c.live) return;
        ma_sound_uninit(&c.sound);
        ma_audio_buffer_ref_uninit(&c.source);
        c.live = false;
        c.slot = -1;
        c.reusableAt = 0;
        c.state.store(ChannelIdle, std::memory_order_release);
    }

    // Game thread. The instance fades out on the audio thread and its
    // channel is free at once; the sound itself is released when the
    // channel is taken again, by which time the mixer has let go of it.
    //
    // The fade runs to silence first and the stop is scheduled well after
    // it: the mixer treats a sound as stopped for the whole block in which
    // its stop time falls, so a stop at the end of the fade would cut it.
    void stop(Channel& c) {
        const ma_uint64 fade = ma_engine_get_sample_rate(&engine) * kStopFadeMs / 1000;
        ma_sound_set_fade_in_pcm_frames(&c.sound, -1.0f, 0.0f, fade);
        c.reusableAt = now() + fade + kStopSettleFrames;
        ma_sound_set_stop_time_in_pcm_frames(&c.sound, c.reusableAt);
        c.state.store(ChannelEnded, std::memory_order_release);
    }

    bool running(const Channel& c) const {
        return c.live && c.state.load(std::memory_order_acquire) == ChannelRunning;
    }

    // A channel for a new instance: one never used or released, else one
    // whose instance ended and has gone quiet, else (all else busy) one
    // whose instance is still fading out after a stop.
    Channel* freeChannel() {
        for (auto& c : channels)
            if (!c.live) return &c;
        const ma_uint64 t = now();
        Channel* fading = nullptr;
        for (auto& c : channels) {
            if (running(c)) continue;
            if (t >= c.reusableAt) return &c;
            if (fading == nullptr) fading = &c;
        }
        return fading;
    }

    ~Engine() {
        for (auto& c : channels) release(c);
        if (engineReady) ma_engine_uninit(&engine);
    }
};

SoundBank::SoundBank() = default;

SoundBank::~SoundBank() {
    // The engine (and every instance reading the slots' samples) goes first.
    engine_.reset();
}

bool SoundBank::open(bool noDevice, uint32_t sampleRate) {
    if (engine_) return true;
    auto e = std::make_unique<Engine>();
    ma_engine_config config = ma_engine_config_init();
    if (noDevice) {
        config.noDevice = MA_TRUE;
        config.channels = kTestChannels;
        config.sampleRate = sampleRate;
    } else {
        quietAlsa();
        quietJack();
    }
    if (ma_engine_init(&config, &e->engine) != MA_SUCCESS) return false;
    e->engineReady = true;
    e->noDevice = noDevice;
    engine_ = std::move(e);
    setMuted(muted_);
    return true;
}

void SoundBank::setMuted(bool muted) {
    muted_ = muted;
    if (engine_) ma_engine_set_volume(&engine_->engine, muted ? 0.0f : 1.0f);
}

bool SoundBank::initSound() {
    if (openingWaits_) {
        deviceAsked_ = true;
        return true;  // to be tried by openNow
    }
    return open(false, 0);
}

void SoundBank::openLater() { openingWaits_ = true; }

void SoundBank::openNow() {
    if (!openingWaits_) return;
    openingWaits_ = false;
    const bool device = deviceAsked_;
    deviceAsked_ = false;
    auto loads = std::move(loadsAsked_);
    loadsAsked_.clear();
    if (device && !open(false, 0)) return;
    for (const auto& [slot, path] : loads) loadSound(slot, path);
}

bool SoundBank::initSoundNoDevice(uint32_t sampleRate) { return open(true, sampleRate); }

bool SoundBank::isOpen() const { return engine_ != nullptr; }

bool SoundBank::loadSound(SoundId slot, const std::string& path) {
    if (openingWaits_) {
        loadsAsked_.emplace_back(slot, path);
        return false;  // nothing is loaded yet
    }
    if (!engine_ || !validSlot(slot)) return false;
    auto decoded = loadWavFile(path);
    // A failed load leaves the slot empty, whatever it held before.
    if (!decoded) {
        loadDecoded(slot, DecodedSound{});
        return false;
    }
    return loadDecoded(slot, std::move(*decoded));
}

bool SoundBank::loadDecoded(SoundId slot, DecodedSound sound) {
    if (!engine_ || !validSlot(slot)) return false;
    // Instances read the old samples in place: release every one of them,
    // fading or not, before the samples go.
    for (auto& c : engine_->channels)
        if (c.live && c.slot == slot) engine_->release(c);
    Slot& s = slots_[static_cast<size_t>(slot)];
    const bool usable = sound.channels > 0 && sound.channels <= kWavMaxChannels && sound.sampleRate > 0 &&
                        sound.frameCount() > 0;
    s.loaded = usable;
    s.sound = usable ? std::move(sound) : DecodedSound{};
    return usable;
}

bool SoundBank::isSoundLoaded(SoundId slot) const {
    return engine_ && validSlot(slot) && slots_[static_cast<size_t>(slot)].loaded;
}

void SoundBank::playSound(SoundId slot, PlayFlags flags, int64_t volume) {
    if (!isSoundLoaded(slot)) return;
    // Without PlayExtra a slot is heard at most once at a time.
    if ((flags & PlayExtra) == 0) stopSound(slot);

    Engine& e = *engine_;
    Engine::Channel* c = e.freeChannel();
    if (c == nullptr) return;  // all channels busy: the request is dropped
    e.release(*c);             // an instance that ended or was stopped

    const Slot& s = slots_[static_cast<size_t>(slot)];
    if (ma_audio_buffer_ref_init(ma_format_f32, s.sound.channels, s.sound.samples.data(),
                                 s.sound.frameCount(), &c->source) != MA_SUCCESS)
        return;
    c->source.sampleRate = s.sound.sampleRate;

    ma_sound_config config = ma_sound_config_init_2(&e.engine);
    config.pDataSource = &c->source;
    // The game neither places sounds in space nor bends their pitch; without
    // pitch the resampler is skipped whenever the file's rate is the
    // device's (miniaudio keeps it on when the rates differ).
    config.flags = MA_SOUND_FLAG_NO_SPATIALIZATION | MA_SOUND_FLAG_NO_PITCH;
    if (flags & PlayLoop) config.flags |= MA_SOUND_FLAG_LOOPING;
    config.endCallback = &Engine::onSoundEnd;
    config.pEndCallbackUserData = c;
    if (ma_sound_init_ex(&e.engine, &config, &c->sound) != MA_SUCCESS) {
        ma_audio_buffer_ref_uninit(&c->source);
        return;
    }
    c->live = true;
    c->slot = slot;

    const int64_t level = volume == DefaultVolume ? kDefaultVolume : std::clamp<int64_t>(volume, 0, 100);
    ma_sound_set_volume(&c->sound, static_cast<float>(level) / 100.0f);
    ma_sound_set_pan(&c->sound, static_cast<float>(s.pan) / 100.0f);
    // Running before the start: the end can come on the audio thread at once.
    c->state.store(ChannelRunning, std::memory_order_release);
    if (ma_sound_start(&c->sound) != MA_SUCCESS) e.release(*c);
}

void SoundBank::stopSound(SoundId slot) {
    if (!engine_ || !validSlot(slot)) return;
    for (auto& c : engine_->channels)
        if (engine_->running(c) && c.slot == slot) engine_->stop(c);
}

void SoundBank::setSoundPan(SoundId slot, int64_t pan) {
    if (!isSoundLoaded(slot)) return;
    const int64_t clamped = std::clamp<int64_t>(pan, -100, 100);
    slots_[static_cast<size_t>(slot)].pan = clamped;
    for (auto& c : engine_->channels)
        if (engine_->running(c) && c.slot == slot)
            ma_sound_set_pan(&c.sound, static_cast<float>(clamped) / 100.0f);
}

int64_t SoundBank::soundStatus(SoundId slot) const {
    if (!isSoundLoaded(slot)) return SoundStatusEmpty;
    bool exists = false;
    for (const auto& c : engine_->channels) {
        if (!engine_->running(c) || c.slot != slot) continue;
        if (ma_sound_is_playing(&c.sound)) return SoundStatusPlaying;
        exists = true;
    }
    return exists ? SoundStatusPaused : SoundStatusStopped;
}

int64_t SoundBank::soundPan(SoundId slot) const {
    return validSlot(slot) ? slots_[static_cast<size_t>(slot)].pan : 0;
}

int64_t SoundBank::busyChannels() const {
    if (!engine_) return 0;
    int64_t n = 0;
    for (const auto& c : engine_->channels)
        if (engine_->running(c)) ++n;
    return n;
}

uint64_t SoundBank::mix(float* out, uint64_t frames) {
    if (!engine_ || !engine_->noDevice) {
        std::fill(out, out + frames * kTestChannels, 0.0f);
        return 0;
    }
    ma_uint64 read = 0;
    if (ma_engine_read_pcm_frames(&engine_->engine, out, frames, &read) != MA_SUCCESS) read = 0;
    if (read < frames) std::fill(out + read * kTestChannels, out + frames * kTestChannels, 0.0f);
    return read;
}
