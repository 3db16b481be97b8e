// Feeds any bytes to the replay reader, with the right checksum added at
// their end so that the changes reach the header and the frames. Whatever
// they hold, reading never crashes or hangs: a replay it accepts yields
// exactly the frames its end counts, bounded, and written again frame by
// frame it reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "records/Replay.h"

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const uint32_t sum = replayChecksum(bytes);
    bytes.append(reinterpret_cast<const char*>(&sum), 4);
    const auto parsed = parseReplay(bytes);
    const Replay* replay = std::get_if<Replay>(&parsed);
    if (!replay) return 0;

    std::vector<ReplayFrame> frames;
    ReplayFrames reader(*replay);
    ReplayFrame f;
    while (reader.next(f)) {
        frames.push_back(f);
        check(int64_t(frames.size()) <= kMaxReplayFrames);
    }
    check(int64_t(frames.size()) == replay->end.frames);

    ReplayWriter again;
    again.start(replay->start, replay->random, replay->recordedAt, replay->gameVersion);
    for (const ReplayFrame& fr : frames) {
        again.frame(fr.event);
        for (const ReplayAnswer& a : fr.answers) again.answer(a);
    }
    const auto reread = parseReplay(again.finish(replay->end));
    const Replay* second = std::get_if<Replay>(&reread);
    check(second != nullptr);
    ReplayFrames back(*second);
    for (const ReplayFrame& fr : frames) {
        check(back.next(f));
        check(f.event.code == fr.event.code && f.event.canvasType == fr.event.canvasType &&
              f.event.menuId == fr.event.menuId && f.answers == fr.answers);
        if (fr.event.code == EventCanvas) check(f.event.x == fr.event.x && f.event.y == fr.event.y && f.event.key == fr.event.key);
    }
    check(!back.next(f));
    return 0;
}
