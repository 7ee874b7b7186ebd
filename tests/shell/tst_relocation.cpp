// The first-run move of the data from the install folder into the user
// folder, on temporary folders.
#include "shell/appstate.h"
#include "shell/folders.h"
#include "shell/testdoubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write(bytes);
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QStringList kFiles = {"skyrendel.skr", "skyrendeluserdata.skr", "skrcert.fdp", "vendor.dat"};

} // namespace

class tst_relocation : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstRunMovesEverything();
    void laterStartCopiesNothing();
    void presentFileIsNotOverwritten();
    void userFolderCannotBeMade();
    void runningFromUserFolder();
    void failedCopyKeepsInstallAndNextStartCompletes();
    void noAppDataFolder();
    void listMissingFiles();

private:
    void fillInstall();
    std::unique_ptr<FakePlatform> fake_;
    QString install_;
    QString user_;
};

void tst_relocation::init() {
    fake_ = std::make_unique<FakePlatform>();
    install_ = fake_->root.path() + "/install";
    user_ = fake_->folders.appDataPath + "/Skyrendel";
    SetInstallFolderForTests(install_);
    ProgramFolder.clear();
    fillInstall();
}

void tst_relocation::cleanup() {
    SetInstallFolderForTests(QString());
    fake_.reset();
}

void tst_relocation::fillInstall() {
    write(install_ + "/DATA/B738.skr", "b738 pictures");
    write(install_ + "/DATA/A320.skr", "a320 pictures");
    write(install_ + "/SOUND/correct.wav", "ding");
    QDir().mkpath(install_ + "/TEMP");
    write(install_ + "/TEMP/leftover.tmp", "temp");
    for (const QString& f : kFiles) write(install_ + "/" + f, f.toUtf8());
    write(install_ + "/skyrendel", "the program");
}

void tst_relocation::firstRunMovesEverything() {
    bool maintenanceShown = false;
    fake_->clock.onProcessEvents = [&] { maintenanceShown |= IsFormLoaded("FRMMAINTENANCE"); };
    GetProgramFolder();
    QCOMPARE(ProgramFolder, user_);
    QVERIFY(maintenanceShown);
    QVERIFY(!IsFormLoaded("frmMaintenance"));
    QCOMPARE(read(user_ + "/DATA/B738.skr"), QByteArray("b738 pictures"));
    QCOMPARE(read(user_ + "/DATA/A320.skr"), QByteArray("a320 pictures"));
    QCOMPARE(read(user_ + "/SOUND/correct.wav"), QByteArray("ding"));
    QVERIFY(QFileInfo(user_ + "/TEMP").isDir());
    QVERIFY(!QFile::exists(user_ + "/TEMP/leftover.tmp")); // TEMP's contents are not copied
    for (const QString& f : kFiles) {
        QCOMPARE(read(user_ + "/" + f), f.toUtf8());
        QVERIFY(QFile::exists(install_ + "/" + f)); // the four files stay
    }
    for (const char* s : {"/DATA", "/SOUND", "/TEMP"}) QVERIFY(!QFileInfo::exists(install_ + s));
    QVERIFY(!QFile::exists(user_ + "/skyrendel")); // the program itself is not moved
    QVERIFY(fake_->messageBox.shown.isEmpty());
}

void tst_relocation::laterStartCopiesNothing() {
    GetProgramFolder();
    write(user_ + "/skyrendel.skr", "changed by the user's updates");
    ProgramFolder.clear();
    bool maintenanceShown = false;
    fake_->clock.onProcessEvents = [&] { maintenanceShown |= IsFormLoaded("frmMaintenance"); };
    GetProgramFolder();
    QCOMPARE(ProgramFolder, user_);
    QVERIFY(!maintenanceShown);
    QCOMPARE(read(user_ + "/skyrendel.skr"), QByteArray("changed by the user's updates"));
}

void tst_relocation::presentFileIsNotOverwritten() {
    write(user_ + "/DATA/B738.skr", "newer pictures");
    write(user_ + "/skyrendeluserdata.skr", "the user's own choices");
    GetProgramFolder();
    QCOMPARE(ProgramFolder, user_);
    QCOMPARE(read(user_ + "/DATA/B738.skr"), QByteArray("newer pictures"));
    QCOMPARE(read(user_ + "/skyrendeluserdata.skr"), QByteArray("the user's own choices"));
    QCOMPARE(read(user_ + "/DATA/A320.skr"), QByteArray("a320 pictures"));
}

void tst_relocation::userFolderCannotBeMade() {
    // A file where the user folder should be.
    QDir(fake_->folders.appDataPath).removeRecursively();
    write(fake_->folders.appDataPath, "not a folder");
    GetProgramFolder();
    QCOMPARE(ProgramFolder, install_);
    QCOMPARE(read(install_ + "/DATA/B738.skr"), QByteArray("b738 pictures"));
    QVERIFY(QFileInfo(install_ + "/TEMP").isDir());
    QVERIFY(fake_->messageBox.shown.isEmpty());
}

void tst_relocation::runningFromUserFolder() {
    SetInstallFolderForTests(user_.toUpper().replace(fake_->root.path().toUpper(), fake_->root.path()));
    QDir().mkpath(user_);
    GetProgramFolder();
    QCOMPARE(ProgramFolder.compare(user_, Qt::CaseInsensitive), 0);
    QCOMPARE(QDir(user_).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
}

void tst_relocation::failedCopyKeepsInstallAndNextStartCompletes() {
    // A folder in the way of one picture database makes its copy fail.
    QDir().mkpath(user_ + "/DATA/B738.skr");
    GetProgramFolder();
    QCOMPARE(ProgramFolder, install_);
    QVERIFY(!IsFormLoaded("frmMaintenance"));
    for (const char* s : {"/DATA/B738.skr", "/DATA/A320.skr", "/SOUND/correct.wav"}) QVERIFY(QFile::exists(install_ + s));
    // No half-copied file is left under a real name.
    for (const QString& name : QDir(user_ + "/DATA").entryList(QDir::Files)) QVERIFY2(!name.endsWith(".part"), qPrintable(name));

    QDir(user_ + "/DATA/B738.skr").removeRecursively();
    ProgramFolder.clear();
    GetProgramFolder();
    QCOMPARE(ProgramFolder, user_);
    QCOMPARE(read(user_ + "/DATA/B738.skr"), QByteArray("b738 pictures"));
    QVERIFY(!QFileInfo::exists(install_ + "/DATA"));
}

void tst_relocation::noAppDataFolder() {
    fake_->folders.appDataPath.clear();
    GetProgramFolder();
    QCOMPARE(ProgramFolder, install_);
    QVERIFY(QFileInfo(install_ + "/DATA").isDir());
}

void tst_relocation::listMissingFiles() {
    write(user_ + "/DATA/A320.skr", "x");
    QDir().mkpath(install_ + "/DATA/subfolder");
    const QStringList missing = ListMissingFiles(install_ + "/DATA", user_ + "/DATA").split("\r\n");
    QCOMPARE(missing, QStringList{"B738.skr"});
    QCOMPARE(ListMissingFiles(user_ + "/DATA", install_ + "/DATA"), QString());
}

QTEST_MAIN(tst_relocation)
#include "tst_relocation.moc"
