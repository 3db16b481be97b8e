// zarvex_replay_steps FILE: prints the number of steps a recorded game took
// (the step it began in and every step after it), read with the game's own
// replay reader. scripts/count-steps.sh counts the game's pace with it.
#include <cstdio>
#include <variant>

#include "records/Replay.h"
#include "records/ReplayFiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zarvex_replay_steps FILE\n");
        return 2;
    }
    const ReplayFileRead file = readReplayFile(argv[1]);
    if (!file.ok) {
        std::fprintf(stderr, "zarvex_replay_steps: %s: %s\n", argv[1], file.reason.c_str());
        return 1;
    }
    const auto parsed = parseReplay(file.bytes);
    if (const ReplayError* error = std::get_if<ReplayError>(&parsed)) {
        std::fprintf(stderr, "zarvex_replay_steps: %s: %s\n", argv[1], error->reason.c_str());
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(std::get<Replay>(parsed).end.frames + 1));
    return 0;
}
