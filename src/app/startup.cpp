#include "app/startup.h"

#include "data/databases.h"
#include "data/sync.h"
#include "shell/appstate.h"
#include "shell/folders.h"
#include "shell/frmSkyrendelSplash.h"
#include "shell/helpers.h"
#include "shell/platform.h"
#include "shell/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QWidget>


namespace sky::app {

namespace {
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
// The stamp of the two databases as the last synchronisation left them.
QString SyncStampPath() { return ProgramFolderWithSlash() + QStringLiteral("TEMP/synchronized.stamp"); }

} // namespace

QByteArray DatabasesFingerprint() {
    QByteArray fingerprint;
    for (const QString& database : {db::StaticDatabasePath(), db::UserDatabasePath()}) {
        for (const QString& path : {database, database + QStringLiteral("-wal")}) {
            const QByteArray stamp = FileStamp(path);
            if (stamp.isEmpty()) {
                if (path == database) return QByteArray(); // no file: nothing to compare
                continue;
            }
            fingerprint += stamp + '\n';
        }
    }
    return fingerprint;
}

bool SynchronizeIfChanged() {
    const QByteArray before = DatabasesFingerprint();
    QFile stamp(SyncStampPath());
    if (!before.isEmpty() && stamp.open(QIODevice::ReadOnly) && stamp.readAll() == before) return false;
    stamp.close();
    data::SynchronizeUserDataWithStaticDB();
    // Written beside and renamed into place; a stamp that cannot be written
    // only means the next start synchronises again.
    const QByteArray after = DatabasesFingerprint();
    if (!after.isEmpty() && QDir().mkpath(QFileInfo(SyncStampPath()).path())) {
        QSaveFile out(SyncStampPath());
        if (out.open(QIODevice::WriteOnly)) {
            out.write(after);
            out.commit();
        }
    }
    return true;
}

void SetSplashPacing(bool on) { g_pacing = on; }

void StartupChecks(const QStringList& arguments) {
    ActivatePreviousInstance();
    const FolderMoveResult moved = GetProgramFolder();
    if (moved.result == FolderMove::Failed && !moved.message.isEmpty()) {
        // Running on from the install folder would write into it: end here,
        // having touched nothing there.
        ShowWarning(moved.message);
        platform().process->exitProcess(1);
    }
    const QString argument = arguments.join(QLatin1Char(' ')).toUpper();
    if (argument != QLatin1String("IDE=1") &&
        ExecutableFolder().compare(ProgramFolder, Qt::CaseInsensitive) != 0) {
        const QString newer = ProgramFolderWithSlash() + ExecutableFileName();
        if (IsFilePresent(newer)) {
            // The copy started now takes the lock over.
            ReleaseInstance();
            platform().process->startDetached(newer, {}, false);
            platform().process->exitProcess(0);
        }
    }
}

void RunStartup(StartupWindow& window, const QStringList& arguments) {
    StartupChecks(arguments);
    // The databases open on a thread of their own while the splash shows;
    // OpenDatabases below takes them in its place in the sequence.
    db::OpenDatabasesInBackground();
    AppTitle = AppTitleLive();
    window.MatchPanelHeights();
    ShowSplash();
    SetSplashPercent(0);
    platform().random->seedFromClock();
    SetSplashPercent(1);
    CenterForm(window.widget());
    SetSplashPercent(2);
    db::OpenDatabases();
    SetSplashPercent(10);
    SynchronizeIfChanged();
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

void InstallStartupSequence() {
    SetStartupSequence([](StartupWindow& window, const QStringList& arguments) { app::RunStartup(window, arguments); });
}

} // namespace sky::app
