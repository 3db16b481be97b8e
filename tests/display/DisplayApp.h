#pragma once
// The Qt application of the display tests: the offscreen platform with two
// screens of our own, a 1366 x 768 laptop screen and a 2560 x 1440 screen at
// 200 % (1280 x 720 logical pixels), and the game's settings kept in a
// folder of the test's own. The 200 % comes from Qt's own per-screen scale
// factor, as a desktop's setting would give it: the offscreen platform's
// own "dpr" is not honoured by every Qt 6 release.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QStandardPaths>

inline QApplication& displayApp() {
    static QApplication* app = [] {
        const QString dir = QDir::tempPath() + "/zarvex-display-test-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(dir + "/config");
        QFile config(dir + "/screens.json");
        if (config.open(QIODevice::WriteOnly))
            config.write(R"({"screens": [
                {"name": "Laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "dpr": 1},
                {"name": "Retina", "x": 1366, "y": 0, "width": 2560, "height": 1440, "dpr": 1}]})");
        config.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + dir + "/screens.json").toUtf8());
        qputenv("QT_SCREEN_SCALE_FACTORS", "Laptop=1;Retina=2");
        qputenv("XDG_CONFIG_HOME", (dir + "/config").toUtf8());
        static int argc = 1;
        static char name[] = "zarvex-display-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *app;
}

inline QScreen* screenNamed(const QString& name) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == name) return s;
    return nullptr;
}
