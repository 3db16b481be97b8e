// Where replays live: the game's own folder in the data folder. A "replays"
// folder an earlier build left directly in the data folder is moved there
// once, and only when it holds nothing but ZARVEX replays; start-up clears
// the temporary files of killed saves beside the replays.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "ReplayTestWorld.h"

namespace fs = std::filesystem;

namespace {

void put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

const std::string kBest = "ZARVEXRP best", kLast = "ZARVEXRP last";
// A save killed long ago (no process has that id) and one going on now
// (process 1 always runs).
const char* kKilledSave = "last.zvxr.tmp.999999999.0";
const char* kRunningSave = "best.zvxr.tmp.1.0";

}  // namespace

TEST(ReplayFolders, AnOldReplaysFolderIsMovedOnceAndOnlyWhenItIsOurs) {
    const struct {
        const char* what;
        std::vector<std::pair<const char*, std::string>> files;
        bool moved;
    } cases[] = {
        {"two replays and a killed save", {{"best.zvxr", kBest}, {"last.zvxr", kLast}, {kKilledSave, "x"}}, true},
        {"a file of another program", {{"best.zvxr", kBest}, {"notes.txt", "mine"}}, false},
        {"a best.zvxr that is no replay", {{"best.zvxr", "hello"}}, false},
        {"a save still going on", {{"best.zvxr", kBest}, {kRunningSave, "x"}}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedWorld w(1);
        const fs::path old = fs::path(w.folder) / "replays";
        fs::create_directory(old);
        for (const auto& [name, bytes] : c.files) put(old / name, bytes);
        tidyReplayFolders(w.game.state.highScorePath);
        EXPECT_EQ(fs::exists(old), !c.moved);
        EXPECT_EQ(fileBytes(w.best()), c.moved ? kBest : "");
        if (!c.moved) {  // left as it was
            EXPECT_EQ(std::size_t(std::distance(fs::directory_iterator(old), {})), c.files.size());
        }
        EXPECT_FALSE(moveOldReplayFolder(w.game.state.highScorePath));  // once
    }
}

TEST(ReplayFolders, OldReplaysNeverReplaceTheGamesOwnAndStartUpClearsKilledSaves) {
    RecordedWorld w(2);
    const fs::path old = fs::path(w.folder) / "replays", now = fs::path(w.folder) / "zarvex" / "replays";
    fs::create_directories(now);
    fs::create_directory(old);
    put(old / "best.zvxr", kBest), put(old / "last.zvxr", kLast), put(now / "best.zvxr", "ZARVEXRP newer");
    put(now / kKilledSave, "x"), put(now / kRunningSave, "x");
    tidyReplayFolders(w.game.state.highScorePath);
    EXPECT_EQ(fileBytes(w.best()), "ZARVEXRP newer");
    EXPECT_EQ(fileBytes(w.last()), kLast);
    EXPECT_EQ(fileBytes(old / "best.zvxr"), kBest);  // left where it was
    EXPECT_FALSE(fs::exists(now / kKilledSave));
    EXPECT_TRUE(fs::exists(now / kRunningSave));
    EXPECT_EQ(w.best(), w.folder + "/zarvex/replays/best.zvxr");  // the Hall of Fame stays in w.folder
}
