// The rename program carried inside the main program and written out.
#include "rename/embedded.h"
#include "shell/appstate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace sky;

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList Listing(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

class tst_renameembedded : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { ProgramFolder.clear(); }
    void writesTheBuiltProgram();
    void writtenProgramRuns();
    void replacesARunningCopy();
    void refusesWithoutLeavingFiles_data();
    void refusesWithoutLeavingFiles();
    void unwritableFolderKeepsTheOldFile();
};

void tst_renameembedded::writesTheBuiltProgram() {
    const QByteArray built = Read(QStringLiteral(SKY_RENAME_BINARY));
    QVERIFY(built.size() > 1000);
    QCOMPARE(rename::EmbeddedRenameProgram(), built);

    QTemporaryDir d;
    ProgramFolder = d.path();
    // An older rename program is replaced.
    QFile old(d.path() + "/Rename");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older, shorter program");
    old.close();

    QVERIFY(rename::ExtractEmbeddedFile("Rename"));
    QCOMPARE(Read(d.path() + "/Rename"), built);
    const QFileDevice::Permissions p = QFileInfo(d.path() + "/Rename").permissions();
    QVERIFY(p & QFileDevice::ExeOwner);
    QVERIFY(p & QFileDevice::ExeGroup);
    QVERIFY(p & QFileDevice::ExeOther);
    QCOMPARE(Listing(d.path()), QStringList({"Rename"}));

    // The folder given with its separator writes to the same place.
    ProgramFolder = d.path() + "/";
    QVERIFY(rename::ExtractEmbeddedFile("Rename"));
    QCOMPARE(Listing(d.path()), QStringList({"Rename"}));
}

void tst_renameembedded::writtenProgramRuns() {
    QTemporaryDir d;
    ProgramFolder = d.path();
    QVERIFY(rename::ExtractEmbeddedFile("Rename"));
    QProcess p;
    p.start(d.path() + "/Rename", {});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(Read(d.path() + "/TEMP/Rename.log"), QByteArray("Command Line is Empty\n"));
}

void tst_renameembedded::replacesARunningCopy() {
    // An older rename program still running from the file being replaced.
    QTemporaryDir d;
    ProgramFolder = d.path();
    QVERIFY(QFile::copy("/bin/sleep", d.path() + "/Rename"));
    QProcess running;
    running.start(d.path() + "/Rename", {"30"});
    QVERIFY(running.waitForStarted());

    const bool written = rename::ExtractEmbeddedFile("Rename");
    running.kill();
    running.waitForFinished(5000);
    QVERIFY(written);
    QCOMPARE(Read(d.path() + "/Rename"), rename::EmbeddedRenameProgram());
    QCOMPARE(Listing(d.path()), QStringList({"Rename"}));
}

void tst_renameembedded::refusesWithoutLeavingFiles_data() {
    QTest::addColumn<QString>("folder");     // relative to the temporary root; "-" for no folder at all
    QTest::addColumn<QString>("fileName");
    QTest::newRow("folder under a regular file") << "plain/sub" << "Rename";
    QTest::newRow("path instead of a name") << "app" << "../Rename";
    QTest::newRow("folder name") << "app" << "..";
    QTest::newRow("empty name") << "app" << "";
    QTest::newRow("no program folder yet") << "-" << "Rename";
}

void tst_renameembedded::refusesWithoutLeavingFiles() {
    QFETCH(QString, folder);
    QFETCH(QString, fileName);
    QTemporaryDir root;
    QVERIFY(QDir().mkpath(root.path() + "/app"));
    QFile plain(root.path() + "/plain");
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("a regular file");
    plain.close();
    ProgramFolder = folder == "-" ? QString() : root.path() + "/" + folder;
    const bool rootHadIt = QFile::exists("/" + fileName);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(root.path() + "/app");

    const bool written = rename::ExtractEmbeddedFile(fileName);
    QDir::setCurrent(cwd);
    QVERIFY(!written);
    QCOMPARE(Listing(root.path()), QStringList({"app", "plain"}));
    QCOMPARE(Listing(root.path() + "/app"), QStringList());
    QCOMPARE(Read(root.path() + "/plain"), QByteArray("a regular file"));
    if (!fileName.isEmpty()) QCOMPARE(QFile::exists("/" + fileName), rootHadIt);
}

void tst_renameembedded::unwritableFolderKeepsTheOldFile() {
    if (::geteuid() == 0) QSKIP("permissions do not hold for root");
    QTemporaryDir d;
    QFile old(d.path() + "/Rename");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("older");
    old.close();
    QVERIFY(QFile::setPermissions(d.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ProgramFolder = d.path();
    const bool written = rename::ExtractEmbeddedFile("Rename");
    QFile::setPermissions(d.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!written);
    QCOMPARE(Listing(d.path()), QStringList({"Rename"}));
    QCOMPARE(Read(d.path() + "/Rename"), QByteArray("older"));
}

QTEST_GUILESS_MAIN(tst_renameembedded)
#include "tst_renameembedded.moc"
