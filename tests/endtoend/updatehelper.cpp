// The program's part of a self-update, in a process of its own:
//   endtoend_updatehelper PROGRAM_FOLDER
// A test copies this executable into PROGRAM_FOLDER under the program's
// name and starts that copy, so the rename program finds a process of that
// name to wait for. Everything is the real platform (the embedded rename
// program written out and started, the process's end) except message boxes,
// which are answered at once and written to standard output as
// "MESSAGE <text>". The settings store (and so the server address) comes
// from the environment; so does the signing key (SKY_TEST_UPDATE_KEY, hex).
#include "data/databases.h"
#include "shell/appstate.h"
#include "shell/folders.h"
#include "shell/testdoubles.h"
#include "updates/modUpdates.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    sky::FakeMessageBox box;
    box.onShow = [](const sky::ShownMessage& m) {
        std::printf("MESSAGE %s\n", m.text.toUtf8().constData());
        std::fflush(stdout);
    };
    sky::Platform seams;
    seams.messageBox = &box;
    sky::installPlatform(seams);
    sky::SetAppTitleLive(QStringLiteral("SkyrendelEndToEnd"));
    sky::ProgramFolder = QString::fromLocal8Bit(argv[1]);
    sky::SetInstallFolderForTests(sky::ProgramFolder);
    const QByteArray key = qgetenv("SKY_TEST_UPDATE_KEY");
    if (!key.isEmpty()) sky::updates::SetUpdatePublicKeyForTests(QByteArray::fromHex(key));
    sky::db::OpenDatabases();
    sky::updates::UpdateAll(nullptr);
    sky::db::CloseDatabases();
    std::printf("STILL RUNNING\n");
    std::fflush(stdout);
    return 3; // only reached when no new version ended the process
}
