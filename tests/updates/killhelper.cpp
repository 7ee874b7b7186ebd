// Runs one update in a process of its own: killhelper PROGRAM_FOLDER. A test
// can kill it at any moment, or let a new program version end it. The
// settings store (and so the server address) comes from the environment
// the test gives it; so do the signing key (SKY_TEST_UPDATE_KEY, hex) and
// the program name (SKY_TEST_PROGRAM_NAME). Message boxes are answered at
// once; everything else is the real platform, process start and exit
// included. The rename program written out is a stand-in script that
// records its arguments in "rename-ran.txt" beside it.
#include "data/databases.h"
#include "shell/appstate.h"
#include "shell/folders.h"
#include "shell/testdoubles.h"
#include "updates/modUpdates.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    sky::FakeMessageBox box;
    sky::Platform seams;
    seams.messageBox = &box;
    sky::installPlatform(seams);
    sky::SetAppTitleLive(QString::fromLocal8Bit(qgetenv("SKY_TEST_APP_TITLE")));
    sky::ProgramFolder = QString::fromLocal8Bit(argv[1]);
    sky::SetInstallFolderForTests(sky::ProgramFolder);
    const QByteArray key = qgetenv("SKY_TEST_UPDATE_KEY");
    if (!key.isEmpty()) sky::updates::SetUpdatePublicKeyForTests(QByteArray::fromHex(key));
    const QByteArray name = qgetenv("SKY_TEST_PROGRAM_NAME");
    if (!name.isEmpty()) sky::updates::SetProgramNameForTests(QString::fromLocal8Bit(name));
    sky::updates::g_extractEmbeddedFile = [](const QString& fileName) {
        QFile f(sky::ProgramFolderWithSlash() + fileName);
        if (!f.open(QIODevice::WriteOnly)) return false;
        f.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/rename-ran.txt\"\n");
        f.close();
        return f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    };
    sky::db::OpenDatabases();
    sky::updates::UpdateAll(nullptr);
    sky::db::CloseDatabases();
    return 3; // only reached when no new version ended the process
}
