// The rename program run as a real process in temporary folders, on archives
// made for each case.
#include "archives.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using sky::rename::testing::Entry;
using sky::rename::testing::MakeArchive;

namespace {

const QString kRenameBinary = QStringLiteral(SKY_RENAME_BINARY);

// The new program of every archive: a script that leaves a marker beside it
// when it starts.
// It records its session: a restarted program runs in a session of its own.
const QByteArray kNewProgram =
    "#!/bin/sh\nread -r stat < /proc/$$/stat\nset -- $stat\necho \"$6\" > \"$(dirname \"$0\")/marker.tmp\"\n"
    "mv \"$(dirname \"$0\")/marker.tmp\" \"$(dirname \"$0\")/marker\"\n";
const QByteArray kOldProgram = "#!/bin/sh\necho old > \"$(dirname \"$0\")/old-marker\"\n";

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Write(const QString& path, const QByteArray& bytes, bool executable = false) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(bytes);
    f.close();
    if (executable) f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    return true;
}

QStringList Listing(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// A program folder inside a root folder of its own, so that anything written
// outside the program folder shows in the root.
struct ProgramFolder {
    QTemporaryDir root;
    QString folder;
    QString rename;
    QString name;   // the program's file name, unique to this test process
    QString prog;

    ProgramFolder() {
        name = QStringLiteral("Prog%1").arg(QCoreApplication::applicationPid());
        folder = root.path() + "/app";
        QDir().mkpath(folder);
        rename = folder + "/Rename";
        QFile::copy(kRenameBinary, rename);
        prog = folder + "/" + name;
    }
    QString log() const { return folder + "/TEMP/Rename.log"; }
    QStringList logLines() const {
        QString text = QString::fromUtf8(Read(log()));
        if (text.endsWith('\n')) text.chop(1);
        return text.split('\n');
    }
    // Runs the rename program to its end; its exit code.
    int run(const QStringList& args, double retrySeconds = 0) const {
        QProcess p;
        if (retrySeconds > 0) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("SKYRENDEL_RENAME_RETRY_SECONDS", QString::number(retrySeconds));
            p.setProcessEnvironment(env);
        }
        p.start(rename, args);
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished(5000);
            return -1;
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    }
};

} // namespace

class tst_renameprogram : public QObject {
    Q_OBJECT
private slots:
    void emptyArgument_data();
    void emptyArgument();
    void missingArchive();
    void waitsUntilTheProgramHasEnded();
    void replacesAndRestarts_data();
    void replacesAndRestarts();
    void replacesAcrossFileSystems();
    void noPlaceForTheLog();
    void pathWithBlanks_data();
    void pathWithBlanks();
    void refusesUnsafeArchives_data();
    void refusesUnsafeArchives();
    void givesUpOnDamagedArchive_data();
    void givesUpOnDamagedArchive();
    void givesUpWhenTheExecutableCannotBeReplaced();
};

void tst_renameprogram::emptyArgument_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("staleLog");
    QTest::newRow("no argument, no TEMP folder yet") << QStringList() << false;
    QTest::newRow("empty argument over an older log") << QStringList{QString()} << true;
}

void tst_renameprogram::emptyArgument() {
    QFETCH(QStringList, args);
    QFETCH(bool, staleLog);
    ProgramFolder f;
    if (staleLog) {
        QDir().mkpath(f.folder + "/TEMP");
        QVERIFY(Write(f.log(), "an older run\nwith two lines\n"));
    }
    QVERIFY(f.run(args) != 0);
    QCOMPARE(Read(f.log()), QByteArray("Command Line is Empty\n"));
}

void tst_renameprogram::missingArchive() {
    ProgramFolder f;
    QVERIFY(Write(f.prog, kOldProgram, true));
    QVERIFY(f.run({f.prog}) != 0);
    QCOMPARE(f.logLines(), QStringList({f.rename + " " + f.prog, "New EXE file is not found"}));
    QCOMPARE(Read(f.prog), kOldProgram);
}

void tst_renameprogram::waitsUntilTheProgramHasEnded() {
    ProgramFolder f;
    // The old program: a sleeper running under the program's name.
    QVERIFY(QFile::copy("/bin/sleep", f.prog));
    const QByteArray oldBytes = Read(f.prog);
    QVERIFY(MakeArchive(f.prog + ".zip", {{f.name, kNewProgram}}));

    QProcess sleeper;
    sleeper.start(f.prog, {"3"});
    QVERIFY(sleeper.waitForStarted());
    QProcess rename;
    rename.start(f.rename, {f.prog});
    QVERIFY(rename.waitForStarted());

    // While the program runs, its executable stays as it was and the rename
    // program has not gone past its wait.
    // A look counts only when the program was still running after it.
    int looks = 0;
    for (int i = 0; i < 200 && sleeper.state() != QProcess::NotRunning; ++i) {
        const QByteArray bytes = Read(f.prog);
        const QByteArray log = Read(f.log());
        const bool marker = QFile::exists(f.folder + "/marker");
        if (sleeper.waitForFinished(50)) break;
        QCOMPARE(bytes, oldBytes);
        QVERIFY(!log.contains("Number of iterations"));
        QVERIFY(!marker);
        ++looks;
    }
    QVERIFY(looks > 1);
    QCOMPARE(sleeper.state(), QProcess::NotRunning);
    QVERIFY(rename.waitForFinished(30000));
    QCOMPARE(rename.exitCode(), 0);

    const QStringList lines = f.logLines();
    QVERIFY(lines.size() > 1);
    const QRegularExpressionMatch m =
        QRegularExpression("^Number of iterations while process is still loaded = (\\d+)$").match(lines.at(1));
    QVERIFY2(m.hasMatch(), qPrintable(lines.at(1)));
    QVERIFY2(m.captured(1).toInt() > 1, qPrintable(lines.at(1)));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.folder + "/marker"), 10000);
    QCOMPARE(Read(f.prog), kNewProgram);
}

void tst_renameprogram::replacesAndRestarts_data() {
    QTest::addColumn<QString>("entryName");
    QTest::newRow("new executable under another name") << "ProgNew";
    QTest::newRow("new executable under the program's own name") << "%NAME%";
}

void tst_renameprogram::replacesAndRestarts() {
    QFETCH(QString, entryName);
    ProgramFolder f;
    entryName.replace("%NAME%", f.name);
    QVERIFY(Write(f.prog, kOldProgram, true));
    // Stored without execute permission: the program must still start.
    QVERIFY(MakeArchive(f.prog + ".zip", {{entryName, kNewProgram, 0100644}}));

    QCOMPARE(f.run({f.prog}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.folder + "/marker"), 10000);
    QVERIFY(!QFile::exists(f.folder + "/old-marker"));
    // Started detached: in a session of its own, not the rename program's.
    const qint64 session = Read(f.folder + "/marker").trimmed().toLongLong();
    QVERIFY(session > 0);
    QVERIFY(session != qint64(::getsid(0)));
    QCOMPARE(Read(f.prog), kNewProgram);
    QVERIFY(QFileInfo(f.prog).isExecutable());
    QVERIFY(!QFile::exists(f.prog + ".zip"));
    // Nothing else is left behind: no unpacked copy, no temporary file.
    QCOMPARE(Listing(f.folder), QStringList({f.name, "Rename", "TEMP", "marker"}));

    const QStringList lines = f.logLines();
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines.at(0), f.rename + " " + f.prog);
    QCOMPARE(lines.at(1), QString("Number of iterations while process is still loaded = 0"));
    QVERIFY2(QRegularExpression("^Unzipped OK : number of attempts = 1, time = \\d+\\.\\d+ seconds$")
                 .match(lines.at(2)).hasMatch(), qPrintable(lines.at(2)));
    QCOMPARE(lines.at(3), "OLD File: " + f.prog);
    QCOMPARE(lines.at(4), "ZIP File: " + f.prog + ".zip");
    QCOMPARE(lines.at(5), "NEW File: " + f.folder + "/" + entryName);
    QVERIFY2(QRegularExpression("^Renamed OK : number of attempts = \\d+, time = \\d+\\.\\d+ seconds$")
                 .match(lines.at(6)).hasMatch(), qPrintable(lines.at(6)));
}

void tst_renameprogram::replacesAcrossFileSystems() {
    // The program lives on another file system than the rename program.
    QTemporaryDir other(QStringLiteral("/dev/shm/skyrendel-rename-XXXXXX"));
    if (!other.isValid()) QSKIP("no second file system at /dev/shm");
    ProgramFolder f;
    const QString prog = other.path() + "/" + f.name;
    QVERIFY(Write(prog, kOldProgram, true));
    QVERIFY(MakeArchive(prog + ".zip", {{"ProgNew", kNewProgram}}));

    QCOMPARE(f.run({prog}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(other.path() + "/marker"), 10000);
    QCOMPARE(Read(prog), kNewProgram);
    QVERIFY(QFileInfo(prog).isExecutable());
    QCOMPARE(Listing(other.path()), QStringList({f.name, "marker"}));
    QCOMPARE(Listing(f.folder), QStringList({"Rename", "TEMP"}));
}

void tst_renameprogram::noPlaceForTheLog() {
    // "TEMP" is taken by a file: without its log the update still applies.
    ProgramFolder f;
    QVERIFY(Write(f.folder + "/TEMP", "a file in the way"));
    QVERIFY(Write(f.prog, kOldProgram, true));
    QVERIFY(MakeArchive(f.prog + ".zip", {{"ProgNew", kNewProgram}}));
    QCOMPARE(f.run({f.prog}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.folder + "/marker"), 10000);
    QCOMPARE(Read(f.prog), kNewProgram);
    QCOMPARE(Read(f.folder + "/TEMP"), QByteArray("a file in the way"));
}

void tst_renameprogram::pathWithBlanks_data() {
    QTest::addColumn<bool>("split");
    QTest::newRow("one argument") << false;
    QTest::newRow("split at the blanks") << true;
}

void tst_renameprogram::pathWithBlanks() {
    QFETCH(bool, split);
    ProgramFolder f;
    const QString folder = f.root.path() + "/My  Aircraft Programs";
    QVERIFY(QDir().mkpath(folder));
    const QString prog = folder + "/" + f.name;
    QVERIFY(Write(prog, kOldProgram, true));
    QVERIFY(MakeArchive(prog + ".zip", {{"ProgNew", kNewProgram}}));

    QCOMPARE(f.run(split ? prog.split(' ') : QStringList{prog}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + "/marker"), 10000);
    QCOMPARE(Read(prog), kNewProgram);
    QCOMPARE(f.logLines().value(0), f.rename + " " + prog);
    QCOMPARE(f.logLines().value(3), "OLD File: " + prog);
}

void tst_renameprogram::refusesUnsafeArchives_data() {
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<QString>("reason");
    const QString outside = "%ROOT%/outside";
    QTest::newRow("parent folder") << QList<Entry>{{"../outside", kNewProgram}} << "leads out of the folder";
    QTest::newRow("parent folder further down")
        << QList<Entry>{{"sub/../../outside", kNewProgram}} << "leads out of the folder";
    QTest::newRow("absolute path") << QList<Entry>{{outside, kNewProgram}} << "has an absolute path";
    QTest::newRow("symbolic link named like the program")
        << QList<Entry>{{"%NAME%", "%ROOT%/outside", 0120777}} << "is a symbolic link";
    QTest::newRow("two files") << QList<Entry>{{"%NAME%", kNewProgram}, {"Other", "x"}} << "holds 2 entries";
    QTest::newRow("folder holding the file")
        << QList<Entry>{{"sub/", {}, 040755, true}, {"sub/%NAME%", kNewProgram}} << "is a folder";
    QTest::newRow("file inside a folder") << QList<Entry>{{"sub/%NAME%", kNewProgram}} << "is not at the top level";
    QTest::newRow("folder alone") << QList<Entry>{{"%NAME%/", {}, 040755, true}} << "is a folder";
}

void tst_renameprogram::refusesUnsafeArchives() {
    QFETCH(QList<Entry>, entries);
    QFETCH(QString, reason);
    ProgramFolder f;
    for (Entry& e : entries) {
        e.name.replace("%ROOT%", f.root.path()).replace("%NAME%", f.name);
        e.bytes.replace("%ROOT%", f.root.path().toUtf8());
    }
    QVERIFY(Write(f.prog, kOldProgram, true));
    QVERIFY(MakeArchive(f.prog + ".zip", entries));
    const QByteArray archive = Read(f.prog + ".zip");

    QVERIFY(f.run({f.prog}) != 0);
    const QStringList lines = f.logLines();
    QVERIFY2(lines.last().startsWith("Error unzipping: archive refused: "), qPrintable(lines.last()));
    QVERIFY2(lines.last().contains(reason), qPrintable(lines.last()));
    QVERIFY(!lines.join('\n').contains("OLD File"));
    QCOMPARE(Read(f.prog), kOldProgram);
    QCOMPARE(Read(f.prog + ".zip"), archive);
    QCOMPARE(Listing(f.root.path()), QStringList({"app"}));
    QCOMPARE(Listing(f.folder), QStringList({f.name, f.name + ".zip", "Rename", "TEMP"}));
    QCOMPARE(Listing(f.folder + "/TEMP"), QStringList({"Rename.log"}));
}

void tst_renameprogram::givesUpOnDamagedArchive_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("not an archive") << "garbage";
    QTest::newRow("cut in half") << "truncated";
    QTest::newRow("damaged contents") << "flipped";
    QTest::newRow("damaged contents, stored uncompressed") << "flipped-stored";
}

void tst_renameprogram::givesUpOnDamagedArchive() {
    QFETCH(QString, damage);
    ProgramFolder f;
    QVERIFY(Write(f.prog, kOldProgram, true));
    // A large new program, so the damage lies in its contents.
    QByteArray big(256 * 1024, Qt::Uninitialized);
    QRandomGenerator gen(42);
    gen.fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
    Entry entry{f.name, big};
    entry.stored = damage.endsWith("stored");
    QVERIFY(MakeArchive(f.prog + ".zip", {entry}));
    QByteArray bytes = Read(f.prog + ".zip");
    if (damage == "garbage") bytes = QByteArray("this is no archive\r\n").repeated(50);
    else if (damage == "truncated") bytes.truncate(bytes.size() / 2);
    else
        for (int i = 0; i < 64; ++i) bytes[bytes.size() / 2 + i] = char(~bytes.at(bytes.size() / 2 + i));
    QVERIFY(Write(f.prog + ".zip", bytes));

    QVERIFY(f.run({f.prog}, 1.0) != 0);
    const QStringList lines = f.logLines();
    const QRegularExpressionMatch m =
        QRegularExpression("^Error unzipping still happens: exit by timeout \\((\\d+\\.\\d+) seconds\\): (.+)$")
            .match(lines.last());
    QVERIFY2(m.hasMatch(), qPrintable(lines.last()));
    QVERIFY2(m.captured(1).toDouble() >= 1.0, qPrintable(lines.last()));
    QVERIFY(!lines.join('\n').contains("OLD File"));
    QCOMPARE(Read(f.prog), kOldProgram);
    QCOMPARE(Read(f.prog + ".zip"), bytes);
    QCOMPARE(Listing(f.folder), QStringList({f.name, f.name + ".zip", "Rename", "TEMP"}));
}

void tst_renameprogram::givesUpWhenTheExecutableCannotBeReplaced() {
    ProgramFolder f;
    // The program's path is taken by a folder that holds a file.
    QVERIFY(QDir().mkpath(f.prog));
    QVERIFY(Write(f.prog + "/inside", "kept"));
    QVERIFY(MakeArchive(f.prog + ".zip", {{"ProgNew", kNewProgram}}));

    QVERIFY(f.run({f.prog}, 1.0) != 0);
    const QStringList lines = f.logLines();
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines.at(5), "NEW File: " + f.folder + "/ProgNew");
    QVERIFY2(QRegularExpression("^Error renaming still happens: exit by timeout \\(\\d+\\.\\d+ seconds\\): .+$")
                 .match(lines.at(6)).hasMatch(), qPrintable(lines.at(6)));
    QVERIFY(QFile::exists(f.prog + ".zip"));
    QCOMPARE(Read(f.prog + "/inside"), QByteArray("kept"));
    QVERIFY(!QFile::exists(f.folder + "/marker"));
}

QTEST_GUILESS_MAIN(tst_renameprogram)
#include "tst_renameprogram.moc"
