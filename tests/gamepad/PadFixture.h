#pragma once
// The Qt platform's window on the offscreen platform with SDL's game
// controllers, and a virtual controller plugged in. Skipped where SDL's
// game-controller subsystem cannot start.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <memory>
#include <vector>

#include "QtTestApp.h"
#include "VirtualPad.h"
#include "platform/qt/QtPlatform.h"
#include "platform/sdl/Gamepads.h"

class PadFixture : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        if (!pads.ready()) GTEST_SKIP() << "SDL's game-controller subsystem does not start here: " << SDL_GetError();
        platform.becomeForegroundApp();
        platform.openWindow("ZARVEX v1.01", 1280, 768);
        platform.focusCanvas();
        platform.setControllers(&pads);
        pad = plugIn();
        frames(2);
        ASSERT_EQ(pads.connected(), 1u);
    }

    // A new virtual controller; it is taken in at the next poll.
    std::unique_ptr<VirtualPad> plugIn() {
        auto p = std::make_unique<VirtualPad>();
        EXPECT_TRUE(p->attached()) << SDL_GetError();
        return p;
    }

    // Runs n frames' event polls; the events they handed out.
    std::vector<WindowEvent> frames(int n) {
        std::vector<WindowEvent> out;
        for (int i = 0; i < n; ++i) {
            const WindowEvent e = platform.pollEvent();
            if (e.code != EventNone) out.push_back(e);
        }
        return out;
    }
    // The events of one frame's press of a button, and of the frame that
    // lets it go.
    std::vector<WindowEvent> tap(VirtualPad& p, SDL_GameControllerButton button) {
        p.hold(button);
        std::vector<WindowEvent> out = frames(1);
        p.release(button);
        for (const WindowEvent& e : frames(1)) out.push_back(e);
        return out;
    }

    // The mouse moved to canvas pixel (x, y).
    void mouseTo(int x, int y) {
        QWidget* canvas = platform.canvasWidget();
        const QPointF at = platform.widgetPointOf(x, y);
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &move);
    }

    Gamepads pads;
    QtPlatform platform;
    std::unique_ptr<VirtualPad> pad;
};
