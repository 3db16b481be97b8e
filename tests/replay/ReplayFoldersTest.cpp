// Where replays live: the game's own folder in the data folder. A "replays"
// folder an earlier build left directly in the data folder is moved there
// once, and only when it holds nothing but ZARVEX replays; start-up clears
// the temporary files of killed saves beside the replays.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "RecordedWorld.h"

namespace fs = std::filesystem;

namespace {

void put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
std::string get(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kBest = "ZARVEXRP best", kLast = "ZARVEXRP last";
// A save killed long ago (no process has that id) and one going on now
// (process 1 always runs).
const char* kKilledSave = "last.zvxr.tmp.999999999.0";
const char* kRunningSave = "best.zvxr.tmp.1.0";

}  // namespace

TEST(ReplayFolders, AnOldReplaysFolderIsMovedOnceAndOnlyWhenItIsOurs) {
    const struct {
        const char* what;
        std::function<void(const fs::path& old, const fs::path& now)> arrange;
        bool moved;
    } cases[] = {
        {"two replays and a killed save", [](const fs::path& old, const fs::path&) {
             put(old / "best.zvxr", kBest), put(old / "last.zvxr", kLast), put(old / kKilledSave, "x");
         }, true},
        {"a file of another program beside them", [](const fs::path& old, const fs::path&) {
             put(old / "best.zvxr", kBest), put(old / "notes.txt", "mine");
         }, false},
        {"a best.zvxr that is no replay", [](const fs::path& old, const fs::path&) { put(old / "best.zvxr", "hello"); },
         false},
        {"a folder inside", [](const fs::path& old, const fs::path&) {
             put(old / "best.zvxr", kBest), fs::create_directory(old / "last.zvxr");
         }, false},
        {"nothing at all", [](const fs::path&, const fs::path&) {}, false},
        {"a save still going on", [](const fs::path& old, const fs::path&) {
             put(old / "best.zvxr", kBest), put(old / kRunningSave, "x");
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedWorld w(1);
        const fs::path old = fs::path(w.folder) / "replays", now = fs::path(w.folder) / "zarvex" / "replays";
        fs::create_directory(old);
        c.arrange(old, now);
        const auto before = std::distance(fs::directory_iterator(old), {});
        tidyReplayFolders(w.game.state.highScorePath);
        EXPECT_EQ(fs::exists(old), !c.moved);
        EXPECT_EQ(fs::exists(now), c.moved);
        if (c.moved) {
            EXPECT_EQ(get(w.best()), kBest);
            EXPECT_EQ(get(w.last()), kLast);
            EXPECT_FALSE(fs::exists(now / kKilledSave));
        } else {
            EXPECT_EQ(std::distance(fs::directory_iterator(old), {}), before);  // left as it was
        }
        EXPECT_FALSE(moveOldReplayFolder(w.game.state.highScorePath));  // once
    }
}

TEST(ReplayFolders, OldReplaysJoinTheGamesFolderWithoutReplacingItsOwnAndStartUpClearsKilledSaves) {
    RecordedWorld w(2);
    const fs::path old = fs::path(w.folder) / "replays", now = fs::path(w.folder) / "zarvex" / "replays";
    fs::create_directories(now);
    fs::create_directory(old);
    put(old / "best.zvxr", kBest), put(old / "last.zvxr", kLast);
    put(now / "best.zvxr", "ZARVEXRP newer best");
    put(now / kKilledSave, "x"), put(now / kRunningSave, "x");
    tidyReplayFolders(w.game.state.highScorePath);
    EXPECT_EQ(get(w.best()), "ZARVEXRP newer best");
    EXPECT_EQ(get(w.last()), kLast);
    EXPECT_EQ(get(old / "best.zvxr"), kBest);  // never lost, never over a newer one
    EXPECT_FALSE(fs::exists(now / kKilledSave));
    EXPECT_TRUE(fs::exists(now / kRunningSave));
    // The Hall of Fame stays where it always was.
    EXPECT_EQ(fs::path(w.game.state.highScorePath).parent_path(), fs::path(w.folder));
    EXPECT_EQ(w.best(), w.folder + "/zarvex/replays/best.zvxr");
}
