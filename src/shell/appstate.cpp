#include "shell/appstate.h"

#include <QCoreApplication>
#include <QDir>

namespace sky {

QString AppTitle;
QString ProgramFolder;

namespace {
QString g_installOverride;
QString g_liveTitle = QString::fromLatin1(kApplicationTitle);
} // namespace

QString AppTitleLive() { return g_liveTitle; }
void SetAppTitleLive(const QString& title) { g_liveTitle = title; }

QString InstallFolder() {
    if (!g_installOverride.isEmpty()) return g_installOverride;
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
    return dir;
}

void SetInstallFolderForTests(const QString& folder) { g_installOverride = folder; }

} // namespace sky

namespace sky {
namespace {
QWidget* g_mainWindow = nullptr;
}
QWidget* MainWindowWidget() { return g_mainWindow; }
void SetMainWindowWidget(QWidget* w) { g_mainWindow = w; }
} // namespace sky
