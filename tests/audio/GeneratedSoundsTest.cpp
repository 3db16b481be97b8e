// The fifteen sound files the build synthesizes: they load, they last as
// long as a game sound should, they never clip, they are evenly loud, the
// title tune loops without a seam, and the synthesizer is deterministic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "WavTestFiles.h"
#include "audio/miniaudio/SoundBank.h"

namespace {

std::string resource(int64_t slot) { return std::string(ZARVEX_RESOURCE_DIR) + kSoundFiles[slot]; }

double seconds(const DecodedSound& s) { return static_cast<double>(s.frameCount()) / s.sampleRate; }

double peakOf(const DecodedSound& s) {
    float p = 0;
    for (float v : s.samples) p = std::max(p, std::fabs(v));
    return p;
}

// The loudest 100 ms of the sound, as RMS over all its channels.
double loudness(const DecodedSound& s) {
    const size_t ch = s.channels, frames = s.frameCount();
    const size_t window = std::min<size_t>(frames, s.sampleRate / 10);
    double best = 0;
    for (size_t start = 0; start + window <= frames; start += window / 4) {
        double sum = 0;
        for (size_t i = start * ch; i < (start + window) * ch; ++i) sum += double(s.samples[i]) * s.samples[i];
        best = std::max(best, sum / double(window * ch));
    }
    return std::sqrt(best);
}

double dB(double v) { return 20.0 * std::log10(v); }

std::vector<uint8_t> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(GeneratedSounds, EveryFileLoadsAsSixteenBitPcmOfASensibleLength) {
    for (int64_t slot = 0; slot < kSoundSlots; ++slot) {
        SCOPED_TRACE(kSoundFiles[slot]);
        const auto s = loadWavFile(resource(slot));
        ASSERT_TRUE(s);
        EXPECT_EQ(s->bitsPerSample, 16);
        EXPECT_FALSE(s->isFloat);
        EXPECT_TRUE(s->channels == 1 || s->channels == 2);
        EXPECT_TRUE(s->sampleRate == 44100 || s->sampleRate == 48000);
        if (slot == SoundTitle) {
            EXPECT_GE(seconds(*s), 10.0);
            EXPECT_LE(seconds(*s), 20.0);
        } else {
            EXPECT_GE(seconds(*s), 0.1);
            EXPECT_LE(seconds(*s), 3.0);
        }
    }
}

TEST(GeneratedSounds, NothingClipsAndTheSetIsEvenlyLoud) {
    std::vector<double> levels;
    for (int64_t slot = 0; slot < kSoundSlots; ++slot) {
        SCOPED_TRACE(kSoundFiles[slot]);
        const auto s = loadWavFile(resource(slot));
        ASSERT_TRUE(s);
        EXPECT_LT(peakOf(*s), 0.9);
        EXPECT_GT(peakOf(*s), 0.1);  // and it is not silent
        levels.push_back(dB(loudness(*s)));
    }
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    for (int64_t slot = 0; slot < kSoundSlots; ++slot)
        EXPECT_NEAR(levels[static_cast<size_t>(slot)], median, 3.0) << kSoundFiles[slot];
    EXPECT_GT(median, -24.0);  // loud enough to be heard over the others
    EXPECT_LT(median, -9.0);   // with headroom for several at once
}

TEST(GeneratedSounds, EffectsStartAndEndInSilence) {
    for (int64_t slot = 1; slot < kSoundSlots; ++slot) {
        SCOPED_TRACE(kSoundFiles[slot]);
        const auto s = loadWavFile(resource(slot));
        ASSERT_TRUE(s);
        EXPECT_LT(std::fabs(s->samples.front()), 0.01f);
        EXPECT_LT(std::fabs(s->samples.back()), 0.01f);
    }
}

TEST(GeneratedSounds, TheTitleTuneLoopsWithoutASeam) {
    const auto s = loadWavFile(resource(SoundTitle));
    ASSERT_TRUE(s);
    const size_t ch = s->channels, frames = s->frameCount();
    const auto at = [&](size_t frame, size_t c) { return s->samples[(frame % frames) * ch + c]; };
    for (size_t c = 0; c < ch; ++c) {
        // The step from the last frame to the first is no bigger than the
        // steps around it: the wave runs on through the seam.
        float local = 0;
        for (size_t f = frames - 32; f < frames + 32; ++f)
            if (f != frames - 1) local = std::max(local, std::fabs(at(f + 1, c) - at(f, c)));
        EXPECT_LE(std::fabs(at(0, c) - at(frames - 1, c)), 1.5f * local + 1e-3f) << "channel " << c;
    }
    // No gap at the loop point: both ends are busy with music.
    DecodedSound head = *s, tail = *s;
    const size_t tenth = s->sampleRate / 10 * ch;
    head.samples.assign(s->samples.begin(), s->samples.begin() + static_cast<std::ptrdiff_t>(tenth));
    tail.samples.assign(s->samples.end() - static_cast<std::ptrdiff_t>(tenth), s->samples.end());
    EXPECT_GT(loudness(head), 0.03);
    EXPECT_GT(loudness(tail), 0.03);
}

TEST(GeneratedSounds, TheBankLoadsAllFifteenAndLoopsTheTitleSeamlessly) {
    auto title = loadWavFile(resource(SoundTitle));
    ASSERT_TRUE(title);
    SoundBank bank;
    ASSERT_TRUE(bank.initSoundNoDevice(title->sampleRate));  // same rate: samples pass through unchanged
    for (SoundId slot : kSoundLoadOrder) EXPECT_TRUE(bank.loadSound(slot, resource(slot))) << kSoundFiles[slot];

    ASSERT_EQ(title->channels, 2u);
    const uint64_t frames = title->frameCount();
    bank.playSound(SoundTitle, PlayLoop, DefaultVolume);
    std::vector<float> out(2 * (frames + 4096));
    bank.mix(out.data(), frames + 4096);
    EXPECT_EQ(bank.soundStatus(SoundTitle), SoundStatusPlaying);
    // Across the loop point the output is the file again from its start.
    for (uint64_t f = frames - 256; f < frames + 256; ++f)
        for (size_t c = 0; c < 2; ++c)
            ASSERT_NEAR(out[2 * f + c], title->samples[2 * (f % frames) + c], 1e-5) << "frame " << f;
}

TEST(GeneratedSounds, TheSynthesizerWritesTheSameBytesEveryTime) {
    const std::string synth = std::string(ZARVEX_BUILD_DIR) + "/bin/zarvex_synth";
    ASSERT_TRUE(std::filesystem::exists(synth)) << synth;
    wavtest::TempDir dir("zarvex_synth_again");
    const std::string command = "\"" + synth + "\" \"" + dir.path.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (int64_t slot = 0; slot < kSoundSlots; ++slot) {
        const auto fresh = bytesOf(dir.file(kSoundFiles[slot]));
        ASSERT_FALSE(fresh.empty()) << kSoundFiles[slot];
        EXPECT_TRUE(fresh == bytesOf(resource(slot))) << kSoundFiles[slot] << " differs between runs";
    }
}
