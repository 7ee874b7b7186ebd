#include "shell/errors.h"

#include "shell/appstate.h"
#include "shell/platform.h"

#include <cstdlib>

namespace sky {

SkyError::SkyError(int number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("Error %1: %2").arg(number_).arg(description_).toUtf8()) {}

QString UnhandledErrorText(int number, const QString& description) {
    return QStringLiteral("Run-time error '%1':\r\n\r\n%2").arg(number).arg(description);
}

void EndWithUnhandledError(int number, const QString& description) {
    platform().messageBox->show(nullptr, AppTitleLive(), UnhandledErrorText(number, description),
                                MsgIcon::Critical, MsgButtons::OkOnly);
    platform().process->exitProcess(1);
    std::_Exit(1);
}

} // namespace sky
