// The game's event queue: pointer-only entries merge into the next canvas
// entry, the queue holds about a second of input, and the window's own
// events are never lost or reordered.
#include <gtest/gtest.h>

#include <vector>

#include "platform/EventQueue.h"

namespace {

WindowEvent canvas(CanvasEventType type, int64_t x, int64_t key = 0) {
    WindowEvent e;
    e.code = EventCanvas;
    e.canvasType = type;
    e.x = x;
    e.y = x + 1;
    e.key = key;
    return e;
}
WindowEvent press(int64_t key, int64_t x = 0) { return canvas(CanvasKeyDown, x, key); }
WindowEvent menu(MenuId id) {
    WindowEvent e;
    e.code = EventMenu;
    e.menuId = id;
    return e;
}
WindowEvent window(WindowEventCode code) {
    WindowEvent e;
    e.code = code;
    return e;
}

std::vector<WindowEvent> drain(EventQueue& q) {
    std::vector<WindowEvent> out;
    for (WindowEvent e = q.pop(); e.code != EventNone; e = q.pop()) out.push_back(e);
    return out;
}

}  // namespace

TEST(EventQueue, PointerOnlyEntriesMergeIntoTheNextCanvasEntry) {
    EventQueue q;
    EXPECT_EQ(q.pop().code, EventNone);

    // A key press and its release, three times: one entry per press, and
    // the last release stays (nothing came behind it).
    for (int i = 0; i < 3; ++i) {
        q.push(press(KeyP, i));
        q.push(canvas(CanvasOther, 10 + i));
    }
    // Moves, a release and a right button before a click: only the click,
    // which carries the newest position.
    q.push(canvas(CanvasMoved, 20));
    q.push(canvas(CanvasLeftUp, 21));
    q.push(canvas(CanvasOther, 22));
    q.push(canvas(CanvasLeftDown, 23));
    q.push(canvas(CanvasLeftUp, 24));  // its release: last, so kept
    auto got = drain(q);
    ASSERT_EQ(got.size(), 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(got[size_t(i)].canvasType, CanvasKeyDown);
        EXPECT_EQ(got[size_t(i)].x, i);
    }
    EXPECT_EQ(got[3].canvasType, CanvasLeftDown);
    EXPECT_EQ(got[3].x, 23);
    EXPECT_EQ(got[3].y, 24);
    EXPECT_EQ(got[4].canvasType, CanvasLeftUp);

    // Presses never merge, and a window event between two canvas entries
    // keeps the pointer-only entry before it.
    q.push(canvas(CanvasLeftDown, 1));
    q.push(canvas(CanvasLeftDown, 2));
    q.push(canvas(CanvasMoved, 3));
    q.push(window(EventMinimise));
    q.push(canvas(CanvasMoved, 4));
    got = drain(q);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[2].canvasType, CanvasMoved);
    EXPECT_EQ(got[2].x, 3);
    EXPECT_EQ(got[3].code, EventMinimise);
    EXPECT_EQ(got[4].x, 4);
}

TEST(EventQueue, HoldsAboutOneSecondDroppingTheOldestInputFirst) {
    EventQueue q;
    for (int i = 0; i < 3000; ++i) {
        q.push(press('x', i));
        q.push(canvas(CanvasOther, i));
        EXPECT_LE(q.size(), EventQueue::kMaxWaiting);
    }
    auto got = drain(q);
    ASSERT_EQ(got.size(), EventQueue::kMaxWaiting);
    // The newest second of input: the last 59 presses and the last release.
    EXPECT_EQ(got.front().x, 3000 - 59);
    EXPECT_EQ(got[58].x, 2999);
    EXPECT_EQ(got[58].canvasType, CanvasKeyDown);
    EXPECT_EQ(got.back().canvasType, CanvasOther);
}

TEST(EventQueue, WindowEventsAreNeverDroppedAndKeepTheirOrder) {
    EventQueue q;
    const std::vector<WindowEvent> kept = {window(EventMinimise), menu(MenuHard), menu(MenuAbout),
                                           window(EventClose), menu(MenuQuit)};
    // Each among a storm of input, before, between and after them.
    for (const WindowEvent& w : kept) {
        for (int i = 0; i < 500; ++i) q.push(press(KeySpace, i));
        q.push(w);
    }
    for (int i = 0; i < 500; ++i) q.push(canvas(CanvasMoved, i));
    auto got = drain(q);
    std::vector<WindowEvent> windowEvents;
    size_t input = 0;
    for (const WindowEvent& e : got) {
        if (e.code == EventCanvas)
            ++input;
        else
            windowEvents.push_back(e);
    }
    ASSERT_EQ(windowEvents.size(), kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(windowEvents[i].code, kept[i].code);
        EXPECT_EQ(windowEvents[i].menuId, kept[i].menuId);
    }
    EXPECT_EQ(got.size(), EventQueue::kMaxWaiting);
    EXPECT_EQ(input, EventQueue::kMaxWaiting - kept.size());
    // The input left is the newest: the last presses, and the moves merged
    // into one at the end.
    EXPECT_EQ(got.back().canvasType, CanvasMoved);
    EXPECT_EQ(got.back().x, 499);

    // Window events alone are all kept, however many.
    for (int i = 0; i < 100; ++i) q.push(menu(MenuAboutBox));
    q.push(press(KeyP));
    EXPECT_EQ(q.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(q.pop().menuId, MenuAboutBox);
    EXPECT_EQ(q.pop().code, EventNone);
}
