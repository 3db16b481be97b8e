#pragma once
// The one QApplication of a Qt test program, made on first use on the
// offscreen platform (unless the environment chose another). Inline, so
// every test file of a program shares the same one.
#include <QApplication>

inline QApplication& qtTestApp() {
    static int argc = 1;
    static char name[] = "zarvex-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
