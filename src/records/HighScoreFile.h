#pragma once
// The high-score file on disk: bounded reading, replacing without ever
// losing the table already there, deleting, and tidying up after saves that
// were killed half-way.
//
// Symbolic links: a player may keep the file elsewhere (a synced folder, a
// dotfile manager) and leave a link in the data folder. Saving and deleting
// act on the file the link leads to, through any chain of links (a relative
// link target counts from the folder of the link itself), and the link stays
// a link; a link whose target is missing gets that target created by a
// save. The temporary file of a save lies beside that target, so it is the
// target's folder that must be writable.
#include <cstddef>
#include <string>
#include <string_view>

// Reading bounds. A table the game writes is at most ten entries of 32
// characters, well under 1.5 KiB; anything far larger was not written by
// the game. Loading reads at most the first 64 KiB of the file, so a file
// of gigabytes neither fills memory nor stalls start-up, and keeps at most
// 4 KiB of any one name, so a "name" of megabytes stays a short text for the
// title screen and the dialogs (the rest of its line is skipped, so the
// entries after it still read as they were stored).
//
// Where the file goes on past 64 KiB, the entry that the limit cuts is left
// out, together with everything after it: its score (or the end of its
// name) lies beyond what was read, and reading it from the bytes before the
// limit would invent an entry the file does not hold. A file that really
// ends inside an entry is different: that damaged tail is the file's own and
// reads as one more entry, as always. One case reads past the limit: when
// the limit falls inside a name already longer than the 4 KiB kept of it,
// the rest of that line is skipped, up to kMaxHighScoreScanBytes into the
// file, to reach that entry's score.
inline constexpr std::size_t kMaxHighScoreFileBytes = 64 * 1024;
inline constexpr std::size_t kMaxStoredNameBytes = 4 * 1024;
inline constexpr std::size_t kMaxHighScoreScanBytes = 16 * 1024 * 1024;

// The bytes of the file at `path` that loading uses: the whole file when it
// is at most kMaxHighScoreFileBytes long, otherwise its whole entries before
// the limit (above). Empty when it is not an existing regular file or
// cannot be read.
std::string readHighScoreFile(const std::string& path);

// What became of a save or a delete. `path` is the path given, the one the
// player knows (a link stays named as the link); `target` is the file that
// was written or tried, at the end of its links. On a failure `error` is the
// errno value and `reason` says what stood in the way ("Permission denied",
// "Is a directory", "the folder /x may not be written", ...), ready for
// "Your score could not be saved to <path>: <reason>".
struct HighScoreFileResult {
    bool ok = false;
    std::string path;
    std::string target;
    int error = 0;
    std::string reason;
    explicit operator bool() const { return ok; }
};

// Replaces the file at `path` (or at the end of its links) with `bytes`.
//  - First choice: a new file written beside it, flushed to disk and renamed
//    over the old one, so that a crash, a full disk or a failed write leaves
//    the previous table intact. On Linux the new file has no name until it
//    is complete (O_TMPFILE); elsewhere, and on file systems without
//    unnamed files, it is named "<file name>.tmp.<process id>.<n>".
//  - Where no file can be made beside it (a folder the player cannot write
//    holding a file the player can), the file itself is rewritten in place
//    and flushed to disk, never padded or cut before the new bytes are in:
//    a kill at any point leaves the old table or the new one (a table fits
//    in one write), and a full disk leaves the old one. Other files get the
//    same order but less: a kill may cut a write of many pages, and a file
//    shorter than the old one has a NUL and the old tail after it until it
//    is cut to length (the table's reader stops at that NUL).
//  - A file the user has made read-only, or a directory in its place, is
//    left alone: the save fails.
// Leftover temporary files of killed saves beside the file are removed
// first (removeStaleTemporaryFiles).
HighScoreFileResult replaceHighScoreFile(const std::string& path, std::string_view bytes);

// Deletes the file at `path` (or at the end of its links; the links stay).
// A missing file is no failure. A directory in its place is left as it is
// (a failure, "Is a directory"). Where the folder forbids deleting but the
// file is writable, the file is emptied instead: an empty file is an empty
// table.
HighScoreFileResult deleteHighScoreFile(const std::string& path);

// Removes the temporary files that killed saves left beside the file at
// `path` (or at the end of its links): regular files in that folder named
// exactly "<file name>.tmp.<process id>.<n>" whose process is no longer
// running. Files of another name, and those of a process that is still
// running (another copy of the game saving right now), are left alone. A
// file with this process's own id is a leftover of an earlier process that
// had the same id, since this process runs no save meanwhile: call it from
// the thread that saves. Returns how many files were removed; best effort,
// nothing is reported.
std::size_t removeStaleTemporaryFiles(const std::string& path);

// Whole-entry bounds of the reading rules (see HighScoreFormat.cpp): the
// length of the longest start of `bytes` that holds only whole entries (a
// line end and all 8 score bytes present), and the bytes that end a name.
std::size_t wholeEntriesLength(std::string_view bytes);
bool endsHighScoreName(char c);
