// Runs one update in a process of its own, so that a test can kill it at
// any moment: killhelper PROGRAM_FOLDER. The settings store (and so the
// server address) comes from the environment the test gives it.
#include "data/databases.h"
#include "shell/appstate.h"
#include "shell/testdoubles.h"
#include "updates/modUpdates.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    sky::FakePlatform fake;
    sky::SetAppTitleLive(QString::fromLocal8Bit(qgetenv("SKY_TEST_APP_TITLE")));
    sky::ProgramFolder = QString::fromLocal8Bit(argv[1]);
    sky::SetInstallFolderForTests(sky::ProgramFolder);
    sky::db::OpenDatabases();
    sky::updates::UpdateAll(nullptr);
    sky::db::CloseDatabases();
    return 0;
}
