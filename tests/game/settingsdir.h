// The settings store of the game tests lives in a temporary folder: the
// store's folder is taken from XDG_CONFIG_HOME, which must be set before
// anything touches the store.
#pragma once

#include "shell/appstate.h"

#include <QSettings>
#include <QTemporaryDir>

namespace gametest {

class SettingsDir {
public:
    SettingsDir() { qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit()); }
    // Empties the store between tests.
    static void clear() {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, sky::AppTitleLive(), sky::AppTitleLive());
        s.clear();
        s.sync();
    }
    // The stored value, or a null text when the key is absent.
    static QString stored(const QString& key) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, sky::AppTitleLive(), sky::AppTitleLive());
        const QVariant v = s.value(QStringLiteral("SETTINGS/") + key);
        return v.isValid() ? v.toString() : QString();
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

} // namespace gametest
