#pragma once
// The game's own reader for its sound files. The byte parsing is a pure
// function over a buffer, so it can be fed any garbage (truncated files,
// lying headers) and answer "not a sound" without ever reading past the end.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A sound decoded to 32-bit float samples, interleaved by channel.
struct DecodedSound {
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;  // of the file: 8, 16, 24 or 32
    bool isFloat = false;        // the file held 32-bit float samples
    std::vector<float> samples;

    uint64_t frameCount() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// Limits of what the game accepts as a sound file.
inline constexpr uint32_t kWavMaxChannels = 8;
inline constexpr uint32_t kWavMinRate = 1000;
inline constexpr uint32_t kWavMaxRate = 384000;
inline constexpr uint64_t kWavMaxFileBytes = 64u * 1024u * 1024u;

// RIFF/WAVE with the "fmt " chunk first; integer PCM of 8 (unsigned), 16, 24
// or 32 bits, or 32-bit float (also in the extensible form); 1 to 8 channels.
// The samples come from the "data" chunk wherever it lies after "fmt ".
// Anything else, or any size that does not fit the buffer, gives nullopt.
std::optional<DecodedSound> parseWav(std::span<const uint8_t> bytes);

// Reads a whole regular file of at most maxBytes; nullopt when it cannot be
// opened, is not a regular file, is too big or cannot be read completely.
std::optional<std::vector<uint8_t>> readWholeFile(const std::string& path,
                                                  uint64_t maxBytes = kWavMaxFileBytes);

// readWholeFile followed by parseWav.
std::optional<DecodedSound> loadWavFile(const std::string& path);
