#include "records/Replay.h"

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "records/NameText.h"
#include "ui/Menus.h"

namespace {

constexpr char kMagic[8] = {'Z', 'A', 'R', 'V', 'E', 'X', 'R', 'P'};

// The tokens of the frames' stream.
enum Token : uint8_t {
    QuietFrames = 0x00,  // a count of frames without event or answer
    QuietFrame = 0x0c,   // one such frame (between moves, the most common)
    Moved = 0x01,        // canvas events by type, then the pointer's move
    LeftDown = 0x02,
    KeyDown = 0x03,      // ... and the key
    LeftUp = 0x04,
    OtherCanvas = 0x05,
    RawCanvas = 0x06,    // any other canvas type: type, move, key
    Menu = 0x07,         // the menu id
    Close = 0x08,
    Minimise = 0x09,
    OtherEvent = 0x0a,   // any other code
    NoEvent = 0x0b,      // a frame without event whose dialogs were answered
    TextAnswer = 0x10,   // length, bytes
    YesNoAnswer = 0x11,  // 0 or 1
    ButtonAnswer = 0x12, // the button
    End = 0x7f,
};

constexpr std::size_t kMaxAnswerBytes = 4096;

// ---- writing ----

void putVarint(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out += char(uint8_t(v) | 0x80);
        v >>= 7;
    }
    out += char(uint8_t(v));
}
uint64_t zigzag(int64_t v) { return (uint64_t(v) << 1) ^ uint64_t(v >> 63); }
void putSigned(std::string& out, int64_t v) { putVarint(out, zigzag(v)); }
// Fixed-width numbers, low byte first whatever the machine's own order.
void putLittle(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char(uint8_t(v >> (8 * i)));
}
void putU16(std::string& out, uint16_t v) { putLittle(out, v, 2); }
void putU32(std::string& out, uint32_t v) { putLittle(out, v, 4); }
void putU64(std::string& out, uint64_t v) { putLittle(out, v, 8); }
void putF32(std::string& out, float v) { putU32(out, std::bit_cast<uint32_t>(v)); }

// CRC-32 (the polynomial of zip and PNG), one byte at a time from the
// running register: crc32 of some bytes is the register after them, inverted.
uint32_t crc32Step(uint32_t c, char ch) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i;
            for (int k = 0; k < 8; ++k) r = (r & 1) ? 0xedb88320u ^ (r >> 1) : r >> 1;
            t[i] = r;
        }
        return t;
    }();
    return table[(c ^ uint8_t(ch)) & 0xff] ^ (c >> 8);
}

uint32_t crc32(std::string_view bytes) {
    uint32_t c = 0xffffffffu;
    for (char ch : bytes) c = crc32Step(c, ch);
    return c ^ 0xffffffffu;
}

uint32_t littleU32At(std::string_view bytes, std::size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return v;
}

// How much of `bytes` is the replay: the whole file when its checksum
// holds. Where the game had to rewrite a longer file in place and was
// stopped before cutting it to length, the file is the new replay, the NUL
// written right after it, and the old file's tail: then the replay ends
// where a checksum that holds is followed by that NUL. 0: neither.
std::size_t checkedLength(std::string_view bytes) {
    if (bytes.size() < 4) return 0;
    if (crc32(bytes.substr(0, bytes.size() - 4)) == littleU32At(bytes, bytes.size() - 4)) return bytes.size();
    uint32_t c = 0xffffffffu;
    for (std::size_t i = 0; i + 4 < bytes.size(); ++i) {
        if (bytes[i + 4] == '\0' && (c ^ 0xffffffffu) == littleU32At(bytes, i)) return i + 4;
        c = crc32Step(c, bytes[i]);
    }
    return 0;
}

// The start of a version 2 file, in the file's order: the whole numbers as
// signed varints (so that any value, possible or not, reads back as it was
// and the checks can name it), the reals as 4-byte floats.
template <class Start, class Whole, class Real>
void startFields(Start& s, Whole&& whole, Real&& real) {
    whole(s.difficulty), whole(s.paused), whole(s.intelShown), whole(s.throbberMoved);
    whole(s.shakeTimer), whole(s.staticTimer), whole(s.gameOverTimer);
    whole(s.mouseX), whole(s.mouseY), whole(s.lastBonus);
    real(s.titlePhase), real(s.alarmPhase), real(s.launchDistance);
}

// Version 1 stored every number of the state before the new game, at the
// width of its field, in this order. The fields a new game sets itself are
// read and dropped.
template <class State, class F>
void version1StartFields(State& s, F&& f) {
    f(s.level), f(s.score), f(s.paused), f(s.gameOver), f(s.spawned), f(s.waveSize), f(s.intermission);
    f(s.inGame), f(s.difficulty), f(s.speedFactor), f(s.shakeTimer), f(s.nextRepairScore), f(s.alarmPhase);
    f(s.titlePhase), f(s.countdown), f(s.lastBonus), f(s.bonus), f(s.staticTimer), f(s.gameOverTimer);
    f(s.intelShown), f(s.event), f(s.mouseX), f(s.mouseY), f(s.launchSite), f(s.launchDistance);
    f(s.groundColour), f(s.cityColour), f(s.throbberMoved);
}

// The factor the game plays a difficulty at (a difficulty it has not, at
// Normal's: the checks refuse those).
float speedFactorOf(int64_t difficulty) {
    const MenuId item = difficulty == 0 ? MenuEasy : difficulty == 2 ? MenuHard : MenuNormal;
    return difficultyFor(item).speedFactor;
}

// ---- reading ----

struct Reader {
    std::string_view bytes;
    std::size_t pos = 0;

    bool varint(uint64_t& v) {
        v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (pos >= bytes.size()) return false;
            const uint8_t b = uint8_t(bytes[pos++]);
            if (shift == 63 && b > 1) return false;  // more than 64 bits
            v |= uint64_t(b & 0x7f) << shift;
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    bool signedVarint(int64_t& v) {
        uint64_t u = 0;
        if (!varint(u)) return false;
        v = int64_t(u >> 1) ^ -int64_t(u & 1);
        return true;
    }
    bool little(uint64_t& v, int n) {
        if (bytes.size() - pos < std::size_t(n)) return false;
        v = 0;
        for (int i = 0; i < n; ++i) v |= uint64_t(uint8_t(bytes[pos + std::size_t(i)])) << (8 * i);
        pos += std::size_t(n);
        return true;
    }
    // A fixed-width field of the type given, low byte first.
    template <class T>
    bool fixed(T& v) {
        uint64_t u = 0;
        if (!little(u, int(sizeof(T)))) return false;
        if constexpr (std::is_same_v<T, float>)
            v = std::bit_cast<float>(uint32_t(u));
        else
            v = T(u);
        return true;
    }
    bool byte(uint8_t& v) { return fixed(v); }
};

CanvasEventType canvasTypeOf(uint8_t token) {
    switch (token) {
        case Moved: return CanvasMoved;
        case LeftDown: return CanvasLeftDown;
        case KeyDown: return CanvasKeyDown;
        case LeftUp: return CanvasLeftUp;
        default: return CanvasOther;
    }
}

// One frame from the stream at r, or an error text. `quiet` counts the
// frames of a pending run of quiet frames; x and y are the last pointer.
const char* readFrame(Reader& r, int64_t& quiet, int64_t& x, int64_t& y, ReplayFrame& frame, bool& ended) {
    frame = ReplayFrame{};
    ended = false;
    if (quiet > 0) {
        --quiet;
        return nullptr;
    }
    uint8_t token = 0;
    if (!r.byte(token)) return "it ends early";
    if (token == End) {
        ended = true;
        return nullptr;
    }
    if (token == QuietFrame) return nullptr;
    if (token == QuietFrames) {
        uint64_t n = 0;
        if (!r.varint(n) || n == 0 || n > uint64_t(kMaxReplayFrames)) return "a run of frames is out of bounds";
        quiet = int64_t(n) - 1;
        return nullptr;
    }
    WindowEvent& e = frame.event;
    switch (token) {
        case Moved:
        case LeftDown:
        case KeyDown:
        case LeftUp:
        case OtherCanvas:
        case RawCanvas: {
            e.code = EventCanvas;
            e.canvasType = canvasTypeOf(token);
            if (token == RawCanvas) {
                int64_t type = 0;
                if (!r.signedVarint(type)) return "an event is cut short";
                e.canvasType = CanvasEventType(type);
            }
            int64_t dx = 0, dy = 0;
            if (!r.signedVarint(dx) || !r.signedVarint(dy)) return "an event is cut short";
            // Moves add up modulo 2^64, as they were taken apart.
            x = int64_t(uint64_t(x) + uint64_t(dx));
            y = int64_t(uint64_t(y) + uint64_t(dy));
            e.x = x;
            e.y = y;
            if (token == KeyDown || token == RawCanvas) {
                if (!r.signedVarint(e.key)) return "an event is cut short";
            }
            break;
        }
        case Menu: {
            int64_t id = 0;
            if (!r.signedVarint(id)) return "an event is cut short";
            e.code = EventMenu;
            e.menuId = MenuId(id);
            break;
        }
        case Close: e.code = EventClose; break;
        case Minimise: e.code = EventMinimise; break;
        case OtherEvent: {
            int64_t code = 0;
            if (!r.signedVarint(code)) return "an event is cut short";
            e.code = WindowEventCode(code);
            break;
        }
        case NoEvent: break;
        default: return "it holds something that is no event";
    }
    // The answers given within the frame follow it.
    while (r.pos < r.bytes.size()) {
        const uint8_t next = uint8_t(r.bytes[r.pos]);
        if (next != TextAnswer && next != YesNoAnswer && next != ButtonAnswer) break;
        ++r.pos;
        ReplayAnswer a;
        if (next == TextAnswer) {
            uint64_t n = 0;
            if (!r.varint(n) || n > kMaxAnswerBytes || r.bytes.size() - r.pos < n) return "an answer is cut short";
            a.kind = ReplayAnswer::Text;
            a.text.assign(r.bytes.data() + r.pos, std::size_t(n));
            r.pos += std::size_t(n);
        } else {
            uint8_t v = 0;
            if (!r.byte(v) || v > 2) return "an answer is out of bounds";
            if (next == YesNoAnswer) {
                a.kind = ReplayAnswer::YesNo;
                a.yes = v == 1;
            } else {
                a.kind = ReplayAnswer::AboutButton;
                a.button = v == 2 ? AlertSecond : AlertFirst;
            }
        }
        frame.answers.push_back(std::move(a));
    }
    if (token == NoEvent && frame.answers.empty()) return "a frame holds nothing";
    return nullptr;
}

}  // namespace

ReplayEnd replayEndOf(const GameState& state, int64_t frames) {
    ReplayEnd end;
    end.frames = frames;
    end.score = state.score;
    end.level = state.level;
    end.fingerprint = fingerprint(state);
    return end;
}

// ---- the start ----

ReplayStart replayStartOf(const GameState& s) {
    ReplayStart start;
    start.difficulty = s.difficulty;
    start.paused = s.paused;
    start.intelShown = s.intelShown;
    start.throbberMoved = s.throbberMoved;
    start.shakeTimer = s.shakeTimer;
    start.staticTimer = s.staticTimer;
    start.gameOverTimer = s.gameOverTimer;
    start.mouseX = s.mouseX;
    start.mouseY = s.mouseY;
    start.lastBonus = s.lastBonus;
    start.titlePhase = s.titlePhase;
    start.alarmPhase = s.alarmPhase;
    start.launchDistance = s.launchDistance;
    start.speedFactor = s.speedFactor;
    start.bonus = s.bonus;
    return start;
}

GameState stateBeforeStart(const ReplayStart& start) {
    GameState s;
    setInitialValues(s);
    s.difficulty = start.difficulty;
    s.speedFactor = start.speedFactor;
    s.paused = start.paused;
    s.intelShown = start.intelShown;
    s.throbberMoved = uint8_t(start.throbberMoved);
    s.shakeTimer = start.shakeTimer;
    s.staticTimer = start.staticTimer;
    s.gameOverTimer = start.gameOverTimer;
    s.mouseX = start.mouseX;
    s.mouseY = start.mouseY;
    s.lastBonus = start.lastBonus;
    s.bonus = start.bonus;
    s.titlePhase = start.titlePhase;
    s.alarmPhase = start.alarmPhase;
    s.launchDistance = start.launchDistance;
    return s;
}

// ---- ReplayWriter ----

void ReplayWriter::start(const GameState& state, const RandomState& random, int64_t recordedAt,
                         const std::string& gameVersion) {
    start(replayStartOf(state), random, recordedAt, gameVersion);
}

void ReplayWriter::start(const ReplayStart& from, const RandomState& random, int64_t recordedAt,
                         const std::string& gameVersion) {
    bytes_.clear();
    bytes_.append(kMagic, sizeof kMagic);
    putU16(bytes_, kReplayFormatVersion);
    const std::string version = gameVersion.substr(0, 255);
    bytes_ += char(uint8_t(version.size()));
    bytes_ += version;
    putU64(bytes_, uint64_t(recordedAt));
    for (uint64_t w : random) putU64(bytes_, w);
    ReplayStart s = from;
    startFields(
        s, [this](int64_t v) { putSigned(bytes_, v); }, [this](float v) { putF32(bytes_, v); });
    frames_ = 0;
    quiet_ = 0;
    lastX_ = s.mouseX;
    lastY_ = s.mouseY;
    started_ = true;
}

void ReplayWriter::flushQuietFrames() {
    if (quiet_ == 1) {
        bytes_ += char(QuietFrame);
    } else if (quiet_ > 1) {
        bytes_ += char(QuietFrames);
        putVarint(bytes_, uint64_t(quiet_));
    }
    quiet_ = 0;
}

void ReplayWriter::frame(const WindowEvent& e) {
    ++frames_;
    if (e.code == EventNone) {
        ++quiet_;  // written as a count, or as NoEvent if an answer follows
        return;
    }
    flushQuietFrames();
    switch (e.code) {
        case EventCanvas: {
            uint8_t token = RawCanvas;
            switch (e.canvasType) {
                case CanvasMoved: token = Moved; break;
                case CanvasLeftDown: token = LeftDown; break;
                case CanvasKeyDown: token = KeyDown; break;
                case CanvasLeftUp: token = LeftUp; break;
                case CanvasOther: token = OtherCanvas; break;
                default: break;
            }
            bytes_ += char(token);
            if (token == RawCanvas) putSigned(bytes_, e.canvasType);
            putSigned(bytes_, int64_t(uint64_t(e.x) - uint64_t(lastX_)));
            putSigned(bytes_, int64_t(uint64_t(e.y) - uint64_t(lastY_)));
            lastX_ = e.x;
            lastY_ = e.y;
            if (token == KeyDown || token == RawCanvas) putSigned(bytes_, e.key);
            break;
        }
        case EventMenu:
            bytes_ += char(Menu);
            putSigned(bytes_, e.menuId);
            break;
        case EventClose: bytes_ += char(Close); break;
        case EventMinimise: bytes_ += char(Minimise); break;
        default:
            bytes_ += char(OtherEvent);
            putSigned(bytes_, e.code);
            break;
    }
}

void ReplayWriter::answer(const ReplayAnswer& a) {
    // The first frame is the one the game started in; its dialogs, if any,
    // came before the start and belong to the game before.
    if (frames_ == 0) return;
    if (quiet_ > 0) {
        // The current frame took no event: it is written out on its own.
        --quiet_;
        flushQuietFrames();
        bytes_ += char(NoEvent);
    }
    switch (a.kind) {
        case ReplayAnswer::Text: {
            const std::string text = a.text.substr(0, kMaxAnswerBytes);
            bytes_ += char(TextAnswer);
            putVarint(bytes_, text.size());
            bytes_ += text;
            break;
        }
        case ReplayAnswer::YesNo:
            bytes_ += char(YesNoAnswer);
            bytes_ += char(a.yes ? 1 : 0);
            break;
        case ReplayAnswer::AboutButton:
            bytes_ += char(ButtonAnswer);
            bytes_ += char(a.button == AlertSecond ? 2 : 1);
            break;
    }
}

std::string ReplayWriter::finish(ReplayEnd end, std::string_view name) {
    flushQuietFrames();
    bytes_ += char(End);
    end.frames = frames_;
    putVarint(bytes_, uint64_t(end.frames));
    putSigned(bytes_, end.score);
    putSigned(bytes_, end.level);
    putU64(bytes_, end.fingerprint);
    finished_ = std::move(bytes_);
    bytes_.clear();
    started_ = false;
    return named(name);
}

std::string ReplayWriter::named(std::string_view name) const {
    // As the Hall of Fame keeps it: at most 32 characters, which is never
    // more than kMaxReplayNameBytes.
    const std::string kept = cleanEnteredName(name);
    std::string bytes = finished_;
    bytes += char(uint8_t(kept.size()));
    bytes += kept;
    putU32(bytes, crc32(bytes));
    return bytes;
}

// ---- reading a replay ----

uint32_t replayChecksum(std::string_view bytes) { return crc32(bytes); }

namespace {

// The start as version 1 stored it: the whole state before the new game.
bool readVersion1Start(Reader& r, ReplayStart& start) {
    GameState s;
    setInitialValues(s);
    bool ok = true;
    version1StartFields(s, [&](auto& field) { ok = ok && r.fixed(field); });
    start = replayStartOf(s);
    return ok;
}

bool readStart(Reader& r, ReplayStart& start) {
    bool ok = true;
    startFields(
        start, [&](int64_t& v) { ok = ok && r.signedVarint(v); }, [&](float& v) { ok = ok && r.fixed(v); });
    // What version 2 leaves out, it derives.
    start.speedFactor = speedFactorOf(start.difficulty);
    start.bonus = start.lastBonus;
    return ok;
}

}  // namespace

std::variant<Replay, ReplayError> parseReplay(std::string_view bytes) {
    if (bytes.empty()) return ReplayError{"the file is empty"};
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return ReplayError{"it is not a ZARVEX replay"};
    Replay replay;
    Reader r{bytes, sizeof kMagic};
    if (!r.fixed(replay.formatVersion)) return ReplayError{"the file is cut short"};
    if (replay.formatVersion > kReplayFormatVersion)
        return ReplayError{"it was recorded by a newer version of ZARVEX (replay format " +
                           std::to_string(replay.formatVersion) + ")"};
    if (replay.formatVersion == 0) return ReplayError{"it is not a ZARVEX replay"};
    // The checksum first: a damaged file is told as such, whatever broke.
    if (bytes.size() < sizeof kMagic + 4) return ReplayError{"the file is cut short"};
    const std::size_t length = checkedLength(bytes);
    if (length < sizeof kMagic + 4) return ReplayError{"the file is damaged"};
    const std::string_view content = bytes.substr(0, length - 4);
    r.bytes = content;

    uint8_t versionLength = 0;
    if (!r.byte(versionLength) || r.bytes.size() - r.pos < versionLength) return ReplayError{"the file is damaged"};
    replay.gameVersion.assign(content.data() + r.pos, versionLength);
    r.pos += versionLength;
    bool ok = r.fixed(replay.recordedAt);
    for (uint64_t& w : replay.random) ok = ok && r.fixed(w);
    ok = ok && (replay.formatVersion == 1 ? readVersion1Start(r, replay.start) : readStart(r, replay.start));
    if (!ok) return ReplayError{"the file is damaged"};
    // The random source cannot stand at zero: no generator does.
    if (replay.random == RandomState{}) return ReplayError{"the file is damaged"};

    // Every frame is read once now, so that playing it can never fail.
    const std::size_t bodyStart = r.pos;
    int64_t quiet = 0, x = replay.start.mouseX, y = replay.start.mouseY, frames = 0;
    ReplayFrame frame;
    for (;;) {
        bool ended = false;
        if (const char* error = readFrame(r, quiet, x, y, frame, ended)) return ReplayError{std::string("the file is damaged: ") + error};
        if (ended) break;
        if (++frames > kMaxReplayFrames) return ReplayError{"the file is damaged: it is longer than any game"};
    }
    replay.body.assign(content.data() + bodyStart, r.pos - bodyStart);
    uint64_t endFrames = 0;
    if (!r.varint(endFrames) || !r.signedVarint(replay.end.score) || !r.signedVarint(replay.end.level) ||
        !r.fixed(replay.end.fingerprint))
        return ReplayError{"the file is damaged"};
    if (replay.formatVersion >= 2) {
        uint8_t nameLength = 0;
        if (!r.byte(nameLength) || nameLength > kMaxReplayNameBytes || r.bytes.size() - r.pos < nameLength)
            return ReplayError{"the file is damaged"};
        replay.name.assign(content.data() + r.pos, nameLength);
        r.pos += nameLength;
        if (cleanEnteredName(replay.name) != replay.name)
            return ReplayError{"the file is damaged: it holds a name the Hall of Fame would not keep"};
    }
    if (r.pos != content.size()) return ReplayError{"the file is damaged"};
    if (int64_t(endFrames) != frames) return ReplayError{"the file is damaged: its frames do not add up"};
    replay.end.frames = frames;
    return replay;
}

ReplayFrames::ReplayFrames(const Replay& replay)
    : body_(replay.body), lastX_(replay.start.mouseX), lastY_(replay.start.mouseY) {}

bool ReplayFrames::next(ReplayFrame& frame) {
    Reader r{body_, pos_};
    bool ended = false;
    // The body was read whole when the replay was parsed: no errors here.
    if (readFrame(r, quiet_, lastX_, lastY_, frame, ended) != nullptr || ended) return false;
    pos_ = r.pos;
    ++played_;
    return true;
}
