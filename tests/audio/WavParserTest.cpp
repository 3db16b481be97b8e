// The sound-file reader: every accepted form decodes to the right float
// samples, and every damaged or unsupported file is refused without reading
// outside the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "WavTestFiles.h"
#include "audio/miniaudio/WavParser.h"

using namespace wavtest;

namespace {

std::optional<DecodedSound> parse(const Bytes& b) { return parseWav(std::span<const uint8_t>(b)); }

}  // namespace

TEST(WavParser, DecodesEachIntegerWidthToFloat) {
    {
        const auto s = parse(wav({1, 1, 22050, 8}, Bytes{0, 128, 255, 64}));
        ASSERT_TRUE(s);
        EXPECT_EQ(s->bitsPerSample, 8);
        EXPECT_EQ(s->sampleRate, 22050u);
        ASSERT_EQ(s->samples.size(), 4u);
        EXPECT_FLOAT_EQ(s->samples[0], -1.0f);
        EXPECT_FLOAT_EQ(s->samples[1], 0.0f);
        EXPECT_FLOAT_EQ(s->samples[2], 127.0f / 128.0f);
        EXPECT_FLOAT_EQ(s->samples[3], -0.5f);
    }
    {
        const auto s = parse(wav({1, 1, 44100, 16}, pcm16({-32768, 0, 16384, 32767})));
        ASSERT_TRUE(s);
        ASSERT_EQ(s->samples.size(), 4u);
        EXPECT_FLOAT_EQ(s->samples[0], -1.0f);
        EXPECT_FLOAT_EQ(s->samples[1], 0.0f);
        EXPECT_FLOAT_EQ(s->samples[2], 0.5f);
        EXPECT_FLOAT_EQ(s->samples[3], 32767.0f / 32768.0f);
    }
    {
        // 24-bit: 0x800000 is the most negative value, 0x400000 is half scale.
        const auto s = parse(wav({1, 1, 48000, 24}, Bytes{0, 0, 0x80, 0, 0, 0x40, 0xFF, 0xFF, 0xFF}));
        ASSERT_TRUE(s);
        ASSERT_EQ(s->samples.size(), 3u);
        EXPECT_FLOAT_EQ(s->samples[0], -1.0f);
        EXPECT_FLOAT_EQ(s->samples[1], 0.5f);
        EXPECT_FLOAT_EQ(s->samples[2], -1.0f / 8388608.0f);
    }
    {
        Bytes data;
        put32(data, 0x80000000u);
        put32(data, 0x40000000u);
        const auto s = parse(wav({1, 1, 48000, 32}, data));
        ASSERT_TRUE(s);
        EXPECT_FALSE(s->isFloat);
        ASSERT_EQ(s->samples.size(), 2u);
        EXPECT_FLOAT_EQ(s->samples[0], -1.0f);
        EXPECT_FLOAT_EQ(s->samples[1], 0.5f);
    }
}

TEST(WavParser, DecodesFloatAndTamesBadFloatValues) {
    Bytes data;
    for (float f : {0.25f, -0.75f, 3.0f, std::numeric_limits<float>::quiet_NaN(),
                    -std::numeric_limits<float>::infinity()}) {
        uint32_t raw;
        std::memcpy(&raw, &f, 4);
        put32(data, raw);
    }
    const auto s = parse(wav({3, 1, 48000, 32}, data));
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->isFloat);
    ASSERT_EQ(s->samples.size(), 5u);
    EXPECT_FLOAT_EQ(s->samples[0], 0.25f);
    EXPECT_FLOAT_EQ(s->samples[1], -0.75f);
    EXPECT_FLOAT_EQ(s->samples[2], 1.0f);  // clamped to full scale
    EXPECT_FLOAT_EQ(s->samples[3], 0.0f);  // not a number: silence
    EXPECT_FLOAT_EQ(s->samples[4], 0.0f);
}

TEST(WavParser, AcceptsTheExtensibleFormWithPcmOrFloat) {
    const auto pcm = parse(riff({chunk("fmt ", fmtExtensibleBody(2, 44100, 16, 1)),
                                 chunk("data", pcm16({16384, -16384, 0, 8192}))}));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->channels, 2u);
    EXPECT_EQ(pcm->frameCount(), 2u);
    EXPECT_FLOAT_EQ(pcm->samples[1], -0.5f);

    Bytes data;
    put32(data, 0x3F000000u);  // 0.5f
    const auto flt = parse(riff({chunk("fmt ", fmtExtensibleBody(1, 48000, 32, 3)), chunk("data", data)}));
    ASSERT_TRUE(flt);
    EXPECT_TRUE(flt->isFloat);
    EXPECT_FLOAT_EQ(flt->samples[0], 0.5f);

    // Any other sub-format (here ADPCM's code) is refused.
    EXPECT_FALSE(parse(riff({chunk("fmt ", fmtExtensibleBody(1, 48000, 16, 2)), chunk("data", pcm16({1}))})));
    Bytes badGuid = fmtExtensibleBody(1, 48000, 16, 1);
    badGuid.back() ^= 0xFF;
    EXPECT_FALSE(parse(riff({chunk("fmt ", badGuid), chunk("data", pcm16({1}))})));
}

TEST(WavParser, KeepsChannelsInterleavedAndAnyChannelCountUpToEight) {
    const auto stereo = parse(wav({1, 2, 48000, 16}, pcm16({100, 200, 300, 400, 500, 600})));
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->frameCount(), 3u);
    EXPECT_FLOAT_EQ(stereo->samples[4], 500.0f / 32768.0f);

    EXPECT_TRUE(parse(wav({1, 8, 48000, 16}, pcm16(std::vector<int16_t>(16, 7)))));
    EXPECT_FALSE(parse(wav({1, 9, 48000, 16}, pcm16(std::vector<int16_t>(18, 7)))));
}

TEST(WavParser, FindsTheDataAmongOtherChunksInAnyOrder) {
    // An odd-sized chunk is followed by a pad byte; a chunk after the data is
    // simply not needed.
    const Bytes file = riff({chunk("fmt ", fmtBody({1, 1, 48000, 16})), chunk("LIST", Bytes{1, 2, 3}),
                             chunk("fact", Bytes{0, 0, 0, 0}), chunk("data", pcm16({1000, 2000})),
                             chunk("cue ", Bytes{9})});
    const auto s = parse(file);
    ASSERT_TRUE(s);
    ASSERT_EQ(s->samples.size(), 2u);
    EXPECT_FLOAT_EQ(s->samples[1], 2000.0f / 32768.0f);

    // A format chunk longer than 16 bytes (with an extra-size field) is fine.
    Bytes longFmt = fmtBody({1, 1, 48000, 16});
    put16(longFmt, 0);
    EXPECT_TRUE(parse(riff({chunk("fmt ", longFmt), chunk("data", pcm16({5}))})));

    // A trailing half frame is dropped, not read past.
    const auto torn = parse(wav({1, 2, 48000, 16}, Bytes{1, 0, 2, 0, 3}));
    ASSERT_TRUE(torn);
    EXPECT_EQ(torn->frameCount(), 1u);
}

TEST(WavParser, RefusesUnsupportedForms) {
    const Bytes data = pcm16({1, 2, 3, 4});
    EXPECT_FALSE(parse(wav({2, 1, 48000, 16}, data)));      // ADPCM
    EXPECT_FALSE(parse(wav({6, 1, 8000, 8}, Bytes{1, 2})));  // A-law
    EXPECT_FALSE(parse(wav({1, 1, 48000, 12}, data)));      // odd width
    EXPECT_FALSE(parse(wav({3, 1, 48000, 16}, data)));      // 16-bit "float"
    Bytes doubles(16, 0);
    EXPECT_FALSE(parse(wav({3, 1, 48000, 64}, doubles)));   // 64-bit float
    EXPECT_FALSE(parse(wav({1, 0, 48000, 16}, data)));      // no channels
    EXPECT_FALSE(parse(wav({1, 1, 0, 16}, data)));          // no rate
    EXPECT_FALSE(parse(wav({1, 1, 48000, 16, 4}, data)));   // block align mismatch
    EXPECT_FALSE(parse(wav({1, 2, 48000, 16, 2}, data)));
    EXPECT_FALSE(parse(wav({1, 1, 48000, 16}, Bytes{})));   // no samples
}

TEST(WavParser, RefusesDamagedFiles) {
    const Bytes good = wav({1, 1, 48000, 16}, pcm16({1, 2, 3, 4}));
    ASSERT_TRUE(parse(good));

    EXPECT_FALSE(parse(Bytes{}));  // empty file
    Bytes notRiff = good;
    notRiff[0] = 'X';
    EXPECT_FALSE(parse(notRiff));
    Bytes notWave = good;
    notWave[8] = 'X';
    EXPECT_FALSE(parse(notWave));

    // The format chunk must come first.
    EXPECT_FALSE(parse(riff({chunk("LIST", Bytes{1, 2}), chunk("fmt ", fmtBody({})), chunk("data", pcm16({1}))})));
    // No data chunk at all.
    EXPECT_FALSE(parse(riff({chunk("fmt ", fmtBody({}))})));
    // A format chunk too short to hold the fields.
    EXPECT_FALSE(parse(riff({chunk("fmt ", Bytes(14, 1)), chunk("data", pcm16({1}))})));

    // Data that claims more bytes than the file holds.
    Bytes truncated = good;
    truncated.resize(truncated.size() - 3);
    EXPECT_FALSE(parse(truncated));

    // A chunk before the data whose size points past the end of the file.
    Bytes lying = riff({chunk("fmt ", fmtBody({})), chunk("LIST", Bytes{1, 2}), chunk("data", pcm16({1, 2}))});
    const size_t listSize = 12 + 8 + 16 + 4;
    lying[listSize] = 0xF0;
    lying[listSize + 3] = 0x7F;
    EXPECT_FALSE(parse(lying));

    // A data size of 4 GiB - 1 must not allocate or read anything.
    Bytes huge = good;
    std::fill(huge.end() - 8 - 4, huge.end() - 8, 0xFF);
    EXPECT_FALSE(parse(huge));

    // The format chunk's own size running past the end.
    Bytes fmtPast = good;
    fmtPast[16] = 0xFF;
    fmtPast[17] = 0xFF;
    EXPECT_FALSE(parse(fmtPast));
}

TEST(WavParser, EveryPrefixOfAFileIsRefusedAndNoByteFlipCrashes) {
    const Bytes good = riff({chunk("fmt ", fmtBody({1, 2, 44100, 24})), chunk("LIST", Bytes{1, 2, 3}),
                             chunk("data", Bytes(60, 0x55))});
    ASSERT_TRUE(parse(good));
    for (size_t n = 0; n < good.size(); ++n) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(parse(prefix)) << "prefix of " << n << " bytes";
    }
    // Flip every bit of the header region in turn (a small exhaustive fuzz):
    // whatever comes out must be self-consistent.
    for (size_t i = 0; i < 60 && i < good.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            Bytes b = good;
            b[i] ^= static_cast<uint8_t>(1 << bit);
            const auto s = parse(b);
            if (s) {
                EXPECT_GE(s->channels, 1u);
                EXPECT_LE(s->channels, kWavMaxChannels);
                EXPECT_GT(s->frameCount(), 0u);
                EXPECT_EQ(s->samples.size() % s->channels, 0u);
                EXPECT_LE(s->samples.size() * (s->bitsPerSample / 8u), b.size());
            }
        }
    }
}

TEST(WavFile, ReadsWholeFilesAndRefusesWhatIsNotOne) {
    TempDir dir("zarvex_wavfile");
    const Bytes good = wav({1, 1, 48000, 16}, pcm16({1, 2, 3}));
    writeFile(dir.path / "good.wav", good);
    writeFile(dir.path / "empty.wav", Bytes{});

    const auto s = loadWavFile(dir.file("good.wav"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->frameCount(), 3u);
    EXPECT_FALSE(loadWavFile(dir.file("empty.wav")));
    EXPECT_FALSE(loadWavFile(dir.file("missing.wav")));
    EXPECT_FALSE(loadWavFile(dir.path.string()));  // a folder
    EXPECT_FALSE(readWholeFile(dir.file("good.wav"), good.size() - 1));  // over the size limit
    EXPECT_TRUE(readWholeFile(dir.file("good.wav"), good.size()));
}
