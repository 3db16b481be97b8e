// The file format and the name rules, as pure functions over bytes.
#include <gtest/gtest.h>

#include <random>

#include "records/HighScoreFile.h"
#include "records/HighScores.h"
#include "records/NameText.h"

using namespace std::string_literals;

namespace {
const std::string kAceBob = "ACE\n\xBC\x02\0\0\0\0\0\0BOB\nZ\0\0\0\0\0\0\0"s;

std::vector<std::pair<std::string, int64_t>> pairs(const std::vector<ScoreEntry>& v) {
    std::vector<std::pair<std::string, int64_t>> out;
    for (const auto& e : v) out.emplace_back(e.name, e.score);
    return out;
}
using P = std::vector<std::pair<std::string, int64_t>>;
}  // namespace

TEST(HighScoreFormat, TwentyFourByteExampleRoundTrips) {
    ASSERT_EQ(kAceBob.size(), 24u);
    EXPECT_EQ(pairs(parseHighScores(kAceBob)), (P{{"ACE", 700}, {"BOB", 90}}));
    EXPECT_EQ(serializeHighScores({{"ACE", 700}, {"BOB", 90}}), kAceBob);
    EXPECT_TRUE(parseHighScores("").empty());
    EXPECT_EQ(serializeHighScores({}), "");
    // Negative and extreme scores are plain two's complement.
    std::vector<ScoreEntry> odd{{"", -1}, {"max", INT64_MAX}, {"min", INT64_MIN}};
    EXPECT_EQ(pairs(parseHighScores(serializeHighScores(odd))), pairs(odd));
}

TEST(HighScoreFormat, NameEndsAtLfCrCrLfNulOrEnd) {
    const std::string s7 = "\x07\0\0\0\0\0\0\0"s;
    EXPECT_EQ(pairs(parseHighScores("A\r" + s7 + "B\r\n" + s7 + "C\0"s + s7 + "D\n" + s7)),
              (P{{"A", 7}, {"B", 7}, {"C", 7}, {"D", 7}}));
    // CR followed by something other than LF: only the CR is the line end,
    // the LF-less byte after it starts the score.
    EXPECT_EQ(pairs(parseHighScores("A\r\r\0\0\0\0\0\0\0"s)), (P{{"A", 13}}));
    // Name cut by the end of the file: one entry, score 0.
    EXPECT_EQ(pairs(parseHighScores("ZED")), (P{{"ZED", 0}}));
}

TEST(HighScoreFormat, ShortScoreMissesOnlyHighOrderBytes) {
    EXPECT_EQ(pairs(parseHighScores("A\n\x01\x02\x03")), (P{{"A", 0x030201}}));
    EXPECT_EQ(pairs(parseHighScores("A\n")), (P{{"A", 0}}));
    // A damaged tail after a good entry is one more entry.
    EXPECT_EQ(pairs(parseHighScores(kAceBob.substr(0, 17))), (P{{"ACE", 700}, {"BOB", 'Z'}}));
}

// An entry is whole once its line end and all 8 score bytes are there; a
// CR at the very end may still be the first half of a CR LF.
TEST(HighScoreFormat, WholeEntriesEndWithTheirEighthScoreByte) {
    EXPECT_EQ(wholeEntriesLength(""), 0u);
    EXPECT_EQ(wholeEntriesLength(kAceBob), 24u);
    for (std::size_t cut = 12; cut < 24; ++cut) EXPECT_EQ(wholeEntriesLength(kAceBob.substr(0, cut)), 12u) << cut;
    EXPECT_EQ(wholeEntriesLength("A\r"), 0u);
    EXPECT_EQ(wholeEntriesLength("A\r\n1234567"), 0u);
    EXPECT_EQ(wholeEntriesLength("A\r\n12345678"), 11u);
    EXPECT_EQ(wholeEntriesLength("A\r12345678B"), 10u);
}

TEST(HighScoreFormat, InvalidUtf8LoadsAsReplacementCharacters) {
    const auto v = parseHighScores("A\xFF\xC3(\xED\xA0\x80Z\n"s + std::string(8, '\0'));
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].name, "A\uFFFD\uFFFD(\uFFFD\uFFFD\uFFFDZ");
    EXPECT_TRUE(isValidUtf8(v[0].name));
    EXPECT_EQ(parseHighScores("J\xC3\xBCrgen \xE2\x9C\x93\n"s + std::string(8, '\0'))[0].name, "Jürgen ✓");
}

TEST(HighScoreFormat, HugeNameIsCappedAndLaterEntriesStillRead) {
    std::string bytes(1 << 20, 'x');
    bytes.replace(kMaxStoredNameBytes - 1, 2, "\xC3\xA9");  // é across the cap
    bytes += "\n" + std::string(8, '\0') + "NEXT\n\x05" + std::string(7, '\0');
    const auto v = parseHighScores(bytes);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].name, std::string(kMaxStoredNameBytes - 1, 'x'));
    EXPECT_EQ(pairs({v[1]}), (P{{"NEXT", 5}}));

    // Repaired bytes (each one a three-byte U+FFFD) do not take a name over
    // the bound, so it reads back as it was written.
    std::string bad(kMaxStoredNameBytes, 'y');
    bad[100] = '\x90';
    const auto repaired = parseHighScores(bad + "\n" + std::string(8, '\0'));
    EXPECT_LE(repaired[0].name.size(), kMaxStoredNameBytes);
    EXPECT_EQ(pairs(parseHighScores(serializeHighScores(repaired))), pairs(repaired));
}

TEST(HighScoreFormat, SerializedNamesCannotSplitEntries) {
    const std::string bytes = serializeHighScores({{"A\nB\rC\0D"s, 3}});
    EXPECT_EQ(pairs(parseHighScores(bytes)), (P{{"A B C D", 3}}));
}

TEST(HighScoreFormat, StableDescendingSort) {
    std::vector<ScoreEntry> v{{"a", 5}, {"b", 9}, {"c", 5}, {"d", -2}, {"e", 9}};
    sortHighScores(v);
    EXPECT_EQ(pairs(v), (P{{"b", 9}, {"e", 9}, {"a", 5}, {"c", 5}, {"d", -2}}));
}

TEST(NameText, EnteredNameIsCleanedAndCutByCharacters) {
    EXPECT_EQ(cleanEnteredName(std::string(40, 'N')), std::string(32, 'N'));
    std::string umlauts;
    for (int i = 0; i < 40; ++i) umlauts += "ö";
    const std::string cut = cleanEnteredName(umlauts);
    EXPECT_EQ(cut.size(), 64u);  // 32 two-byte characters
    EXPECT_TRUE(isValidUtf8(cut));
    EXPECT_EQ(cleanEnteredName("a\nb\rc\0d"s), "a b c d");
    EXPECT_EQ(cleanEnteredName("   "), "   ");
    EXPECT_EQ(cleanEnteredName("\xE2\x82"), "\uFFFD");  // a truncated sequence
    EXPECT_EQ(cleanEnteredName(""), "");
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x9A\x80"));   // U+1F680
}

// Whatever the bytes, loading gives proper text within the bounds, and what
// was loaded is written back and reads the same again.
TEST(HighScoreFormat, AnyBytesLoadSafelyAndRoundTrip) {
    const char alphabet[] = {'\n', '\r', '\0', 'a', '\x80', '\xBF', '\xC3', '\xE2', '\xED', '\xF0', '\xF4', '\xFF'};
    std::mt19937 gen(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(gen() % 64, '\0');
        for (char& c : bytes) c = alphabet[gen() % sizeof alphabet];
        const auto entries = parseHighScores(bytes);
        EXPECT_LE(entries.size(), bytes.size());
        for (const auto& e : entries) {
            EXPECT_TRUE(isValidUtf8(e.name));
            EXPECT_EQ(e.name.find_first_of("\n\r\0"s), std::string::npos);
        }
        EXPECT_EQ(pairs(parseHighScores(serializeHighScores(entries))), pairs(entries));
    }
}
