#include "app/Recorder.h"

#include <chrono>

#include "app/App.h"
#include "records/ReplayFiles.h"

GameRecorder::GameRecorder(Game& game) : game_(game) { game_.journal = this; }

GameRecorder::~GameRecorder() {
    if (game_.journal == this) game_.journal = nullptr;
}

void GameRecorder::frameTook(const WindowEvent& event) {
    if (writer_.started()) writer_.frame(event);
}

void GameRecorder::answered(const ReplayAnswer& answer) {
    if (writer_.started()) writer_.answer(answer);
}

void GameRecorder::gameStarting(const GameState& state) {
    justEnded_ = false;
    // A source that cannot say where it stands (a scripted one) leaves the
    // game unrecorded.
    const auto random = game_.random.saveState();
    if (!random) return;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    writer_.start(state, *random, std::chrono::duration_cast<std::chrono::seconds>(now).count(), kGameVersion);
}

void GameRecorder::gameEnding(const GameState& state) {
    if (!writer_.started()) return;
    finished_ = writer_.finish(replayEndOf(state, writer_.frames()));
    endState_ = state;
    justEnded_ = true;
    // Kept at once: the program may end right after. A replay that cannot
    // be written costs no score, so nothing is said.
    saveReplayFile(replayPath(game_.state.highScorePath, ReplayKind::Last), finished_);
}

void GameRecorder::scoreStored(std::size_t place, bool saved) {
    if (!justEnded_ || place >= game_.state.highScores.size()) return;
    // The entry just made is this game's: its name goes into the replay.
    finished_ = writer_.named(game_.state.highScores[place].name);
    saveReplayFile(replayPath(game_.state.highScorePath, ReplayKind::Last), finished_);
    // The best game is the one the table shows first: a table that could
    // not be saved still shows the old best, and so does Watch Best Game.
    if (place == 0 && saved) saveReplayFile(replayPath(game_.state.highScorePath, ReplayKind::Best), finished_);
}
