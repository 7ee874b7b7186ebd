#include "shell/appstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace sky {

const char* const kDataFolderFromExecutable = SKYRENDEL_DATA_FROM_BIN;

QString AppTitle;
QString ProgramFolder;

namespace {
QString g_installOverride;
QString g_liveTitle = QString::fromLatin1(kApplicationTitle);
} // namespace

QString AppTitleLive() { return g_liveTitle; }
void SetAppTitleLive(const QString& title) { g_liveTitle = title; }

QString ExecutableFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
    return dir;
}

namespace {
struct FoundInstall {
    QString folder;
    bool shared = false;
};

const FoundInstall& Found() {
    static const FoundInstall found = [] {
        const QString exe = ExecutableFolder();
        // Installed, the data lives in its own folder under share/; in a
        // build tree (or a folder copied whole) it sits beside the program.
        const QString shared = QDir::cleanPath(exe + QLatin1Char('/') + QString::fromLatin1(kDataFolderFromExecutable));
        if (!QFileInfo::exists(exe + QStringLiteral("/skyrendel.skr")) && QFileInfo(shared).isDir())
            return FoundInstall{shared, true};
        return FoundInstall{exe, false};
    }();
    return found;
}
bool g_overrideShared = false;
} // namespace

QString InstallFolder() {
    if (!g_installOverride.isEmpty()) return g_installOverride;
    return Found().folder;
}

bool InstallFolderIsShared() {
    if (!g_installOverride.isEmpty()) return g_overrideShared;
    return Found().shared;
}

void SetInstallFolderForTests(const QString& folder, bool shared) {
    g_installOverride = folder;
    g_overrideShared = shared;
}

} // namespace sky

namespace sky {
namespace {
QWidget* g_mainWindow = nullptr;
}
QWidget* MainWindowWidget() { return g_mainWindow; }
void SetMainWindowWidget(QWidget* w) { g_mainWindow = w; }
} // namespace sky
