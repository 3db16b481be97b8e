// Feeds any bytes to the replay reader, with the right checksum added at
// their end so that the changes reach the header, the start and the frames.
// Whatever they hold, reading and checking never crash or hang: a replay it
// accepts yields exactly the frames its end counts, bounded, and written
// again frame by frame, with its start and name, it reads back the same.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ReplayChecks.h"
#include "records/Replay.h"

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
bool sameStart(const ReplayStart& a, const ReplayStart& b) {
    auto bits = [](float f) { return std::bit_cast<uint32_t>(f); };
    return a.difficulty == b.difficulty && a.paused == b.paused && a.intelShown == b.intelShown &&
           a.throbberMoved == b.throbberMoved && a.shakeTimer == b.shakeTimer && a.staticTimer == b.staticTimer &&
           a.gameOverTimer == b.gameOverTimer && a.mouseX == b.mouseX && a.mouseY == b.mouseY &&
           a.lastBonus == b.lastBonus && bits(a.titlePhase) == bits(b.titlePhase) &&
           bits(a.alarmPhase) == bits(b.alarmPhase) && bits(a.launchDistance) == bits(b.launchDistance);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const uint32_t sum = replayChecksum(bytes);
    for (int i = 0; i < 4; ++i) bytes += char(uint8_t(sum >> (8 * i)));
    const auto parsed = parseReplay(bytes);
    const Replay* replay = std::get_if<Replay>(&parsed);
    if (!replay) return 0;
    // The checks of a playable replay take any start and end.
    const auto checked = readPlayableReplay(bytes);
    check(std::holds_alternative<Replay>(checked) == !unplayableReason(*replay).has_value());

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
    const auto reread = parseReplay(again.finish(replay->end, replay->name));
    const Replay* second = std::get_if<Replay>(&reread);
    check(second != nullptr);
    check(second->name == replay->name && sameStart(second->start, replay->start));
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
