#include "platform/qt/ViewSettings.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QVariant>

#include "platform/SystemInfo.h"

// With no home folder at all there is no settings file: Qt would take the
// root folder for the home and write there.
QString viewSettingsFile() {
#ifdef __APPLE__
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "zarvex", "zarvex").fileName();
#else
    const std::string home = systemConfigHome();
    if (home.empty()) return {};
    return QFile::decodeName(QByteArray::fromStdString(home)) + QStringLiteral("/zarvex/zarvex.conf");
#endif
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
