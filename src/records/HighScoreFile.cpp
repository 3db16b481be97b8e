#include "records/HighScoreFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <system_error>

namespace {

// Closes the descriptor when it goes out of scope.
struct FileHandle {
    int fd = -1;
    ~FileHandle() {
        if (fd >= 0) ::close(fd);
    }
    int release() {
        const int f = fd;
        fd = -1;
        return f;
    }
    // 0, or the errno of a failed close (the last chance to hear of a
    // failed write on some file systems).
    int close() { return ::close(release()) == 0 ? 0 : errno; }
};

// ---- Reading ---------------------------------------------------------------

// Up to `count` bytes from `offset`; fewer only at the end of the file or on
// a read error, which counts as the end (a damaged file reads as far as it
// goes).
std::size_t readAt(int fd, char* out, std::size_t count, std::size_t offset) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

enum class NameEnd { Found, EndOfFile, TooFar };

// Looks for the byte that ends a name going on from `from`, no further than
// kMaxHighScoreScanBytes into the file.
NameEnd findNameEnd(int fd, std::size_t from, std::size_t& at) {
    char chunk[16 * 1024];
    for (std::size_t pos = from; pos < kMaxHighScoreScanBytes;) {
        const std::size_t want = std::min(sizeof chunk, kMaxHighScoreScanBytes - pos);
        const std::size_t got = readAt(fd, chunk, want, pos);
        const char* end = std::find_if(chunk, chunk + got, endsHighScoreName);
        if (end != chunk + got) {
            at = pos + static_cast<std::size_t>(end - chunk);
            return NameEnd::Found;
        }
        if (got < want) return NameEnd::EndOfFile;
        pos += got;
    }
    return NameEnd::TooFar;
}

// `bytes` are the first kMaxHighScoreFileBytes of a file that goes on. Keeps
// its whole entries; the one the limit cuts would be invented. The one
// exception is an entry whose name is longer than what is kept of a name:
// all of the name that counts has been read, so the rest of its line is
// skipped to reach the score, as for such a name anywhere else in the file.
std::string wholeEntriesBeforeLimit(int fd, std::string bytes) {
    const std::size_t whole = wholeEntriesLength(bytes);
    const std::string_view tail = std::string_view(bytes).substr(whole);
    std::size_t nameEnd = whole + static_cast<std::size_t>(std::find_if(tail.begin(), tail.end(), endsHighScoreName) - tail.begin());
    if (nameEnd - whole <= kMaxStoredNameBytes) {
        bytes.resize(whole);
        return bytes;
    }
    switch (nameEnd < bytes.size() ? NameEnd::Found : findNameEnd(fd, bytes.size(), nameEnd)) {
    case NameEnd::EndOfFile:
        return bytes;  // the file itself ends inside the name: its own fragment
    case NameEnd::TooFar:
        bytes.resize(whole);
        return bytes;
    case NameEnd::Found:
        break;
    }
    char rest[10];  // the line end (CR LF at most) and the 8 score bytes
    const std::size_t got = readAt(fd, rest, sizeof rest, nameEnd);
    bytes.resize(std::min(bytes.size(), nameEnd));  // the name as far as it was read
    bytes.append(rest, got);
    if (got == sizeof rest) bytes.resize(wholeEntriesLength(bytes));  // else the file ends here: all it holds
    return bytes;
}

// ---- Paths and links --------------------------------------------------------

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Chains longer than this are taken for a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;

// The file that `path` stands for: `path` itself, or the end of its chain
// of symbolic links. A missing file is fine (a save creates it); other
// failures, a loop among them, give their errno. Only the last part of each
// path is followed here: links among the folders are left to the kernel,
// which resolves them the same way at every use.
int followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode)) return 0;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), link, sizeof link);
        if (n < 0) return errno;
        if (n == 0) return ENOENT;
        if (static_cast<std::size_t>(n) == sizeof link) return ENAMETOOLONG;
        const std::string next(link, static_cast<std::size_t>(n));
        if (next.front() == '/') {
            target = next;
        } else {
            // Relative to the link's folder; ".." is left to the kernel,
            // since the folder may itself be reached through a link.
            const std::string folder = folderOf(target);
            target = (folder == "/" ? "" : folder) + "/" + next;
        }
    }
    return ELOOP;
}

// ---- Temporary files ----------------------------------------------------------

// A fresh name beside `target` for a temporary file: "<file>.tmp.<pid>.<n>".
// The process id tells a later run whether the save is still going on.
std::string tempNameBeside(const std::string& target) {
    static uint64_t counter = 0;
    return target + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

// The process id in a name "<base>.tmp.<pid>.<n>" (both numbers plain
// decimal digits), or 0 when `entry` is not such a name.
pid_t tempOwner(std::string_view entry, std::string_view base) {
    const std::string_view prefix = ".tmp.";
    if (entry.size() <= base.size() + prefix.size() || entry.substr(0, base.size()) != base ||
        entry.substr(base.size(), prefix.size()) != prefix)
        return 0;
    const std::string_view rest = entry.substr(base.size() + prefix.size());
    const auto dot = rest.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == rest.size()) return 0;
    const auto digits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(rest.substr(0, dot)) || !digits(rest.substr(dot + 1))) return 0;
    int pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dot, pid);
    if (ec != std::errc() || end != rest.data() + dot) return 0;  // no process has such an id
    return pid;
}

bool processRunning(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

std::size_t removeStaleTempsBeside(const std::string& target) {
    const std::string base = nameOf(target);
    if (base.empty()) return 0;  // a folder's path: no file of ours to match
    const int folderFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return 0;
    DIR* folder = ::fdopendir(folderFd);
    if (!folder) {
        ::close(folderFd);
        return 0;
    }
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t pid = tempOwner(entry->d_name, base);
        if (pid <= 0 || (pid != ::getpid() && processRunning(pid))) continue;
        struct stat st {};
        if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::unlinkat(folderFd, entry->d_name, 0) == 0) ++removed;
    }
    ::closedir(folder);  // closes folderFd too
    return removed;
}

// 0, or the errno of the write that failed.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// The new table in a temporary file: the bytes, the old file's permissions
// (so a save never widens or narrows who may read the scores), on disk.
int fillTemp(int fd, std::string_view bytes, const struct stat* old) {
    if (const int e = writeAll(fd, bytes)) return e;
    if (old) ::fchmod(fd, old->st_mode & 07777);  // a mode not copied is no reason to lose the score
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Makes the rename itself durable. Best effort: a folder that cannot be
// synced still holds the new file.
void syncFolder(const std::string& folder) {
    FileHandle dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
}

int renameOver(const std::string& tempPath, const std::string& target) {
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int e = errno;
        ::unlink(tempPath.c_str());
        return e;
    }
    syncFolder(folderOf(target));
    return 0;
}

// How a way of saving through a temporary file went. `made` false: no
// temporary file could be had this way (error: why), so another way may be
// tried. `made` true: the save went this way, and `error` 0 means the new
// table is in place; otherwise the old file is untouched.
struct Attempt {
    bool made = false;
    int error = 0;
};

#ifdef O_TMPFILE
// An unnamed file in the target's folder, named only once it is complete
// and on disk, then renamed over the target. A link cannot replace an
// existing name, hence the fresh name in between: a kill before the link
// leaves nothing at all, one between the link and the rename leaves a file
// of the usual temporary name, which the next save removes.
Attempt saveThroughUnnamedFile(const std::string& target, std::string_view bytes, const struct stat* old) {
    FileHandle temp{::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)};
    if (temp.fd < 0) return {false, errno};  // e.g. a file system without unnamed files
    if (const int e = fillTemp(temp.fd, bytes, old)) return {true, e};
    // Linking a descriptor by its /proc path needs no privilege (AT_EMPTY_PATH
    // would); without /proc the named way is tried.
    const std::string self = "/proc/self/fd/" + std::to_string(temp.fd);
    std::string name;
    for (int attempt = 0;; ++attempt) {
        name = tempNameBeside(target);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
        if (errno != EEXIST || attempt == 100) return {false, errno};
    }
    if (const int e = temp.close()) {
        ::unlink(name.c_str());
        return {true, e};
    }
    return {true, renameOver(name, target)};
}
#endif

// A named file beside the target, renamed over it. O_EXCL never reuses a
// leftover of an earlier run, whatever it is.
Attempt saveThroughNamedFile(const std::string& target, std::string_view bytes, const struct stat* old) {
    std::string name;
    FileHandle temp;
    for (int attempt = 0; temp.fd < 0; ++attempt) {
        name = tempNameBeside(target);
        temp.fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (temp.fd < 0 && ((errno != EEXIST && errno != EINTR) || attempt == 100)) return {false, errno};
    }
    int e = fillTemp(temp.fd, bytes, old);
    if (const int c = temp.close(); e == 0) e = c;
    if (e != 0) {
        ::unlink(name.c_str());
        return {true, e};
    }
    return {true, renameOver(name, target)};
}

// Writes all of `bytes` at `offset`: 0, or the errno of the write that
// failed. A table fits one page, and the kernel copies a page whole before
// it looks at a pending kill, so one call is all or nothing for it.
int writeAllAt(int fd, std::string_view bytes, std::size_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
        offset += static_cast<std::size_t>(n);
    }
    return 0;
}

// The file itself rewritten, used only where no temporary file can be made
// beside it. Nothing is ever padded or cut first, so the file holds the old
// table until the one write of the new bytes, and the new one after it:
//  - Room is reserved beyond the end without changing the file's length,
//    so a full disk (or quota) stops the save before the old table is
//    touched and no zero bytes ever show.
//  - When the old file is longer, the new bytes go out with a NUL after
//    them, in the same write: until the file is cut to length, the reader
//    stops at that NUL (no entry starts with one) and sees only the new
//    table, never a tail of the old one.
//  - Should the write still fail part-way, the old bytes are put back.
constexpr std::size_t kMaxRestoredBytes = 64 * 1024 * 1024;

int rewriteInPlace(const std::string& target, std::string_view bytes) {
    // O_NONBLOCK: a FIFO put in the file's place must not stop the game.
    // Read as well, to keep the old bytes; a file that may only be written
    // is still rewritten.
    constexpr int kFlags = O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
    FileHandle file{::open(target.c_str(), O_RDWR | kFlags)};
    if (file.fd < 0 && errno == EACCES) file.fd = ::open(target.c_str(), O_WRONLY | kFlags);
    if (file.fd < 0) return errno;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EINVAL;
    const auto oldSize = static_cast<std::size_t>(st.st_size);
    if (bytes.size() > oldSize && ::fallocate(file.fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;

    // The old bytes, to put back after a failed write; a file far larger
    // than any table or replay was not written by the game and is not kept.
    std::string old;
    if (oldSize <= kMaxRestoredBytes) {
        old.resize(oldSize);
        old.resize(readAt(file.fd, old.data(), old.size(), 0));
    }
    std::string out(bytes);
    if (out.size() < oldSize) out += '\0';
    if (const int e = writeAllAt(file.fd, out, 0)) {
        if (old.size() == oldSize) {
            writeAllAt(file.fd, old, 0);
            ::ftruncate(file.fd, static_cast<off_t>(oldSize));
        }
        return e;
    }
    if (out.size() > bytes.size()) {
        // The new table on disk before the cut, so that a crash between the
        // two finds it there.
        if (::fdatasync(file.fd) != 0) return errno;
        if (::ftruncate(file.fd, static_cast<off_t>(bytes.size())) != 0) return errno;
    }
    if (::fsync(file.fd) != 0) return errno;
    return file.close();
}

HighScoreFileResult finish(HighScoreFileResult result, int error) {
    result.ok = error == 0;
    result.error = error;
    if (error != 0) result.reason = std::generic_category().message(error);
    return result;
}

bool mayWrite(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

// Why no new file could be made in `folder`, in the player's words: the
// system's "Permission denied" or "No such file or directory" would point
// at the file, which is not what stands in the way.
std::string folderReason(const std::string& folder, int error) {
    if (error == EACCES || error == EPERM) return "the folder " + folder + " may not be written";
    if (error != ENOENT) return std::generic_category().message(error);
    // The folder is missing; when the folder that should hold it may not be
    // written, that is why it could not be made.
    std::string above = folder;
    struct stat st {};
    do {
        above = folderOf(above);
    } while (above != "/" && above != "." && ::stat(above.c_str(), &st) != 0);
    if (!mayWrite(above) && (errno == EACCES || errno == EPERM || errno == EROFS))
        return "the folder " + folder + " is missing and " + above + " may not be written";
    return "the folder " + folder + " is missing";
}

}  // namespace

std::string readHighScoreFile(const std::string& path) {
    if (path.empty()) return {};
    // O_NONBLOCK: opening a FIFO put in the file's place must not wait for
    // a writer. Only a regular file is read.
    FileHandle file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) return {};
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};

    // One byte more than the limit tells a file that goes on from one that
    // ends right there.
    std::string bytes(kMaxHighScoreFileBytes + 1, '\0');
    bytes.resize(readAt(file.fd, bytes.data(), bytes.size(), 0));
    if (bytes.size() <= kMaxHighScoreFileBytes) return bytes;  // all of it, a damaged tail included
    bytes.resize(kMaxHighScoreFileBytes);
    return wholeEntriesBeforeLimit(file.fd, std::move(bytes));
}

HighScoreFileResult replaceHighScoreFile(const std::string& path, std::string_view bytes) {
    HighScoreFileResult result;
    result.path = result.target = path;
    if (path.empty()) return finish(std::move(result), ENOENT);
    if (const int e = followLinks(path, result.target)) return finish(std::move(result), e);
    const std::string& target = result.target;
    removeStaleTempsBeside(target);

    struct stat old {};
    const bool haveOld = ::stat(target.c_str(), &old) == 0;
    if (!haveOld && errno != ENOENT) return finish(std::move(result), errno);
    if (haveOld) {
        if (S_ISDIR(old.st_mode)) return finish(std::move(result), EISDIR);
        // Writing in place would fail on a write-protected file; so does
        // replacing it.
        if (!mayWrite(target)) return finish(std::move(result), errno);
    }
    const bool regularOld = haveOld && S_ISREG(old.st_mode);
    const struct stat* keep = regularOld ? &old : nullptr;

    Attempt attempt;
#ifdef O_TMPFILE
    attempt = saveThroughUnnamedFile(target, bytes, keep);
#endif
    if (!attempt.made) attempt = saveThroughNamedFile(target, bytes, keep);
    if (attempt.made) return finish(std::move(result), attempt.error);
    if (regularOld) return finish(std::move(result), rewriteInPlace(target, bytes));
    result = finish(std::move(result), attempt.error);  // no file can be made where the new one would go
    result.reason = folderReason(folderOf(target), attempt.error);
    return result;
}

HighScoreFileResult deleteHighScoreFile(const std::string& path) {
    HighScoreFileResult result;
    result.path = result.target = path;
    if (path.empty()) return finish(std::move(result), ENOENT);
    if (const int e = followLinks(path, result.target)) return finish(std::move(result), e);
    const std::string& target = result.target;
    // Never rmdir: a directory in its place stays.
    if (::unlink(target.c_str()) == 0 || errno == ENOENT) return finish(std::move(result), 0);
    const int e = errno;
    if (e != EACCES && e != EPERM) return finish(std::move(result), e);
    // A folder that forbids deleting may hold a file that can be emptied.
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !mayWrite(target))
        return finish(std::move(result), e);
    const int emptied = rewriteInPlace(target, {});
    return finish(std::move(result), emptied);
}

std::size_t removeStaleTemporaryFiles(const std::string& path) {
    if (path.empty()) return 0;
    std::string target;
    if (followLinks(path, target) != 0) return 0;
    return removeStaleTempsBeside(target);
}
