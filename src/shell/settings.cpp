#include "shell/settings.h"

#include "shell/appstate.h"

#include <QSettings>

namespace sky {


void SaveAppSetting(const QString& key, const QString& value) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, AppTitleLive(), AppTitleLive());
    s.beginGroup(QStringLiteral("SETTINGS"));
    s.setValue(key, value);
    s.endGroup();
    s.sync();
}

QString GetAppSetting(const QString& key, const QString& defaultValue) {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, AppTitleLive(), AppTitleLive());
    s.beginGroup(QStringLiteral("SETTINGS"));
    const QVariant v = s.value(key);
    if (!v.isValid()) return defaultValue;
    return v.toString();
}

} // namespace sky
