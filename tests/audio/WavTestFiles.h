#pragma once
// Builds WAV files byte by byte for the loader tests, so every header field
// can be set right or wrong on purpose.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace wavtest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void putId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}

inline Bytes chunk(const char* id, const Bytes& body, bool pad = true) {
    Bytes b;
    putId(b, id);
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) b.push_back(0);
    return b;
}

struct Format {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 48000;
    uint16_t bits = 16;
    int blockAlign = -1;  // -1: the right value
};

inline Bytes fmtBody(const Format& f) {
    Bytes b;
    const uint32_t align = f.blockAlign >= 0 ? static_cast<uint32_t>(f.blockAlign) : f.channels * (f.bits / 8u);
    put16(b, f.tag);
    put16(b, f.channels);
    put32(b, f.rate);
    put32(b, f.rate * align);
    put16(b, align);
    put16(b, f.bits);
    return b;
}

// The extensible form of the format chunk with a PCM (1) or float (3)
// sub-format code.
inline Bytes fmtExtensibleBody(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t subFormat) {
    Format f{0xFFFE, channels, rate, bits};
    Bytes b = fmtBody(f);
    put16(b, 22);        // extra size
    put16(b, bits);      // valid bits
    put32(b, 0);         // channel mask
    put32(b, subFormat); // the GUID: code, then the fixed tail
    const uint8_t tail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    b.insert(b.end(), tail, tail + 12);
    return b;
}

inline Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes body;
    putId(body, "WAVE");
    for (const auto& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    putId(b, "RIFF");
    put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline Bytes wav(const Format& f, const Bytes& data) { return riff({chunk("fmt ", fmtBody(f)), chunk("data", data)}); }

inline Bytes pcm16(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples) put16(b, static_cast<uint16_t>(s));
    return b;
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A private folder under the system's temporary folder, removed on exit.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& name) {
        path = std::filesystem::temp_directory_path() /
               (name + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    static int& counter() {
        static int n = 0;
        return n;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

}  // namespace wavtest
