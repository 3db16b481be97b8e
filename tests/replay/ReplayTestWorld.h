#pragma once
// The replay tests' own helpers, over the recorded world.
#include <gtest/gtest.h>

#include <string>

#include "RecordedWorld.h"
#include "app/Replayer.h"

inline Replay parsed(const std::string& bytes) {
    auto r = parseReplay(bytes);
    if (auto* e = std::get_if<ReplayError>(&r)) ADD_FAILURE() << "not a replay: " << e->reason;
    return std::get_if<Replay>(&r) ? std::get<Replay>(r) : Replay{};
}

inline std::string fileBytes(const std::string& path) {
    const ReplayFileRead f = readReplayFile(path);
    return f.ok ? f.bytes : std::string();
}
