#pragma once
// What a replay must be before it is played, beyond being a well-formed
// file: a game of this program's version, set up from a start that a new
// game can really have, claiming an end that 100 waves can reach. A replay
// that passes proves its score by being played again; one that does not is
// refused with the reason, and nothing of it is played.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "records/Replay.h"

// The most points one game can make: every warhead of the 100 waves worth
// the most any can give (a THROBBER's 200, more than a MIRV's three
// fragments), and six cities' survival bonus after every wave on Hard.
int64_t mostPointsOfAGame();

// The first field of the start that no new game can begin with, and its
// value, or nothing when every field is one a game can have.
struct ImpossibleField {
    std::string field;
    std::string value;
};
std::optional<ImpossibleField> impossibleStartField(const ReplayStart& start);

// Why this program cannot play the replay (another version recorded it, no
// new game starts as it does, it claims an end no game reaches), or nothing.
std::optional<ReplayError> unplayableReason(const Replay& replay);

// The replay in `bytes`, read and checked (parseReplay, then
// unplayableReason).
std::variant<Replay, ReplayError> readPlayableReplay(std::string_view bytes);

// The game version as the player may be shown it: printable ASCII only.
std::string shownVersion(std::string_view version);
