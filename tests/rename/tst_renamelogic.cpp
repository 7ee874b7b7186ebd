// The rename program's checks, without running it: which archives are
// refused, how running processes are recognised, when two paths are one file.
#include "rename/renameprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace sky::rename;

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write(bytes) == bytes.size();
}

// One process folder as /proc shows it; an empty exe leaves the link out
// (as for another user's process).
struct FakeProcess {
    QString exe;
    QByteArray cmdline;
    QByteArray comm;
    char state = 'S';
};

bool MakeProcess(const QString& dir, const FakeProcess& p) {
    QDir().mkpath(dir);
    if (!p.exe.isEmpty() && !QFile::link(p.exe, dir + "/exe")) return false;
    return Write(dir + "/cmdline", p.cmdline) && Write(dir + "/comm", p.comm) &&
           Write(dir + "/stat", QByteArray("4242 (") + p.comm.trimmed() + ") " + p.state + " 1 4242 4242 0 -1\n");
}

} // namespace

Q_DECLARE_METATYPE(FakeProcess)

class tst_renamelogic : public QObject {
    Q_OBJECT
private slots:
    void archiveRefusal_data();
    void archiveRefusal();
    void processExecutableName_data();
    void processExecutableName();
    void processRunning();
    void sameFile();
};

void tst_renamelogic::archiveRefusal_data() {
    QTest::addColumn<QList<ArchiveEntry>>("entries");
    QTest::addColumn<QString>("reason");   // empty: accepted
    const quint32 file = 0100755, link = 0120777, dir = 040755;
    QTest::newRow("one file") << QList<ArchiveEntry>{{"Skyrendel", true, file}} << "";
    QTest::newRow("one file without a mode") << QList<ArchiveEntry>{{"Skyrendel", false, 0}} << "";
    QTest::newRow("mode with permissions only") << QList<ArchiveEntry>{{"Skyrendel", true, 0755}} << "";
    QTest::newRow("name with dots inside") << QList<ArchiveEntry>{{"..Skyrendel..", true, file}} << "";
    QTest::newRow("nothing") << QList<ArchiveEntry>{} << "holds no file";
    QTest::newRow("no name") << QList<ArchiveEntry>{{"", true, file}} << "has no name";
    QTest::newRow("absolute") << QList<ArchiveEntry>{{"/tmp/abs", true, file}} << "absolute path";
    QTest::newRow("absolute, backslash") << QList<ArchiveEntry>{{"\\tmp\\abs", false, 0}} << "absolute path";
    QTest::newRow("drive letter") << QList<ArchiveEntry>{{"C:evil", false, 0}} << "absolute path";
    QTest::newRow("parent") << QList<ArchiveEntry>{{"../x", true, file}} << "leads out";
    QTest::newRow("parent alone") << QList<ArchiveEntry>{{"..", true, file}} << "leads out";
    QTest::newRow("parent, backslash") << QList<ArchiveEntry>{{"a\\..\\..\\x", false, 0}} << "leads out";
    QTest::newRow("symbolic link") << QList<ArchiveEntry>{{"Skyrendel", true, link}} << "symbolic link";
    QTest::newRow("folder") << QList<ArchiveEntry>{{"sub/", true, dir}} << "is a folder";
    QTest::newRow("folder by mode") << QList<ArchiveEntry>{{"sub", true, dir}} << "is a folder";
    QTest::newRow("inside a folder") << QList<ArchiveEntry>{{"sub/Skyrendel", true, file}} << "top level";
    QTest::newRow("device") << QList<ArchiveEntry>{{"Skyrendel", true, 020644}} << "not a regular file";
    QTest::newRow("dot") << QList<ArchiveEntry>{{".", true, file}} << "not a file name";
    QTest::newRow("two files") << QList<ArchiveEntry>{{"Skyrendel", true, file}, {"readme", true, 0100644}}
                               << "holds 2 entries";
    QTest::newRow("a safe file, then a link")
        << QList<ArchiveEntry>{{"Skyrendel", true, file}, {"x", true, link}} << "symbolic link";
}

void tst_renamelogic::archiveRefusal() {
    QFETCH(QList<ArchiveEntry>, entries);
    QFETCH(QString, reason);
    const QString refusal = ArchiveRefusal(entries);
    if (reason.isEmpty()) QCOMPARE(refusal, QString());
    else QVERIFY2(refusal.contains(reason), qPrintable(refusal));
}

void tst_renamelogic::processExecutableName_data() {
    QTest::addColumn<FakeProcess>("process");
    QTest::addColumn<QString>("name");
    QTest::newRow("exe link") << FakeProcess{"/opt/sky/Skyrendel", "other\0", "other\n"} << "Skyrendel";
    QTest::newRow("exe replaced while running")
        << FakeProcess{"/opt/sky/Skyrendel (deleted)", "x\0", "x\n"} << "Skyrendel";
    QTest::newRow("no exe link: argv[0]")
        << FakeProcess{"", QByteArray("/opt/sky/Skyrendel\0-x\0", 22), "Skyren\n"} << "Skyrendel";
    QTest::newRow("no exe link, no command line: comm") << FakeProcess{"", "", "Skyrendel\n"} << "Skyrendel";
    QTest::newRow("zombie") << FakeProcess{"/opt/sky/Skyrendel", "", "Skyrendel\n", 'Z'} << "";
}

void tst_renamelogic::processExecutableName() {
    QFETCH(FakeProcess, process);
    QFETCH(QString, name);
    QTemporaryDir proc;
    QVERIFY(MakeProcess(proc.path() + "/4242", process));
    QCOMPARE(ProcessExecutableName(proc.path() + "/4242"), name);
}

void tst_renamelogic::processRunning() {
    QTemporaryDir proc;
    QVERIFY(MakeProcess(proc.path() + "/10", {"/opt/sky/Skyrendel", "", "Skyrendel\n"}));
    QVERIFY(MakeProcess(proc.path() + "/11", {"/usr/bin/bash", "", "bash\n"}));
    QVERIFY(MakeProcess(proc.path() + "/self", {"/opt/sky/Other", "", "Other\n"}));
    QVERIFY(IsProcessRunning("skyrendel", 1, proc.path()));       // case is ignored
    QVERIFY(IsProcessRunning("SKYRENDEL", 1, proc.path()));
    QVERIFY(!IsProcessRunning("Skyrendel", 10, proc.path()));     // itself does not count
    QVERIFY(!IsProcessRunning("Other", 1, proc.path()));          // not a process folder
    QVERIFY(!IsProcessRunning("Skyrendel.exe", 1, proc.path()));
    QVERIFY(!IsProcessRunning("Sky", 1, proc.path()));            // whole names only

    // The real process list holds this test and not a made-up name.
    const QString me = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY(IsProcessRunning(me, 1));
    QVERIFY(!IsProcessRunning(me, QCoreApplication::applicationPid()));
    QVERIFY(!IsProcessRunning("no-such-program-sky", 1));
}

void tst_renamelogic::sameFile() {
    QTemporaryDir d;
    QVERIFY(Write(d.path() + "/Prog", "a"));
    QVERIFY(Write(d.path() + "/prog", "b"));
    QVERIFY(::link(QFile::encodeName(d.path() + "/Prog").constData(),
                   QFile::encodeName(d.path() + "/hard").constData()) == 0);
    QVERIFY(IsSameFile(d.path() + "/Prog", d.path() + "/Prog"));
    QVERIFY(IsSameFile(d.path() + "/Prog", d.path() + "/./sub/../Prog"));
    QVERIFY(IsSameFile(d.path() + "/Prog", d.path() + "/hard"));
    // Names that differ only in case are two files here.
    QVERIFY(!IsSameFile(d.path() + "/Prog", d.path() + "/prog"));
    QVERIFY(!IsSameFile(d.path() + "/Prog", d.path() + "/missing"));
}

QTEST_GUILESS_MAIN(tst_renamelogic)
#include "tst_renamelogic.moc"
