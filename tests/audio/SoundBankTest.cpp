// The SoundBank on an engine without a device: the test pulls the mixed
// frames itself, so instances advance and end exactly when it says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "WavTestFiles.h"
#include "audio/miniaudio/SoundBank.h"

namespace {

constexpr uint32_t kRate = 48000;

// A mono sound holding one level throughout: what comes out of the mixer
// then shows the gain and the pan of every instance directly.
DecodedSound level(float value, uint64_t frames, uint32_t rate = kRate, uint32_t channels = 1) {
    DecodedSound s;
    s.channels = channels;
    s.sampleRate = rate;
    s.bitsPerSample = 16;
    s.samples.assign(frames * channels, value);
    return s;
}

struct Mixed {
    std::vector<float> left, right;
    float peakLeft() const { return peak(left); }
    float peakRight() const { return peak(right); }
    static float peak(const std::vector<float>& v) {
        float p = 0;
        for (float x : v) p = std::max(p, std::fabs(x));
        return p;
    }
    // The level in the middle of the block, away from any ramp at its ends.
    float midLeft() const { return left[left.size() / 2]; }
    float midRight() const { return right[right.size() / 2]; }
};

Mixed mix(SoundBank& bank, uint64_t frames) {
    std::vector<float> buf(frames * 2);
    bank.mix(buf.data(), frames);
    Mixed m;
    for (uint64_t i = 0; i < frames; ++i) {
        m.left.push_back(buf[2 * i]);
        m.right.push_back(buf[2 * i + 1]);
    }
    return m;
}

class SoundBankTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bank.initSoundNoDevice(kRate));
        ASSERT_TRUE(bank.loadDecoded(SoundLaunch, level(0.5f, 4800)));  // 0.1 s
        ASSERT_TRUE(bank.loadDecoded(SoundTitle, level(0.25f, 4800)));
    }
    SoundBank bank;
};

}  // namespace

TEST_F(SoundBankTest, AnInstancePlaysToItsEndAndFreesItsChannel) {
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusStopped);
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusPlaying);
    EXPECT_EQ(bank.busyChannels(), 1);

    const Mixed first = mix(bank, 2400);
    EXPECT_NEAR(first.midLeft(), 0.5f, 1e-4);
    EXPECT_NEAR(first.midRight(), 0.5f, 1e-4);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusPlaying);

    mix(bank, 2400 + 512);  // past the end
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusStopped);
    EXPECT_EQ(bank.busyChannels(), 0);
    EXPECT_EQ(mix(bank, 1024).peakLeft(), 0.0f);
}

TEST_F(SoundBankTest, StopSoundSilencesEveryInstanceOfItsSlotOnly) {
    bank.playSound(SoundLaunch, PlayLoop, DefaultVolume);
    bank.playSound(SoundLaunch, PlayLoop | PlayExtra, DefaultVolume);
    bank.playSound(SoundTitle, PlayLoop, DefaultVolume);
    EXPECT_EQ(bank.busyChannels(), 3);

    bank.stopSound(SoundLaunch);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusStopped);
    EXPECT_EQ(bank.soundStatus(SoundTitle), SoundStatusPlaying);
    EXPECT_EQ(bank.busyChannels(), 1);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 0.25f, 1e-4);

    bank.stopSound(SoundLaunch);  // nothing left to stop
    bank.stopSound(SoundTitle);
    EXPECT_EQ(bank.busyChannels(), 0);
    mix(bank, 512);  // the short fade-out
    EXPECT_EQ(mix(bank, 1024).peakLeft(), 0.0f);
}

TEST_F(SoundBankTest, AStoppedInstanceFadesOutWithinMillisecondsInsteadOfClicking) {
    bank.playSound(SoundLaunch, PlayLoop, DefaultVolume);
    mix(bank, 1000);
    bank.stopSound(SoundLaunch);
    const Mixed m = mix(bank, 480);  // 10 ms
    EXPECT_GT(m.left[0], 0.4f);                         // not cut on the spot
    EXPECT_LT(m.left[200], m.left[20]);                 // falling
    EXPECT_EQ(m.left[300], 0.0f);                       // silent after 5 ms
    for (size_t i = 1; i < 300; ++i) ASSERT_LE(m.left[i], m.left[i - 1] + 1e-6f) << i;
}

TEST_F(SoundBankTest, APlayWithoutExtraReplacesTheRunningInstance) {
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    mix(bank, 1000);
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    EXPECT_EQ(bank.busyChannels(), 1);
    // One instance at 0.5, restarted: it still runs 4800 frames from now.
    const Mixed m = mix(bank, 4000);
    EXPECT_NEAR(m.midLeft(), 0.5f, 1e-4);
    EXPECT_NEAR(m.left.back(), 0.5f, 1e-4);
}

TEST_F(SoundBankTest, PlayExtraStartsAnInstanceBesideTheRunningOnes) {
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);
    bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);
    EXPECT_EQ(bank.busyChannels(), 3);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 1.5f, 1e-3);  // the three add up

    // A play without PlayExtra cuts all three short.
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    EXPECT_EQ(bank.busyChannels(), 1);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 0.5f, 1e-4);
}

TEST_F(SoundBankTest, ALoopingInstanceRunsUntilStopped) {
    bank.playSound(SoundTitle, PlayLoop, DefaultVolume);
    const Mixed m = mix(bank, 48000);  // ten times the sound's length
    EXPECT_EQ(bank.soundStatus(SoundTitle), SoundStatusPlaying);
    EXPECT_NEAR(m.left[47999], 0.25f, 1e-4);
    EXPECT_GT(*std::min_element(m.left.begin() + 100, m.left.end()), 0.24f);  // no gaps at the seams
    bank.stopSound(SoundTitle);
    EXPECT_EQ(bank.soundStatus(SoundTitle), SoundStatusStopped);
}

TEST_F(SoundBankTest, MutedTheDeviceGetsSilenceWhileTheSoundsPlayOn) {
    bank.playSound(SoundTitle, PlayLoop, DefaultVolume);
    EXPECT_NEAR(mix(bank, 1200).midLeft(), 0.25f, 1e-4);
    bank.setMuted(true);
    bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);  // the game's calls go on as ever
    const Mixed muted = mix(bank, 9600);  // longer than the launch sound
    EXPECT_EQ(muted.peakLeft(), 0.0f);
    EXPECT_EQ(muted.peakRight(), 0.0f);
    EXPECT_EQ(bank.soundStatus(SoundTitle), SoundStatusPlaying);  // the tune keeps its place
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusStopped);  // and the shot played out unheard
    bank.setMuted(false);
    EXPECT_GT(mix(bank, 1200).peakLeft(), 0.1f);  // the looping tune is heard again
    EXPECT_EQ(bank.busyChannels(), 1);

    // Muted before the device opens, the bank opens muted.
    SoundBank early;
    early.setMuted(true);
    ASSERT_TRUE(early.initSoundNoDevice(kRate));
    ASSERT_TRUE(early.loadDecoded(SoundTitle, level(0.25f, 4800)));
    early.playSound(SoundTitle, PlayLoop, DefaultVolume);
    EXPECT_EQ(mix(early, 1200).peakLeft(), 0.0f);
}

TEST_F(SoundBankTest, VolumeIsALinearGainAndMinusOneMeansFull) {
    const auto levelAt = [&](int64_t volume) {
        bank.playSound(SoundLaunch, PlayOnce, volume);
        const float v = mix(bank, 2400).midLeft();
        bank.stopSound(SoundLaunch);
        return v;
    };
    EXPECT_NEAR(levelAt(DefaultVolume), 0.5f, 1e-4);
    EXPECT_NEAR(levelAt(100), 0.5f, 1e-4);
    EXPECT_NEAR(levelAt(70), 0.35f, 1e-4);
    EXPECT_NEAR(levelAt(50), 0.25f, 1e-4);
    EXPECT_NEAR(levelAt(0), 0.0f, 1e-6);
    EXPECT_NEAR(levelAt(250), 0.5f, 1e-4);  // never above full
    EXPECT_NEAR(levelAt(-7), 0.0f, 1e-6);
}

TEST_F(SoundBankTest, PanIsClampedStoredAndAppliedToRunningAndLaterInstances) {
    bank.setSoundPan(SoundLaunch, -250);
    EXPECT_EQ(bank.soundPan(SoundLaunch), -100);
    bank.setSoundPan(SoundLaunch, 170);
    EXPECT_EQ(bank.soundPan(SoundLaunch), 100);
    bank.setSoundPan(SoundLaunch, -43);
    EXPECT_EQ(bank.soundPan(SoundLaunch), -43);
    EXPECT_EQ(bank.soundPan(SoundTitle), 0);  // the other slots keep theirs

    bank.setSoundPan(SoundLaunch, 0);
    bank.playSound(SoundLaunch, PlayLoop, DefaultVolume);
    Mixed m = mix(bank, 2400);
    EXPECT_NEAR(m.midLeft(), 0.5f, 1e-4);
    EXPECT_NEAR(m.midRight(), 0.5f, 1e-4);

    // Applied at once to the running instance: full left.
    bank.setSoundPan(SoundLaunch, -100);
    m = mix(bank, 2400);
    EXPECT_NEAR(m.midLeft(), 0.5f, 1e-4);
    EXPECT_NEAR(m.midRight(), 0.0f, 1e-4);

    // A later play takes the stored pan: half right.
    bank.setSoundPan(SoundLaunch, 50);
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    m = mix(bank, 2400);
    EXPECT_NEAR(m.midLeft(), 0.25f, 1e-4);
    EXPECT_NEAR(m.midRight(), 0.5f, 1e-4);
}

TEST_F(SoundBankTest, SixtyFourBusyChannelsDropTheNextPlay) {
    for (int i = 0; i < SoundBank::kChannels; ++i) bank.playSound(SoundTitle, PlayLoop | PlayExtra, 10);
    EXPECT_EQ(bank.busyChannels(), 64);
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusStopped);
    EXPECT_EQ(bank.busyChannels(), 64);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 64 * 0.025f, 1e-3);

    // Stopping frees the channels again.
    bank.stopSound(SoundTitle);
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusPlaying);
}

TEST_F(SoundBankTest, AnInstanceThatEndsGivesItsChannelToTheNextPlay) {
    for (int i = 0; i < SoundBank::kChannels - 1; ++i) bank.playSound(SoundTitle, PlayLoop | PlayExtra, 1);
    bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);
    EXPECT_EQ(bank.busyChannels(), 64);
    bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);  // dropped: all busy
    EXPECT_EQ(bank.busyChannels(), 64);

    mix(bank, 6000);  // the short sound ends on the mixing side
    EXPECT_EQ(bank.busyChannels(), 63);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusStopped);

    // Its channel is taken (and the ended sound released) by the next play.
    bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);
    EXPECT_EQ(bank.busyChannels(), 64);
    EXPECT_EQ(bank.soundStatus(SoundLaunch), SoundStatusPlaying);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 63 * 0.0025f + 0.5f, 1e-3);

    // Many short plays one after another never run out of channels.
    bank.stopSound(SoundTitle);
    for (int round = 0; round < 3 * SoundBank::kChannels; ++round) {
        bank.playSound(SoundLaunch, PlayExtra, DefaultVolume);
        mix(bank, 5000);
        ASSERT_EQ(bank.busyChannels(), 0) << "round " << round;
    }
}

TEST_F(SoundBankTest, SamplesAtAnotherRateAreResampledNotSpedUp) {
    ASSERT_TRUE(bank.loadDecoded(SoundReload, level(0.5f, 2400, kRate / 2)));  // 0.1 s at 24 kHz
    bank.playSound(SoundReload, PlayOnce, DefaultVolume);
    mix(bank, 4000);
    EXPECT_EQ(bank.soundStatus(SoundReload), SoundStatusPlaying);  // a 48 kHz reading would be over
    mix(bank, 1500);
    EXPECT_EQ(bank.soundStatus(SoundReload), SoundStatusStopped);
}

TEST_F(SoundBankTest, StereoSamplesKeepTheirSides) {
    DecodedSound s = level(0.0f, 4800, kRate, 2);
    for (size_t i = 0; i < s.samples.size(); i += 2) s.samples[i] = 0.4f;
    ASSERT_TRUE(bank.loadDecoded(SoundPause, std::move(s)));
    bank.playSound(SoundPause, PlayOnce, DefaultVolume);
    const Mixed m = mix(bank, 2400);
    EXPECT_NEAR(m.midLeft(), 0.4f, 1e-4);
    EXPECT_NEAR(m.midRight(), 0.0f, 1e-4);
}

TEST_F(SoundBankTest, EmptyAndInvalidSlotsDoNothing) {
    EXPECT_FALSE(bank.isSoundLoaded(SoundLeader));
    EXPECT_EQ(bank.soundStatus(SoundLeader), SoundStatusEmpty);
    bank.playSound(SoundLeader, PlayLoop, DefaultVolume);
    bank.setSoundPan(SoundLeader, 40);
    bank.stopSound(SoundLeader);
    EXPECT_EQ(bank.busyChannels(), 0);
    EXPECT_EQ(bank.soundPan(SoundLeader), 0);

    for (SoundId slot : {SoundId(-1), SoundId(kSoundSlots), SoundId(1000)}) {
        EXPECT_FALSE(bank.isSoundLoaded(slot));
        EXPECT_EQ(bank.soundStatus(slot), SoundStatusEmpty);
        EXPECT_FALSE(bank.loadDecoded(slot, level(0.5f, 10)));
        bank.playSound(slot, PlayOnce, DefaultVolume);
        bank.setSoundPan(slot, 10);
        bank.stopSound(slot);
    }
    EXPECT_FALSE(bank.loadDecoded(SoundLeader, DecodedSound{}));
    EXPECT_EQ(bank.busyChannels(), 0);
}

TEST_F(SoundBankTest, LoadsFromFilesAndABadFileEmptiesOnlyItsSlot) {
    using namespace wavtest;
    TempDir dir("zarvex_bank");
    writeFile(dir.path / "ok.wav", wav({1, 1, kRate, 16}, pcm16(std::vector<int16_t>(4800, 8192))));
    writeFile(dir.path / "adpcm.wav", wav({2, 1, kRate, 16}, pcm16(std::vector<int16_t>(48, 8192))));

    EXPECT_TRUE(bank.loadSound(SoundInfo, dir.file("ok.wav")));
    EXPECT_TRUE(bank.isSoundLoaded(SoundInfo));
    bank.playSound(SoundInfo, PlayOnce, DefaultVolume);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 0.25f, 1e-4);

    // Reloading a slot with a bad file stops it and leaves it empty.
    bank.playSound(SoundInfo, PlayLoop, DefaultVolume);
    EXPECT_FALSE(bank.loadSound(SoundInfo, dir.file("adpcm.wav")));
    EXPECT_FALSE(bank.isSoundLoaded(SoundInfo));
    EXPECT_EQ(bank.soundStatus(SoundInfo), SoundStatusEmpty);
    EXPECT_EQ(bank.busyChannels(), 0);
    EXPECT_FALSE(bank.loadSound(SoundHighScore, dir.file("missing.wav")));

    // The other slots are untouched.
    EXPECT_TRUE(bank.isSoundLoaded(SoundLaunch));
    bank.playSound(SoundLaunch, PlayOnce, DefaultVolume);
    EXPECT_NEAR(mix(bank, 2400).midLeft(), 0.5f, 1e-4);
}

TEST_F(SoundBankTest, DestroyingTheBankWhilePlayingReleasesEverything) {
    auto other = std::make_unique<SoundBank>();
    ASSERT_TRUE(other->initSoundNoDevice(kRate));
    ASSERT_TRUE(other->loadDecoded(SoundTitle, level(0.5f, 4800)));
    for (int i = 0; i < 10; ++i) other->playSound(SoundTitle, PlayLoop | PlayExtra, DefaultVolume);
    std::vector<float> buf(2 * 512);
    other->mix(buf.data(), 512);
    other.reset();  // must not leak or touch freed memory (see the sanitizer build)
    SUCCEED();
}

TEST(SoundBankClosed, ABankWithoutAnEngineIsASilentNoOp) {
    using namespace wavtest;
    TempDir dir("zarvex_closed");
    writeFile(dir.path / "ok.wav", wav({1, 1, kRate, 16}, pcm16(std::vector<int16_t>(480, 8192))));

    SoundBank bank;
    EXPECT_FALSE(bank.initSoundNoDevice(0));  // the engine refuses to open, as without a device
    EXPECT_FALSE(bank.isOpen());
    for (SoundId slot : kSoundLoadOrder) {
        EXPECT_FALSE(bank.loadSound(slot, dir.file("ok.wav")));
        EXPECT_FALSE(bank.isSoundLoaded(slot));
        bank.setSoundPan(slot, 50);
        bank.playSound(slot, PlayLoop, DefaultVolume);
        bank.stopSound(slot);
        EXPECT_EQ(bank.soundStatus(slot), SoundStatusEmpty);
    }
    EXPECT_EQ(bank.busyChannels(), 0);
    std::vector<float> buf(64, 1.0f);
    EXPECT_EQ(bank.mix(buf.data(), 32), 0u);
    EXPECT_EQ(*std::max_element(buf.begin(), buf.end()), 0.0f);
}

TEST(SoundBankDevice, TheRealDeviceEitherWorksOrStaysSilent) {
    // Whether this machine has an audio device is not up to the test; both
    // outcomes must leave a usable bank.
    SoundBank bank;
    const bool open = bank.initSound();
    EXPECT_EQ(bank.isOpen(), open);
    DecodedSound s = level(0.0f, 480);
    EXPECT_EQ(bank.loadDecoded(SoundPause, std::move(s)), open);
    bank.playSound(SoundPause, PlayOnce, 1);
    EXPECT_EQ(bank.soundStatus(SoundPause), open ? bank.soundStatus(SoundPause) : SoundStatusEmpty);
    std::vector<float> buf(8, 1.0f);
    EXPECT_EQ(bank.mix(buf.data(), 4), 0u);  // the device mixes, not the caller
    bank.stopSound(SoundPause);
}
