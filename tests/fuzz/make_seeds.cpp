// Writes the seed corpora of the fuzzers: valid and damaged Hall of Fame
// files, sound files of every accepted form and of many broken ones, and
// replays.
//   make_seeds <highscore-folder> <wav-folder> <replay-folder>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "records/Replay.h"

namespace {
using Bytes = std::vector<uint8_t>;

void put(const std::filesystem::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
void le(Bytes& b, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void text(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

Bytes entry(const std::string& name, int64_t score, const std::string& end = "\n") {
    Bytes b;
    text(b, name);
    text(b, end);
    le(b, uint64_t(score), 8);
    return b;
}

Bytes wav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames, bool junkFirst = false) {
    const uint32_t align = channels * (bits / 8);
    Bytes data;
    for (uint32_t f = 0; f < frames * align; ++f) data.push_back(uint8_t(f * 37));
    Bytes fmt;
    le(fmt, tag, 2);
    le(fmt, channels, 2);
    le(fmt, rate, 4);
    le(fmt, uint64_t(rate) * align, 4);
    le(fmt, align, 2);
    le(fmt, bits, 2);
    Bytes body;
    text(body, "WAVE");
    if (junkFirst) {
        text(body, "LIST");
        le(body, 4, 4);
        text(body, "abcd");
    }
    text(body, "fmt ");
    le(body, fmt.size(), 4);
    body.insert(body.end(), fmt.begin(), fmt.end());
    text(body, "data");
    le(body, data.size(), 4);
    body.insert(body.end(), data.begin(), data.end());
    Bytes file;
    text(file, "RIFF");
    le(file, body.size(), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}
}  // namespace

// A replay of a short game with every kind of frame, as the fuzzer takes it:
// without the checksum at its end (the fuzz target adds the right one, so
// that its changes reach the frames).
Bytes replaySeed(bool busy) {
    // A game started in the flash of the last one: a start with every
    // carried field in use.
    GameState start;
    setInitialValues(start);
    start.difficulty = 2;
    start.speedFactor = 1.8f;
    start.mouseX = 640;
    start.mouseY = 400;
    start.shakeTimer = start.gameOverTimer = 100;
    start.staticTimer = 10;
    start.lastBonus = start.bonus = 600;
    start.titlePhase = 12.5f;
    start.launchDistance = 94;
    ReplayWriter w;
    w.start(start, {11, 22, 33, 44}, 1765000000, "1.01");
    auto canvas = [](CanvasEventType type, int64_t x, int64_t y, int64_t key = 0) {
        WindowEvent e;
        e.code = EventCanvas;
        e.canvasType = type;
        e.x = x;
        e.y = y;
        e.key = key;
        return e;
    };
    w.frame(canvas(CanvasKeyDown, 640, 400, ' '));
    for (int i = 0; i < (busy ? 300 : 3); ++i) {
        w.frame(canvas(CanvasMoved, 600 + i % 50, 380 - i % 30));
        w.frame(WindowEvent{});
        if (i % 7 == 0) w.frame(canvas(CanvasLeftDown, 600 + i % 50, 380 - i % 30));
    }
    WindowEvent about;
    about.code = EventMenu;
    about.menuId = MenuAboutBox;
    w.frame(about);
    w.answer({ReplayAnswer::AboutButton, {}, false, AlertSecond});
    w.frame(WindowEvent{});
    w.answer({ReplayAnswer::Text, "Zoë", false, AlertFirst});
    w.answer({ReplayAnswer::YesNo, {}, true, AlertFirst});
    for (int i = 0; i < 500; ++i) w.frame(WindowEvent{});
    WindowEvent close;
    close.code = EventClose;
    w.frame(close);
    const std::string bytes = w.finish({0, 1234, 2, 0x1122334455667788ull}, busy ? "Zoë" : "");
    return Bytes(bytes.begin(), bytes.end() - 4);
}

// A replay that an earlier version (format 1) wrote, as the tests keep it.
Bytes version1Seed() {
    std::ifstream in(ZARVEX_SOURCE_DIR "/tests/replay/data/version1-game.zvxr", std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() >= 4) bytes.resize(bytes.size() - 4);
    return bytes;
}

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::filesystem::path hs = argv[1], wv = argv[2], rp = argv[3];
    std::filesystem::create_directories(hs);
    std::filesystem::create_directories(wv);
    std::filesystem::create_directories(rp);
    put(rp / "short.zvxr", replaySeed(false));
    put(rp / "busy.zvxr", replaySeed(true));
    put(rp / "version1.zvxr", version1Seed());

    Bytes two = entry("ACE", 700);
    Bytes bob = entry("BOB", 90);
    two.insert(two.end(), bob.begin(), bob.end());
    put(hs / "two.dat", two);
    Bytes ten;
    for (int i = 0; i < 10; ++i) {
        Bytes e = entry("Player " + std::to_string(i), 10000 - i * 500);
        ten.insert(ten.end(), e.begin(), e.end());
    }
    put(hs / "ten.dat", ten);
    put(hs / "crlf.dat", entry("Zoë Ünal", 123456, "\r\n"));
    put(hs / "cr.dat", entry("CR", 5, "\r"));
    put(hs / "nul.dat", entry("NUL", -1, std::string(1, '\0')));
    put(hs / "short.dat", Bytes(two.begin(), two.begin() + 7));
    put(hs / "badutf8.dat", entry("\xff\xfe\xc3(", 42));
    put(hs / "empty.dat", {});
    // A CR at the end, which may yet be the first half of a CR LF; a name
    // longer than the part of it that is kept, between two entries.
    Bytes cr = entry("ACE", 700);
    text(cr, "CUT\r");
    put(hs / "cr_at_end.dat", cr);
    Bytes longName = entry("A", 1);
    Bytes named = entry(std::string(5000, 'n'), 77);
    longName.insert(longName.end(), named.begin(), named.end());
    longName.insert(longName.end(), bob.begin(), bob.end());
    put(hs / "long_name.dat", longName);

    put(wv / "pcm8.wav", wav(1, 1, 8000, 8, 16));
    put(wv / "pcm16.wav", wav(1, 2, 44100, 16, 16));
    put(wv / "pcm24.wav", wav(1, 1, 48000, 24, 16));
    put(wv / "pcm32.wav", wav(1, 2, 48000, 32, 8));
    put(wv / "float32.wav", wav(3, 1, 44100, 32, 8));
    put(wv / "adpcm.wav", wav(2, 1, 8000, 4, 8));
    put(wv / "fmt_not_first.wav", wav(1, 1, 8000, 16, 8, true));
    Bytes cut = wav(1, 1, 8000, 16, 64);
    cut.resize(cut.size() - 40);
    put(wv / "truncated.wav", cut);
    put(wv / "empty.wav", {});
    return 0;
}
