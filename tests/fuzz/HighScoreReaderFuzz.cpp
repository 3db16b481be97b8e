// Feeds any bytes to the Hall of Fame reader. Whatever a damaged or hostile
// file holds, it loads as far as it goes, by the file's own rules: the same
// entries and scores as a plain reading of those rules, names that are
// clean UTF-8 without line ends, and a table that writes back and reads the
// same. Cut anywhere (as the read limit cuts a long file), the whole entries
// before the cut are the file's own first entries, never an invented one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "records/HighScoreFile.h"
#include "records/HighScores.h"

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}

// The reading rules, written out as plainly as possible: a name ends at LF,
// CR (CR LF counting as one), NUL or the end; then 8 score bytes, low byte
// first, the missing high bytes of a short tail counting as 0. A NUL where
// a name would begin ends the table.
std::vector<int64_t> referenceScores(std::string_view b) {
    std::vector<int64_t> scores;
    size_t i = 0;
    while (i < b.size() && b[i] != '\0') {
        while (i < b.size() && b[i] != '\n' && b[i] != '\r' && b[i] != '\0') ++i;
        if (i < b.size()) {
            if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ++i;
            ++i;
        }
        uint64_t v = 0;
        for (int k = 0; k < 8 && i < b.size(); ++k, ++i) v |= uint64_t(uint8_t(b[i])) << (8 * k);
        scores.push_back(int64_t(v));
    }
    return scores;
}

bool validUtf8WithoutLineEnds(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t c = uint8_t(s[i]);
        if (c == '\n' || c == '\r' || c == '\0') return false;
        size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < n; ++k) {
            const uint8_t d = uint8_t(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<ScoreEntry> entries = parseHighScores(bytes);

    const std::vector<int64_t> expected = referenceScores(bytes);
    check(entries.size() == expected.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        check(entries[i].score == expected[i]);
        check(validUtf8WithoutLineEnds(entries[i].name));
    }

    // What was loaded writes back and reads the same.
    const std::string written = serializeHighScores(entries);
    const std::vector<ScoreEntry> again = parseHighScores(written);
    check(again.size() == entries.size());
    for (size_t i = 0; i < again.size(); ++i) {
        check(again[i].name == entries[i].name);
        check(again[i].score == entries[i].score);
    }

    // Whole entries of a cut: the first entries of the whole, unchanged.
    for (const size_t cut : {size, size / 2, size ? size - 1 : 0}) {
        const size_t whole = wholeEntriesLength(bytes.substr(0, cut));
        check(whole <= cut);
        const std::vector<ScoreEntry> kept = parseHighScores(bytes.substr(0, whole));
        check(kept.size() <= entries.size());
        for (size_t i = 0; i < kept.size(); ++i) {
            check(kept[i].name == entries[i].name);
            check(kept[i].score == entries[i].score);
        }
        // Uncut, at most the trailing fragment is left out.
        if (cut == size) check(kept.size() + 1 >= entries.size());
    }

    // Best first, equal scores in file order.
    std::vector<ScoreEntry> sorted = entries;
    sortHighScores(sorted);
    for (size_t i = 1; i < sorted.size(); ++i) check(sorted[i - 1].score >= sorted[i].score);
    return 0;
}
