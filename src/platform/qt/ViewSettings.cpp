#include "platform/qt/ViewSettings.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <cstdlib>

#include "platform/SystemInfo.h"

// Qt's own place for the user's settings, except without HOME: Qt takes a
// missing HOME for the root folder and would write there. Then the account's
// config folder stands in, and with no home folder at all there is no file.
QString viewSettingsFile() {
#ifndef __APPLE__
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const std::string config = systemConfigHome();
        if (config.empty()) return {};
        return QFile::decodeName(QByteArray::fromStdString(config)) + QStringLiteral("/zarvex/zarvex.conf");
    }
#endif
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "zarvex", "zarvex").fileName();
}

namespace {

QSettings open(const QString& file) { return QSettings(file, QSettings::IniFormat); }

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

ViewSettings loadViewSettings() {
    ViewSettings settings;
    const QString file = viewSettingsFile();
    if (file.isEmpty()) return settings;
    const QSettings s = open(file);
    if (s.status() != QSettings::NoError) return settings;
    settings.fullScreen = flag(s, "view/fullScreen", settings.fullScreen);
    settings.muted = flag(s, "sound/muted", settings.muted);
    return settings;
}

void saveViewSettings(const ViewSettings& settings) {
    const QString file = viewSettingsFile();
    if (file.isEmpty()) return;
    {
        // A damaged file is ours and holds nothing else: start it afresh
        // (Qt would not write over a file it could not read).
        const QSettings old = open(file);
        if (old.status() == QSettings::FormatError) QFile::remove(old.fileName());
    }
    QSettings s = open(file);
    s.setValue("view/fullScreen", settings.fullScreen);
    s.setValue("sound/muted", settings.muted);
    s.sync();
}
