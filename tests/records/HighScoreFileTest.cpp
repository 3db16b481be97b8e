// The high-score file on a real file system.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "records/HighScoreFile.h"
#include "records/HighScores.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

void put(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

class HighScoreFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = ::testing::TempDir() + "zvx-file-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        fs::remove_all(dir);
    }
    fs::path dir;
};

// A file over the read limit reads its whole entries before the limit; only
// the entry the limit cuts is left out. A file that itself ends inside an
// entry keeps that fragment as one more entry.
TEST_F(HighScoreFile, ReadLimitKeepsWholeEntriesOnly) {
    const fs::path path = dir / "zvx_highscores.dat";
    const auto load = [&] { return parseHighScores(readHighScoreFile(path)); };
    std::vector<ScoreEntry> fill(4480, {"FILLING", -1});  // 16 bytes each: 70 KiB
    put(path, serializeHighScores(fill));
    auto read = load();
    EXPECT_EQ(read.size(), kMaxHighScoreFileBytes / 16);
    EXPECT_TRUE(std::all_of(read.begin(), read.end(), [](const ScoreEntry& e) { return e.score == -1; }));

    // A 19-byte entry first puts the limit 5 bytes into a score.
    fill.insert(fill.begin(), {"LEADER1234", 5});
    const std::string shifted = serializeHighScores(fill);
    put(path, shifted);
    read = load();
    ASSERT_EQ(read.size(), 1 + 4094u);
    EXPECT_EQ(read.front().score, 5);
    EXPECT_TRUE(std::all_of(read.begin() + 1, read.end(), [](const ScoreEntry& e) { return e.score == -1; }));
    put(path, shifted.substr(0, kMaxHighScoreFileBytes + 1));
    EXPECT_EQ(load().size(), 1 + 4094u);
    put(path, shifted.substr(0, kMaxHighScoreFileBytes));  // a damaged file that ends there
    read = load();
    ASSERT_EQ(read.size(), 1 + 4095u);
    EXPECT_EQ(read.back().score, 0xFF'FFFF'FFFF);

    // A name longer than is kept, across the limit or ending just before
    // it: its score is read.
    for (const std::size_t length : {std::size_t{100} << 10, kMaxHighScoreFileBytes - 10 - 3}) {
        put(path, serializeHighScores({{"A", 1}}) + std::string(length, 'n') + "\r\n\x4D\0\0\0\0\0\0\0B\n"s);
        read = load();
        ASSERT_EQ(read.size(), 2u) << length;
        EXPECT_EQ(read[1].name.size(), kMaxStoredNameBytes);
        EXPECT_EQ(read[1].score, 77);
    }
}

}  // namespace
