#pragma once
// Where the replays are kept: a "replays" folder beside the Hall of Fame
// file, holding the game that holds first place (best.zvxr) and the last
// game played (last.zvxr). They are written the same crash-safe way as the
// Hall of Fame, and cleared with it.
#include <string>
#include <string_view>

#include "records/HighScoreFile.h"

enum class ReplayKind { Best, Last };

// The replay's file beside the Hall of Fame at highScorePath; empty when
// there is no data folder.
std::string replayPath(const std::string& highScorePath, ReplayKind kind);

// Replaces the replay at `path`, making its folder when it is missing.
HighScoreFileResult saveReplayFile(const std::string& path, std::string_view bytes);

// The bytes of the replay at `path` (a regular file of at most
// kMaxReplayFileBytes), or why there are none: "there is none yet", "it is
// too large to be a replay", or the system's reason.
struct ReplayFileRead {
    bool ok = false;
    std::string bytes;
    std::string reason;
};
ReplayFileRead readReplayFile(const std::string& path);

// Removes both replays kept beside the Hall of Fame (its folder stays).
void deleteReplays(const std::string& highScorePath);
