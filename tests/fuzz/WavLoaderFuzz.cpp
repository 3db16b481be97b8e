// Feeds any bytes to the sound-file reader. A damaged or hostile WAV never
// crashes, hangs or reads out of bounds: it is either a sound within the
// game's limits, with finite samples in range, or no sound at all.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "audio/miniaudio/WavParser.h"

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto sound = parseWav(std::span<const uint8_t>(data, size));
    if (!sound) return 0;
    check(sound->channels >= 1 && sound->channels <= kWavMaxChannels);
    check(sound->sampleRate >= kWavMinRate && sound->sampleRate <= kWavMaxRate);
    check(sound->samples.size() % sound->channels == 0);
    check(sound->samples.size() * (sound->bitsPerSample / 8) <= size);  // never more than the file holds
    for (float s : sound->samples) check(std::isfinite(s) && s >= -1.0f && s <= 1.0f);
    return 0;
}
