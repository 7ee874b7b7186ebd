// The per-user settings store: text values under the application title,
// section "SETTINGS".
#pragma once

#include <QString>

namespace sky {

void SaveAppSetting(const QString& key, const QString& value);
QString GetAppSetting(const QString& key, const QString& defaultValue);

} // namespace sky
