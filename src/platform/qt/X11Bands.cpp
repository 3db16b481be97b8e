#include "platform/qt/X11Bands.h"

#if defined(ZARVEX_X11_SHM)

#include <QGuiApplication>
#include <QWindow>
#include <QtEndian>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// About a megabyte a buffer: small enough for four to stay in the cache,
// large enough that a 4K frame takes some thirty requests.
constexpr size_t kBufferBytes = size_t(1) << 20;
constexpr size_t kBufferPixels = kBufferBytes / 4;
constexpr int kBuffers = 4;
// Small bands are sent once this much of them waits, a quarter of a buffer.
constexpr size_t kFlushBytes = kBufferBytes / 4;

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Whether a compositing manager runs on the screen (it owns the selection
// _NET_WM_CM_S<n>): it then shows whatever the window holds at its own
// moments, so a picture sent in bands could be shown half made.
bool composited(xcb_connection_t* c, int screen) {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(name.size()), name.constData()), nullptr);
    if (!atom) return true;
    const xcb_atom_t id = atom->atom;
    std::free(atom);
    if (id == XCB_ATOM_NONE) return false;  // nobody ever asked for it
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, id), nullptr);
    const bool yes = !owner || owner->owner != XCB_NONE;
    std::free(owner);
    return yes;
}

}  // namespace

struct X11Bands::Buffer {
    xcb_shm_seg_t segment = 0;
    uint32_t* pixels = nullptr;
    // The request after this buffer's last put: its answer says the server
    // has read the buffer.
    xcb_get_input_focus_cookie_t done{};
    bool pending = false;
};

// Sends what has been asked of the connection when told to, from a thread
// that sleeps again at once, so that the server runs beside the thread
// that goes on making bands rather than after it.
class X11Bands::Flusher {
public:
    explicit Flusher(xcb_connection_t* c) : thread_([this, c] { run(c); }) {}
    ~Flusher() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void flush() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            asked_ = true;
        }
        wake_.notify_one();
    }

private:
    void run(xcb_connection_t* c) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return asked_ || quit_; });
            if (quit_) return;
            asked_ = false;
            lock.unlock();
            xcb_flush(c);  // xcb serialises this with the other threads' requests
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool asked_ = false, quit_ = false;
    std::thread thread_;  // last: it starts once the rest is made
};

std::unique_ptr<X11Bands> X11Bands::open(QWindow* window) {
    xcb_connection_t* c = x11Connection();
    if (!c || !window || Q_BYTE_ORDER != Q_LITTLE_ENDIAN) return nullptr;

    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(c, &xcb_shm_id);
    if (!shm || !shm->present) return nullptr;
    const xcb_setup_t* setup = xcb_get_setup(c);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return nullptr;
    const auto id = xcb_window_t(window->winId());
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    if (!geometry) return nullptr;
    const uint8_t depth = geometry->depth;
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    int screen = 0;
    for (auto it = xcb_setup_roots_iterator(setup); it.rem && it.data->root != root; xcb_screen_next(&it)) ++screen;
    if (composited(c, screen)) return nullptr;
    if (depth != 24 && depth != 32) return nullptr;
    // Our pixels are 32 bits each with no padding beyond that.
    bool pixels32 = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) pixels32 = it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    if (!pixels32) return nullptr;

    std::unique_ptr<X11Bands> made(new X11Bands);
    made->window_ = window;
    made->connection_ = c;
    made->drawable_ = id;
    made->depth_ = depth;
    made->gc_ = xcb_generate_id(c);
    const uint32_t noExposures = 0;
    xcb_create_gc(c, made->gc_, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    made->buffers_ = std::make_unique<Buffer[]>(kBuffers);
    // A first buffer now, to learn whether the server can share memory
    // with us at all (not over a network, not in some sandboxes).
    if (!made->allocate()) return nullptr;
    made->flusher_ = std::make_unique<Flusher>(c);
    return made;
}

X11Bands::~X11Bands() {
    // After the application has closed its connection, the server has let
    // go of everything already: only our side of the memory is left.
    flusher_.reset();
    if (x11Connection() != connection_) connection_ = nullptr;
    release();
    if (connection_ && gc_) {
        auto* c = static_cast<xcb_connection_t*>(connection_);
        xcb_free_gc(c, gc_);
        xcb_flush(c);
    }
}

bool X11Bands::drawsInto(const QWindow* window) const {
    return window && window == window_ && xcb_window_t(window->winId()) == drawable_;
}

int X11Bands::rowsPerBand(int width) const {
    return width <= 0 ? 1 : std::max<int>(1, int(kBufferPixels / size_t(width)));
}

bool X11Bands::allocate() {
    auto* c = static_cast<xcb_connection_t*>(connection_);
    for (int i = 0; i < kBuffers; ++i) {
        Buffer& b = buffers_[i];
        const int id = shmget(IPC_PRIVATE, kBufferBytes, IPC_CREAT | 0600);
        if (id < 0) return release(), false;
        void* at = shmat(id, nullptr, 0);
        if (at == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return release(), false;
        }
        const xcb_shm_seg_t segment = xcb_generate_id(c);
        xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, segment, uint32_t(id), 1));
        // Gone from the system as soon as both sides let go of it.
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            std::free(error);
            shmdt(at);
            return release(), false;
        }
        b.segment = segment;
        b.pixels = static_cast<uint32_t*>(at);
    }
    return true;
}

void X11Bands::release() {
    if (!buffers_) return;
    auto* c = static_cast<xcb_connection_t*>(connection_);
    for (int i = 0; i < kBuffers; ++i) {
        Buffer& b = buffers_[i];
        if (c && b.pending) std::free(xcb_get_input_focus_reply(c, b.done, nullptr));
        if (c && b.segment) xcb_shm_detach(c, b.segment);
        if (b.pixels) shmdt(b.pixels);
        b = Buffer{};
    }
    if (c) xcb_flush(c);
    current_ = -1;
    used_ = filled_ = filledAt_ = unsent_ = 0;
}

void X11Bands::leaveBuffer() {
    if (current_ < 0) return;
    Buffer& b = buffers_[current_];
    if (used_ > 0) {
        b.done = xcb_get_input_focus(static_cast<xcb_connection_t*>(connection_));
        b.pending = true;
    }
    current_ = (current_ + 1) % kBuffers;
    used_ = 0;
}

uint32_t* X11Bands::nextBuffer(int width, int rows) {
    if (width <= 0 || rows <= 0 || rows > rowsPerBand(width)) return nullptr;
    const size_t pixels = size_t(width) * size_t(rows);
    if (pixels > kBufferPixels) return nullptr;
    if (current_ < 0) current_ = 0;
    if (used_ + pixels > kBufferPixels) leaveBuffer();
    Buffer& b = buffers_[current_];
    if (!b.pixels) return nullptr;
    if (b.pending) {
        // Sends what is waiting too, so this cannot wait for ever.
        std::free(xcb_get_input_focus_reply(static_cast<xcb_connection_t*>(connection_), b.done, nullptr));
        b.pending = false;
    }
    filled_ = pixels, filledAt_ = used_;
    used_ += pixels;
    return b.pixels + filledAt_;
}

void X11Bands::put(const QRect& where) {
    if (filled_ == 0 || where.isEmpty() || size_t(where.width()) * size_t(where.height()) > filled_) return;
    auto* c = static_cast<xcb_connection_t*>(connection_);
    const Buffer& b = buffers_[current_];
    filled_ = 0;
    const auto w = uint16_t(where.width()), h = uint16_t(where.height());
    xcb_shm_put_image(c, drawable_, gc_, w, h, 0, 0, w, h, int16_t(where.x()), int16_t(where.y()), depth_,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, b.segment, uint32_t(filledAt_ * 4));
    // Another band like this one would not fit: done with the buffer now,
    // so that the server's answer comes as early as it can.
    if (used_ + size_t(w) * h > kBufferPixels) leaveBuffer();
    // A large band is sent at once, so the server starts on it while we
    // make the next; small ones a few at a time.
    unsent_ += size_t(w) * h * 4;
    if (unsent_ >= kFlushBytes) {
        flusher_->flush();
        unsent_ = 0;
    }
}

void X11Bands::finish() {
    // The next frame starts in a fresh buffer: this one's answer then says
    // when the server is done with all of it.
    leaveBuffer();
    flusher_->flush();
    unsent_ = 0;
}

#else  // no X11 shared memory in this build

struct X11Bands::Buffer {};
class X11Bands::Flusher {};
std::unique_ptr<X11Bands> X11Bands::open(QWindow*) { return nullptr; }
X11Bands::~X11Bands() = default;
bool X11Bands::drawsInto(const QWindow*) const { return false; }
int X11Bands::rowsPerBand(int) const { return 1; }
bool X11Bands::allocate() { return false; }
void X11Bands::release() {}
void X11Bands::leaveBuffer() {}
uint32_t* X11Bands::nextBuffer(int, int) { return nullptr; }
void X11Bands::put(const QRect&) {}
void X11Bands::finish() {}

#endif
