#include "shell/startup.h"

#include "shell/errors.h"
#include "shell/frmSkyrendelSplash.h"

#include <QPointer>

namespace sky {

namespace {
QPointer<frmSkyrendelSplash> g_splash;
StartupSequence& Sequence() {
    static StartupSequence s;
    return s;
}
} // namespace

void SetStartupSequence(StartupSequence sequence) { Sequence() = std::move(sequence); }
bool HasStartupSequence() { return static_cast<bool>(Sequence()); }

void RunStartup(StartupWindow& window, const QStringList& arguments) {
    if (!Sequence()) throw SkyError(kErrInvalidCall, QStringLiteral("The program has no start-up sequence."));
    Sequence()(window, arguments);
}

frmSkyrendelSplash* Splash() { return g_splash; }

void ShowSplash() {
    if (!g_splash) g_splash = new frmSkyrendelSplash();
    g_splash->show();
}

void SetSplashPercent(int k) {
    if (!g_splash) g_splash = new frmSkyrendelSplash();
    g_splash->SetPercent(k);
}

void CloseSplash() {
    if (!g_splash) return;
    g_splash->close();
    delete g_splash;
    g_splash = nullptr;
}

} // namespace sky
