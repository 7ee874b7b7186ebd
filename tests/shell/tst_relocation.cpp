// The first-run move of the data from the install folder into the user
// folder, on temporary folders.
#include "shell/appstate.h"
#include "shell/folders.h"
#include "shell/testdoubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QProcess>
#include <QtTest>

#include <unistd.h>

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
    void copiesAreWritableByTheirOwner_data();
    void copiesAreWritableByTheirOwner();
    void sharedInstallIsNeverDeleted();
    void fullDiskGivesMessageAndNoPartialFolder_data();
    void fullDiskGivesMessageAndNoPartialFolder();

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
    // No half-copied file is left under a real name, and none of this
    // start's copies either: the user folder is as this start found it.
    for (const QString& name : QDir(user_ + "/DATA").entryList(QDir::Files)) QVERIFY2(!name.endsWith(".part"), qPrintable(name));
    QVERIFY(!QFile::exists(user_ + "/DATA/A320.skr"));
    QVERIFY(!QFileInfo::exists(user_ + "/SOUND"));

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

void tst_relocation::copiesAreWritableByTheirOwner_data() {
    QTest::addColumn<bool>("copiedBefore");
    QTest::newRow("copied now from a read-only install") << false;
    QTest::newRow("left read-only by an earlier start") << true;
}

void tst_relocation::copiesAreWritableByTheirOwner() {
    QFETCH(bool, copiedBefore);
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    const QStringList files = {"/DATA/B738.skr", "/SOUND/correct.wav", "/skyrendel.skr", "/skyrendeluserdata.skr"};
    for (const QString& f : files) {
        QVERIFY(QFile::setPermissions(install_ + f, readOnly));
        if (copiedBefore) {
            write(user_ + f, "copied earlier");
            QVERIFY(QFile::setPermissions(user_ + f, readOnly));
        }
    }
    const FolderMoveResult r = GetProgramFolder();
    QCOMPARE(int(r.result), int(FolderMove::Done));
    for (const QString& f : files) {
        const QFile::Permissions p = QFileInfo(user_ + f).permissions();
        QVERIFY2(p & QFile::WriteOwner, qPrintable(f));
        // Readable by others as the install made it; writable by no one else.
        QVERIFY2(!(p & QFile::WriteOther) && !(p & QFile::WriteGroup), qPrintable(f));
    }
}

void tst_relocation::sharedInstallIsNeverDeleted() {
    // The data folder of an installed program serves every user.
    SetInstallFolderForTests(install_, true);
    const FolderMoveResult r = GetProgramFolder();
    QCOMPARE(int(r.result), int(FolderMove::Done));
    QCOMPARE(ProgramFolder, user_);
    QCOMPARE(read(user_ + "/DATA/B738.skr"), QByteArray("b738 pictures"));
    for (const char* s : {"/DATA/B738.skr", "/DATA/A320.skr", "/SOUND/correct.wav", "/TEMP/leftover.tmp"})
        QVERIFY2(QFile::exists(install_ + s), s);
}

void tst_relocation::fullDiskGivesMessageAndNoPartialFolder_data() {
    QTest::addColumn<int>("diskKiB");
    QTest::addColumn<int>("pictureKiB");
    // The pictures alone do not fit; they fit, but not with the room the
    // program needs beside them.
    QTest::newRow("pictures larger than the disk") << 256 << 400;
    QTest::newRow("no room left beside the pictures") << 1024 << 400;
}

void tst_relocation::fullDiskGivesMessageAndNoPartialFolder() {
    QFETCH(int, diskKiB);
    QFETCH(int, pictureKiB);
    if (geteuid() != 0) QSKIP("mounting a small disk for the user folder needs root");
    const QString disk = fake_->folders.appDataPath;
    QDir().mkpath(disk);
    QProcess mount;
    mount.start("mount", {"-t", "tmpfs", "-o", QString("size=%1k").arg(diskKiB), "tmpfs", disk});
    if (!mount.waitForFinished(10000) || mount.exitCode() != 0)
        QSKIP(qPrintable("cannot mount a small disk here: " + QString::fromLocal8Bit(mount.readAllStandardError())));
    auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
    write(install_ + "/DATA/B738.skr", QByteArray(pictureKiB * 1024, 'p'));
    write(install_ + "/DATA/A320.skr", QByteArray(pictureKiB * 512, 'q'));
    const QStringList before = QDir(install_ + "/DATA").entryList(QDir::Files);

    const FolderMoveResult r = GetProgramFolder();
    QCOMPARE(int(r.result), int(FolderMove::Failed));
    QCOMPARE(ProgramFolder, install_);
    // Says how much is needed where.
    QVERIFY2(r.message.contains(user_), qPrintable(r.message));
    QVERIFY2(r.message.contains(QString("needs %1 MB").arg((r.bytesNeeded + 1024 * 1024 - 1) / (1024 * 1024))),
             qPrintable(r.message));
    QVERIFY(r.bytesNeeded > r.bytesFree);
    QVERIFY(r.bytesNeeded >= pictureKiB * 1024 * 3 / 2);
    // No partial folder, and the disk is as empty as it was.
    QVERIFY(!QFileInfo::exists(user_));
    QCOMPARE(QDir(disk).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    // The install folder is whole.
    QCOMPARE(QDir(install_ + "/DATA").entryList(QDir::Files), before);
    QCOMPARE(QFileInfo(install_ + "/DATA/B738.skr").size(), qint64(pictureKiB) * 1024);
    QVERIFY(QFile::exists(install_ + "/SOUND/correct.wav"));
    QVERIFY(!IsFormLoaded("frmMaintenance"));
}

QTEST_MAIN(tst_relocation)
#include "tst_relocation.moc"
