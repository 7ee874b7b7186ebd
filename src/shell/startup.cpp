#include "shell/startup.h"

#include "data/databases.h"
#include "data/sync.h"
#include "shell/appstate.h"
#include "shell/folders.h"
#include "shell/frmSkyrendelSplash.h"
#include "shell/helpers.h"
#include "shell/platform.h"
#include "shell/singleinstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace sky {

namespace {
QPointer<frmSkyrendelSplash> g_splash;
bool g_pacing = true;

// The executable's own file name, without its folder.
QString ExecutableFileName() {
    const QFileInfo self(QCoreApplication::applicationFilePath());
#ifdef Q_OS_WIN
    return self.completeBaseName() + QStringLiteral(".exe");
#else
    return self.fileName();
#endif
}
} // namespace

frmSkyrendelSplash* Splash() { return g_splash; }

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

void SetSplashPacing(bool on) { g_pacing = on; }

void StartupChecks(const QStringList& arguments) {
    ActivatePreviousInstance();
    // Listen at once, so a copy started during this one's start-up finds it.
    ListenForLaterInstances(nullptr);
    GetProgramFolder();
    const QString argument = arguments.join(QLatin1Char(' ')).toUpper();
    if (argument != QLatin1String("IDE=1") &&
        InstallFolder().compare(ProgramFolder, Qt::CaseInsensitive) != 0) {
        const QString newer = ProgramFolderWithSlash() + ExecutableFileName();
        if (IsFilePresent(newer)) {
            platform().process->startDetached(newer, {}, false);
            platform().process->exitProcess(0);
        }
    }
}

void RunStartup(StartupWindow& window, const QStringList& arguments) {
    StartupChecks(arguments);
    AppTitle = AppTitleLive();
    window.MatchPanelHeights();
    if (!g_splash) g_splash = new frmSkyrendelSplash();
    g_splash->show();
    SetSplashPercent(0);
    platform().random->seedFromClock();
    SetSplashPercent(1);
    CenterForm(window.widget());
    SetSplashPercent(2);
    db::OpenDatabases();
    SetSplashPercent(10);
    data::SynchronizeUserDataWithStaticDB();
    SetSplashPercent(20);
    window.InitMainWindow();
    SetSplashPercent(30);
    window.ArrangePanels();
    SetSplashPercent(40);
    window.ResetRollovers();
    SetSplashPercent(42);
    int counter = 43;
    do {
        const std::uint32_t start = platform().clock->tickCount();
        if (g_pacing) {
            do {
                platform().clock->processEvents();
            } while (platform().clock->tickCount() - start <= 100);
        }
        counter += 4;
        SetSplashPercent(counter);
    } while (counter < 97);
    CloseSplash();
    ListenForLaterInstances(window.widget());
}

} // namespace sky
