#pragma once
// Pictures handed straight to an X11 window through shared memory, a band
// of rows at a time, from a few small buffers used in turn.
//
// Why not Qt's backing store: that is one shared picture as big as the
// window, so a 4K frame that changes everywhere is written to memory whole
// by us and then read and copied whole by the X server, one after the
// other. Bands of about a megabyte let the server copy one band while we
// scale the next, and the buffers, used again and again, stay in the
// processor's cache instead of going out to memory and back: on a 2-core
// machine without a GPU that takes a third off a full 4K frame.
//
// The requests are written to the server's socket by a thread of our own
// that does nothing else. Writing to a local socket tells the kernel that
// the writer is about to sleep, so it runs the woken X server on the
// writer's processor: written from the thread that goes on scaling, the
// server waits for that thread on a busy processor while the other one
// idles, and the two never overlap.
//
// Only on X11 with its shared-memory extension, a 24- or 32-bit window,
// and no compositing manager: a compositor shows the window's contents at
// moments of its own and could show a picture half sent, where one request
// for the whole picture is always shown whole. (Without a compositor the
// screen is read out as it is written either way.) open() says no
// otherwise, and the caller shows through Qt.
#include <QRect>
#include <cstdint>
#include <memory>

class QWindow;

class X11Bands {
public:
    // For the native window of `window`; nullptr where this cannot work.
    static std::unique_ptr<X11Bands> open(QWindow* window);
    ~X11Bands();
    X11Bands(const X11Bands&) = delete;
    X11Bands& operator=(const X11Bands&) = delete;

    // How many rows of `width` pixels one band holds (at least 1).
    int rowsPerBand(int width) const;
    // Room for `rows` rows of `width` pixels (at most rowsPerBand): after
    // the last band in the buffer in use, else in the next buffer once the
    // X server has finished reading what that last held; nullptr for a band
    // that does not fit. Small bands share a buffer, so that a frame of
    // many small changes costs few round trips.
    uint32_t* nextBuffer(int width, int rows);
    // Sends the band just filled, where.width() pixels a row, to `where`
    // (native pixels) of the window.
    void put(const QRect& where);
    // The frame's last band is put: sends what has not been sent yet.
    void finish();
    // Whether this draws into the native window `window` has now.
    bool drawsInto(const QWindow* window) const;

private:
    struct Buffer;
    class Flusher;
    X11Bands() = default;
    bool allocate();
    void release();
    // Done with the buffer in use: the X server is asked to say when it
    // has read it.
    void leaveBuffer();

    const QWindow* window_ = nullptr;
    void* connection_ = nullptr;  // xcb_connection_t, owned by Qt
    uint32_t drawable_ = 0, gc_ = 0;
    uint8_t depth_ = 24;
    std::unique_ptr<Buffer[]> buffers_;
    std::unique_ptr<Flusher> flusher_;
    int current_ = -1;                 // the buffer bands go into, -1 before the first
    size_t used_ = 0;                  // pixels of it in use
    size_t filled_ = 0, filledAt_ = 0; // the band given out and not put yet: pixels, where
    size_t unsent_ = 0;                // bytes put since the last flush
};
