#pragma once
// The Hall of Fame: the ten best scores, kept in a small file in the
// user's data folder (game.state.highScorePath) and in
// game.state.highScores. Without a data folder the path is empty: the table
// lives in memory only and nothing is written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Game.h"

// Reads the table from game.state.highScorePath into game.state.highScores
// (best first), at most its best kHallOfFameSize entries. A missing or
// unreadable file leaves an empty table.
void loadHighScores(Game& game);

// At the end of a game: when game.state.score earns a place, asks for a
// name and stores the entry, in memory and on disk. A save that fails
// (or has no folder to go to) is told in one box, "Score Not Saved".
void recordHighScore(Game& game);

// Shows the table in a message box (only while no game is running).
void showHallOfFame(Game& game);

// Asks, then empties the table and deletes the file.
void clearHighScores(Game& game);

// The file format as pure functions over bytes, for tests and fuzzing.
// Each entry is its name, a line feed, and the score as 8 bytes, low byte
// first (two's complement); no header, no count, no terminator.
// parseHighScores yields the entries in file order (see HighScoreFormat.cpp
// for the reading rules); serializeHighScores writes them in list order.
std::vector<ScoreEntry> parseHighScores(std::string_view bytes);
std::string serializeHighScores(const std::vector<ScoreEntry>& entries);

// Best first; equal scores keep their order (a stable sort).
void sortHighScores(std::vector<ScoreEntry>& entries);

// The file's name, directly in the user's data folder.
inline constexpr const char* kHighScoreFileName = "zvx_highscores.dat";
// The Hall of Fame file in the data folder; none (empty) without a folder.
inline std::string highScorePathIn(const std::string& dataFolder) {
    if (dataFolder.empty()) return {};
    return dataFolder + (dataFolder.back() == '/' ? "" : "/") + kHighScoreFileName;
}

// Most entries a table the game writes holds.
inline constexpr std::size_t kHallOfFameSize = 10;
