#include "platform/qt/ViewSettings.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <cstdlib>
#include <memory>

#include "platform/SystemInfo.h"

namespace {

// Qt's user settings, except without HOME: Qt takes a missing HOME for the
// root folder and would write there. Then the file goes in the account's
// config folder, and with no home folder at all there is none.
std::unique_ptr<QSettings> open() {
#ifndef __APPLE__
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const std::string config = systemConfigHome();
        if (config.empty()) return nullptr;
        return std::make_unique<QSettings>(
            QFile::decodeName(QByteArray::fromStdString(config)) + QStringLiteral("/zarvex/zarvex.conf"),
            QSettings::IniFormat);
    }
#endif
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "zarvex", "zarvex");
}

// Only a plain true or false counts; anything else keeps the default (Qt
// would read most words as true).
bool flag(const QSettings& s, const char* key, bool fallback) {
    const QVariant v = s.value(key);
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    const QString text = v.toString().trimmed().toLower();
    if (text == "true") return true;
    if (text == "false") return false;
    return fallback;
}

}  // namespace

QString viewSettingsFile() {
    const auto s = open();
    return s ? s->fileName() : QString();
}

ViewSettings loadViewSettings() {
    ViewSettings settings;
    const auto s = open();
    if (!s || s->status() != QSettings::NoError) return settings;
    settings.fullScreen = flag(*s, "view/fullScreen", settings.fullScreen);
    settings.muted = flag(*s, "sound/muted", settings.muted);
    settings.showFrameRate = flag(*s, "view/showFrameRate", settings.showFrameRate);
    return settings;
}

void saveViewSettings(const ViewSettings& settings) {
    {
        // A damaged file is ours and holds nothing else: start it afresh
        // (Qt would not write over a file it could not read).
        const auto old = open();
        if (!old) return;
        if (old->status() == QSettings::FormatError) QFile::remove(old->fileName());
    }
    const auto s = open();
    s->setValue("view/fullScreen", settings.fullScreen);
    s->setValue("sound/muted", settings.muted);
    s->setValue("view/showFrameRate", settings.showFrameRate);
    s->sync();
}
