// The high-score file, byte by byte. Each entry is
//     name (UTF-8, no byte-order mark)  LF  score (8 bytes, low byte first)
// one after another, best first, with nothing before, between or after.
// ACE 700 and BOB 90 are the 24 bytes
//     41 43 45 0A BC 02 00 00 00 00 00 00 42 4F 42 0A 5A 00 00 00 00 00 00 00
// and an empty table is an empty file.
//
// Reading is lenient, so that a file edited by hand or cut short still
// gives what it holds: a name ends at LF, at CR (CR LF counts as one line
// end), at NUL or at the end of the data; the next 8 bytes are the score,
// whatever they are, and bytes missing at the end count as 0 in the high
// places. A trailing fragment is one more entry.
//
// A NUL where an entry would begin ends the table. No entry the game writes
// starts with one (even an empty name has its line end); zero bytes there
// are what a save cut short by a crash leaves, or the NUL that a rewrite in
// place puts after a table shorter than the old one (HighScoreFile.cpp), and
// what follows is no table: read on, it would give blank entries worth 0.
//
// An entry is whole when its line end and all 8 score bytes are there;
// reading more of the file never changes a whole entry (CR LF is decided by
// the byte after the CR, which a whole entry has).
#include <algorithm>
#include <cstdint>

#include "records/HighScoreFile.h"
#include "records/HighScores.h"
#include "records/NameText.h"

bool endsHighScoreName(char c) { return c == '\n' || c == '\r' || c == '\0'; }

namespace {

// Where one entry lies, by the reading rules: its name from `start` to
// `nameEnd`, its score bytes from `scoreStart` to `end`.
struct EntrySpan {
    std::size_t nameEnd = 0;
    std::size_t scoreStart = 0;
    std::size_t end = 0;
    bool whole = false;
};

EntrySpan scanEntry(std::string_view bytes, std::size_t start) {
    const std::size_t n = bytes.size();
    EntrySpan e;
    std::size_t pos = start;
    while (pos < n && !endsHighScoreName(bytes[pos])) ++pos;
    e.nameEnd = pos;
    if (pos < n) {
        const bool crlf = bytes[pos] == '\r' && pos + 1 < n && bytes[pos + 1] == '\n';
        pos += crlf ? 2 : 1;
        e.whole = n - pos >= 8;
    }
    e.scoreStart = pos;
    e.end = std::min(n, pos + 8);
    return e;
}

bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A name read from the file: at most kMaxStoredNameBytes, cut before a
// character rather than inside one, and made well-formed UTF-8 so that the
// title screen and the dialogs only ever get proper text. A name the game
// wrote comes back unchanged.
std::string storedName(std::string_view raw) {
    if (raw.size() > kMaxStoredNameBytes) {
        std::size_t cut = kMaxStoredNameBytes;
        for (int k = 0; k < 3 && cut > 0 && continuesCharacter(raw[cut]); ++k) --cut;
        raw = raw.substr(0, cut);
    }
    std::string name = toValidUtf8(raw);
    // Each ill-formed byte became a three-byte U+FFFD, which may take the
    // name past the bound again; cut it once more (between characters, as
    // it is well-formed now), or the next load would cut it shorter than it
    // was saved.
    if (name.size() > kMaxStoredNameBytes) {
        std::size_t cut = kMaxStoredNameBytes;
        while (cut > 0 && continuesCharacter(name[cut])) --cut;
        name.resize(cut);
    }
    return name;
}

}  // namespace

std::vector<ScoreEntry> parseHighScores(std::string_view bytes) {
    std::vector<ScoreEntry> entries;
    std::size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != '\0') {
        const EntrySpan span = scanEntry(bytes, pos);
        ScoreEntry entry;
        entry.name = storedName(bytes.substr(pos, span.nameEnd - pos));
        uint64_t value = 0;
        for (std::size_t k = span.scoreStart; k < span.end; ++k)
            value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[k])) << (8 * (k - span.scoreStart));
        entry.score = static_cast<int64_t>(value);
        entries.push_back(std::move(entry));
        pos = span.end;
    }
    return entries;
}

std::size_t wholeEntriesLength(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size() && bytes[pos] != '\0') {
        const EntrySpan span = scanEntry(bytes, pos);
        if (!span.whole) break;
        pos = span.end;
    }
    return pos;
}

std::string serializeHighScores(const std::vector<ScoreEntry>& entries) {
    std::string bytes;
    for (const ScoreEntry& entry : entries) {
        // A line end or NUL inside a name would end it early on the next
        // load and shift every entry after it; the game never stores one,
        // and this keeps the file sound whatever the caller hands in.
        for (char c : entry.name) bytes += endsHighScoreName(c) ? ' ' : c;
        bytes += '\n';
        const auto value = static_cast<uint64_t>(entry.score);
        for (int k = 0; k < 8; ++k) bytes += static_cast<char>((value >> (8 * k)) & 0xFF);
    }
    return bytes;
}

void sortHighScores(std::vector<ScoreEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ScoreEntry& a, const ScoreEntry& b) { return a.score > b.score; });
}
