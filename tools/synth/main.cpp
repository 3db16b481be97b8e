// zarvex_synth OUTPUT_DIR: writes the game's fifteen sound files, under the
// names the game loads them by, into OUTPUT_DIR.
#include <cstdio>
#include <string>

#include "Sounds.h"
#include "core/SoundOutput.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    if (!dir.empty() && dir.back() != '/') dir += '/';
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        const synth::SoundData sound = synth::makeSound(slot);
        const auto bytes = synth::encodeWav16(sound.samples, sound.channels, synth::kRate);
        const std::string path = dir + kSoundFiles[slot];
        if (!synth::writeFile(path, bytes)) {
            std::fprintf(stderr, "zarvex_synth: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
