#include "shell/serveraddress.h"

#include "shell/settings.h"

#include <QUrl>

namespace sky {

QString ServerBaseAddress() {
    QString chosen = GetAppSetting(QString::fromLatin1(kUpdateServerSettingKey), QString()).trimmed();
    const QUrl url(chosen, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    const bool usable = url.isValid() && !url.host().isEmpty() &&
                        (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
                        !url.hasQuery() && !url.hasFragment() && url.userInfo().isEmpty();
    if (!usable)
        chosen = QString::fromLatin1(kUseDevelopmentServer ? kDevelopmentServerBaseAddress
                                                           : kProductionServerBaseAddress);
    while (chosen.endsWith(QLatin1Char('/'))) chosen.chop(1);
    return chosen;
}

} // namespace sky
