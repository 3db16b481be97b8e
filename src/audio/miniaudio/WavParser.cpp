#include "audio/miniaudio/WavParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;

// The tail shared by the PCM and float sub-format GUIDs of the extensible
// header (everything after the leading 32-bit format code).
constexpr uint8_t kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                        0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t u32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
bool isId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

float sampleAt(const uint8_t* p, uint16_t bits, bool isFloat) {
    if (isFloat) {
        float f;
        const uint32_t raw = u32(p);
        std::memcpy(&f, &raw, sizeof f);
        // A damaged float file must not blast the speakers or poison the mix.
        if (!std::isfinite(f)) return 0.0f;
        return std::clamp(f, -1.0f, 1.0f);
    }
    switch (bits) {
    case 8: return (static_cast<int>(p[0]) - 128) / 128.0f;
    case 16: return static_cast<int16_t>(u16(p)) / 32768.0f;
    case 24: {
        int32_t v = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
        if (v & 0x800000) v -= 0x1000000;
        return static_cast<float>(v / 8388608.0);
    }
    default: return static_cast<float>(static_cast<int32_t>(u32(p)) / 2147483648.0);
    }
}

}  // namespace

std::optional<DecodedSound> parseWav(std::span<const uint8_t> bytes) {
    const uint64_t n = bytes.size();
    const uint8_t* b = bytes.data();
    if (n < 12 || !isId(b, "RIFF") || !isId(b + 8, "WAVE")) return std::nullopt;
    // The RIFF size field is often wrong in the wild; the real bounds are the
    // buffer's, and every chunk is checked against them.

    // The format chunk must come first.
    if (n < 20 || !isId(b + 12, "fmt ")) return std::nullopt;
    const uint64_t fmtSize = u32(b + 16);
    if (fmtSize < 16 || fmtSize > n - 20) return std::nullopt;
    const uint8_t* fmt = b + 20;
    uint16_t tag = u16(fmt);
    const uint32_t channels = u16(fmt + 2);
    const uint32_t rate = u32(fmt + 4);
    const uint32_t blockAlign = u16(fmt + 12);
    const uint16_t bits = u16(fmt + 14);

    if (tag == kTagExtensible) {
        if (fmtSize < 40 || u16(fmt + 16) < 22) return std::nullopt;
        const uint16_t validBits = u16(fmt + 18);
        if (validBits > bits) return std::nullopt;
        const uint8_t* guid = fmt + 24;
        const uint32_t code = u32(guid);
        if ((code != kTagPcm && code != kTagFloat) ||
            std::memcmp(guid + 4, kSubFormatTail, sizeof kSubFormatTail) != 0)
            return std::nullopt;
        tag = static_cast<uint16_t>(code);
    }
    const bool isFloat = tag == kTagFloat;
    if (tag != kTagPcm && !isFloat) return std::nullopt;
    if (isFloat ? bits != 32 : (bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return std::nullopt;
    if (channels == 0 || channels > kWavMaxChannels) return std::nullopt;
    if (rate < kWavMinRate || rate > kWavMaxRate) return std::nullopt;
    if (blockAlign != channels * (bits / 8u)) return std::nullopt;

    // Walk the chunks after the format chunk (each padded to an even size)
    // until the sample data turns up.
    uint64_t pos = 20 + fmtSize + (fmtSize & 1);
    while (pos + 8 <= n) {
        const uint64_t size = u32(b + pos + 4);
        if (size > n - pos - 8) return std::nullopt;  // runs past the end
        if (isId(b + pos, "data")) {
            const uint64_t frames = size / blockAlign;  // a torn last frame is dropped
            if (frames == 0) return std::nullopt;
            DecodedSound out;
            out.channels = channels;
            out.sampleRate = rate;
            out.bitsPerSample = bits;
            out.isFloat = isFloat;
            const uint64_t count = frames * channels;
            out.samples.resize(count);
            const uint8_t* p = b + pos + 8;
            const uint32_t step = bits / 8u;
            for (uint64_t i = 0; i < count; ++i, p += step) out.samples[i] = sampleAt(p, bits, isFloat);
            return out;
        }
        pos += 8 + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path, uint64_t maxBytes) {
    std::error_code ec;
    // Only regular files: a directory, a pipe or a device could block or
    // never end.
    if (!std::filesystem::is_regular_file(path, ec) || ec) return std::nullopt;
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (ec || size > maxBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (size > 0) {
        in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size));
        if (static_cast<uint64_t>(in.gcount()) != size) return std::nullopt;
    }
    return data;
}

std::optional<DecodedSound> loadWavFile(const std::string& path) {
    const auto bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    return parseWav(*bytes);
}
