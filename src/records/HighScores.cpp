#include "records/HighScores.h"

#include <algorithm>

#include "records/HighScoreFile.h"
#include "records/NameText.h"
#include "records/ReplayFiles.h"
#include "ui/NumberFormat.h"

namespace {

std::vector<ScoreEntry> tableOf(const GameState& state) {
    std::vector<ScoreEntry> table;
    table.reserve(state.highScores.size());
    state.highScores.forEach([&](const ScoreEntry& e) { table.push_back(e); });
    return table;
}

void setTable(GameState& state, std::vector<ScoreEntry> table) {
    state.highScores.clear();
    for (ScoreEntry& e : table) state.highScores.add() = std::move(e);  // each add appends
    state.highScores.reset();
}

// A score that could not be stored is told once, at the save, in a box that
// names the file and the reason; then the game goes on. The entry stays in
// memory until the next load.
void tellNotSaved(Game& game, const std::string& file, const std::string& reason) {
    game.platform.activateApp();
    game.platform.messageBox("Score Not Saved", "Your score could not be saved to " + file + ": " + reason);
}

// The name the box offers: the user's full name, or nothing when the
// platform's answer is not proper UTF-8.
std::string defaultName(Platform& platform) {
    std::string name = platform.userFullName();
    if (!isValidUtf8(name)) name.clear();
    return name;
}

}  // namespace

void loadHighScores(Game& game) {
    std::vector<ScoreEntry> table = parseHighScores(readHighScoreFile(game.state.highScorePath));
    sortHighScores(table);
    // A hand-made file may hold more: its best ten are the table, so that a
    // score that qualifies always finds a place among them.
    if (table.size() > kHallOfFameSize) table.resize(kHallOfFameSize);
    setTable(game.state, std::move(table));
}

void recordHighScore(Game& game) {
    loadHighScores(game);
    GameState& state = game.state;
    const int64_t score = state.score;

    // A full table takes only a score strictly above its lowest entry; a
    // table with room takes any score, 0 included.
    const auto& list = state.highScores;
    if (list.size() >= kHallOfFameSize && score <= list[list.size() - 1].score) return;

    game.sound.playSound(SoundHighScore, PlayOnce, DefaultVolume);
    game.platform.activateApp();
    const std::string answer = game.platform.textInputBox("HIGH SCORE UNLOCKED!", "Enter name for posterity:",
                                                          defaultName(game.platform));
    const std::string name = cleanEnteredName(answer);
    if (name.empty()) return;  // cleared or cancelled: nothing is stored, the file stays as it was

    // Appended after the last entry, so a stable sort puts it below every
    // stored entry with the same score. The eleventh entry drops out.
    std::vector<ScoreEntry> table = tableOf(state);
    const auto place = static_cast<std::size_t>(
        std::count_if(table.begin(), table.end(), [&](const ScoreEntry& e) { return e.score >= score; }));
    table.push_back({name, score});
    sortHighScores(table);
    if (table.size() > kHallOfFameSize) table.erase(table.begin() + kHallOfFameSize);
    const std::string bytes = serializeHighScores(table);
    setTable(state, std::move(table));

    // Without a home folder there is no data folder to keep the table in,
    // and nothing is written anywhere else.
    if (state.highScorePath.empty()) {
        tellNotSaved(game, kHighScoreFileName, "no home folder");
        return;
    }
    // A save that fails leaves the old file as it was.
    const HighScoreFileResult saved = replaceHighScoreFile(state.highScorePath, bytes);
    noteScoreStored(game, place, saved.ok);
    if (!saved) tellNotSaved(game, saved.path, saved.reason);
}

void showHallOfFame(Game& game) {
    GameState& state = game.state;
    if (state.inGame != 0) return;  // not during a game
    loadHighScores(game);

    state.hallText = "Top High Scores:\n\r";
    state.highScores.forEach([&](const ScoreEntry& e) {
        state.hallText += e.name + " - " + formatNumber(game.platform, e.score) + "\n";
    });

    if (game.sound.soundStatus(SoundTitle) == SoundStatusPlaying) game.sound.stopSound(SoundTitle);
    game.sound.playSound(SoundLeader, PlayOnce, DefaultVolume);
    game.platform.activateApp();
    game.platform.messageBox("ZARVEX Hall of Fame", state.hallText + "\n");
    // Back to the title: its tune again, and the game window to the front.
    game.sound.playSound(SoundTitle, PlayOnce, DefaultVolume);
    game.platform.activateApp();
}

void clearHighScores(Game& game) {
    game.platform.activateApp();
    if (!game.platform.yesNoBox("Confirm", "Delete High Scores?")) return;
    deleteHighScoreFile(game.state.highScorePath);
    // The replays kept beside the table go with it.
    deleteReplays(game.state.highScorePath);
    loadHighScores(game);
}
