#pragma once
// For tests that open a modal box and answer it from inside its own event
// loop: closes any box still open after a few seconds, so that a box the
// test failed to answer fails the test instead of hanging it.
#include <QApplication>
#include <QTimer>
#include <QWidget>

class ModalGuard {
public:
    explicit ModalGuard(int ms = 5000) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        timer_.start(ms);
    }
    // Whether it had to close a box.
    bool fired() const { return !timer_.isActive(); }

private:
    QTimer timer_;
};
