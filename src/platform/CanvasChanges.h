#pragma once
// Which parts of the canvas differ from the last picture shown, so that
// only those are scaled and sent to the screen.
//
// The canvas is cut into tiles of 64 x 16 pixels. Instead of a copy of the
// last picture, each tile keeps a 256-bit signature of its pixels: finding
// the changes then reads the canvas once and writes nothing, where
// comparing against a copy read it, read the copy and wrote the copy anew
// (three times the memory traffic, on every frame of a full-screen flash).
//
// The signature is four chains of 64-bit words, each word mixed into its
// chain by a bijection (xor, odd multiply, xor-shift). A tile in which any
// one chain differs by a single word therefore always shows as changed;
// only two or more differing words in the same chain could cancel, with a
// chance of about one in 2^64.
#include <cstdint>
#include <vector>

class CanvasChanges {
public:
    static constexpr int kTileWidth = 64, kTileHeight = 16;

    // A rectangle of canvas pixels, x0 <= x < x1, y0 <= y < y1.
    struct Rect {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool operator==(const Rect& o) const { return x0 == o.x0 && y0 == o.y0 && x1 == o.x1 && y1 == o.y1; }
    };

    // The parts of the canvas (`stride` pixels a row) that changed since
    // the last call, as runs of changed tiles in each row of tiles, top to
    // bottom, left to right; the whole canvas on the first call, after a
    // change of size and after forget(). The canvas is then remembered.
    const std::vector<Rect>& update(const uint32_t* pixels, int width, int height, int stride);
    // The next update reports the whole canvas.
    void forget() { width_ = height_ = 0; }

private:
    struct Signature {
        uint64_t chain[4];
    };
    std::vector<Signature> tiles_;  // row of tiles by row of tiles
    int width_ = 0, height_ = 0;
    std::vector<Signature> row_;  // the row of tiles being signed
    std::vector<Rect> changed_;
};
