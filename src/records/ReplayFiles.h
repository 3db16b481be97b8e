#pragma once
// Where the replays are kept: the game's own folder in the data folder that
// holds the Hall of Fame file ("zarvex/replays/" beside it), holding the
// game that holds first place (best.zvxr) and the last game played
// (last.zvxr). They are written the same crash-safe way as the Hall of
// Fame, and cleared with it.
#include <string>
#include <string_view>

#include "records/HighScoreFile.h"

enum class ReplayKind { Best, Last };

// The replay's file in the data folder of the Hall of Fame at
// highScorePath; empty when there is no data folder.
std::string replayPath(const std::string& highScorePath, ReplayKind kind);

// Replaces the replay at `path`, making its folders when they are missing.
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

// At start-up. An earlier build kept the replays in a "replays" folder
// directly in the data folder, where any program may keep a folder of that
// name: it is moved into the game's own folder when it holds nothing but
// ZARVEX replays (and the temporary files of their saves), and left alone
// otherwise. Then the temporary files that killed saves left beside the
// replays go, as they do beside the Hall of Fame.
void tidyReplayFolders(const std::string& highScorePath);

// The first part of that: true when the old folder was moved (or its
// replays moved into a game folder that already had one).
bool moveOldReplayFolder(const std::string& highScorePath);
