// A new program version end to end: a key pair made by skyrendel-publish,
// a program archive published and signed with it, served by the real
// update server on 127.0.0.1; the program (a process of its own) fetches
// and checks it, writes out its embedded rename program, starts it and
// ends; the rename program waits for every process of the program's name
// to end, puts the new executable (a script) in place and starts it.
#include "endtoendfixture.h"

#include "../rename/archives.h"
#include "shell/appstate.h"
#include "shell/settings.h"
#include "updates/modUpdates.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace sky;
using namespace sky::endtoend;
using namespace sky::servertest;

namespace {

const char* kStamp = "2026-12-18 1";
const QString kHelper = QStringLiteral(SKY_UPDATE_HELPER);
const QString kRenameBinary = QStringLiteral(SKY_RENAME_BINARY);

// The new version: a script that leaves a marker beside it when it starts.
const QByteArray kNewProgram =
    "#!/bin/sh\necho restarted > \"$(dirname \"$0\")/marker.tmp\"\n"
    "mv \"$(dirname \"$0\")/marker.tmp\" \"$(dirname \"$0\")/marker\"\n";

bool MakeExecutable(const QString& path) {
    QFile f(path);
    return f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QStringList Lines(const QString& path) {
    return QString::fromUtf8(ReadAll(path)).split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
}

struct HelperRun {
    int exitCode = -1;
    bool normalExit = false;
    QString out;
};

} // namespace

class TestSelfUpdate : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_, config_;
    QString catalog_, goodKey_, otherKey_, name_;
    QByteArray publicKey_;

    // A program folder: the catalogue and user database as built, and this
    // helper copied in under the program's name as the running program.
    QString makeProgramFolder(const QString& dir) {
        const QString why = BuildCatalog(tmp_.filePath("src"), dir);
        if (!why.isEmpty()) return why;
        if (!QFile::copy(kHelper, dir + "/" + name_) || !MakeExecutable(dir + "/" + name_)) return "no program copy";
        return {};
    }

    // A publish of the catalogue with the program archive (holding one file
    // named `inner`) signed with `key`, in a root of its own.
    QString publishVersion(const QString& root, const QString& inner, const QString& key) {
        const QString zipDir = root + "-zip";
        QDir().mkpath(zipDir);
        if (!rename::testing::MakeArchive(zipDir + "/" + name_ + ".zip", {{inner, kNewProgram}}))
            return "archive not made";
        return Publish({"publish", catalog_, root, "--program", zipDir + "/" + name_ + ".zip", "--version", "1.4",
                        "--key", key + "/skyrendel-sign.key"});
    }

    HelperRun runProgram(const QString& folder, const QString& serverBase) {
        SaveAppSetting("UpdateServer", serverBase);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config_.path());
        env.insert("SKY_TEST_UPDATE_KEY", publicKey_.toHex());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        p.start(folder + "/" + name_, {folder});
        HelperRun r;
        if (!p.waitForStarted(10000)) return r;
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished(5000);
            return r;
        }
        r.normalExit = p.exitStatus() == QProcess::NormalExit;
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        return r;
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid() && config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        SetAppTitleLive("SkyrendelEndToEnd"); // the settings store the program reads
        // Unique to this test process: the rename program waits for every
        // process of this name.
        name_ = QStringLiteral("SkyE2E%1").arg(QCoreApplication::applicationPid());
        QCOMPARE(WriteCatalogSource(tmp_.filePath("src"), {{1, "B738", "Boeing 737-800", 2}}, kStamp), QString());
        catalog_ = tmp_.filePath("catalog");
        QCOMPARE(BuildCatalog(tmp_.filePath("src"), catalog_), QString());
        goodKey_ = tmp_.filePath("key");
        otherKey_ = tmp_.filePath("other-key");
        QCOMPARE(Publish({"keygen", goodKey_}), QString());
        QCOMPARE(Publish({"keygen", otherKey_}), QString());
        publicKey_ = ReadAll(goodKey_ + "/skyrendel-sign.pub");
        QCOMPARE(publicKey_.size(), 32);
    }

    // The archive's file under the program's own name is unpacked straight
    // into place; under another name it is unpacked beside and then moved.
    void signedVersionReplacesAndRestarts_data() {
        QTest::addColumn<bool>("sameName");
        QTest::newRow("archive file named as the program") << true;
        QTest::newRow("archive file of another name") << false;
    }
    void signedVersionReplacesAndRestarts() {
        QFETCH(bool, sameName);
        QTemporaryDir dir;
        const QString program = dir.filePath("app"), root = dir.filePath("publish");
        QCOMPARE(makeProgramFolder(program), QString());
        const QString inner = sameName ? name_ : QStringLiteral("skyrendel-new");
        QCOMPARE(publishVersion(root, inner, goodKey_), QString());
        ServerProcess server;
        QVERIFY(server.start(root));
        const QString exe = program + "/" + name_;
        const QByteArray oldProgram = ReadAll(exe);

        // Another process of the program's name, still ending: the rename
        // program must not touch the executable until it is gone.
        QTemporaryDir lingerDir;
        const QString linger = lingerDir.filePath(name_);
        QVERIFY(QFile::copy("/bin/sleep", linger) && MakeExecutable(linger));
        QProcess lingering;
        lingering.start(linger, {"60"}); // ended by this test below
        QVERIFY(lingering.waitForStarted(5000));

        const HelperRun run = runProgram(program, server.base());
        QVERIFY2(run.normalExit, qPrintable(run.out));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts),
                 QStringList{QString("MESSAGE ") + updates::kRestartMessage});
        // The rename program written out is the real one, byte for byte.
        QCOMPARE(ReadAll(program + "/Rename"), ReadAll(kRenameBinary));
        QVERIFY(QFileInfo(program + "/Rename").isExecutable());

        // Nothing replaced while a process of the program's name runs, even
        // given time.
        QTest::qWait(1000);
        QVERIFY(lingering.state() == QProcess::Running);
        QCOMPARE(ReadAll(exe), oldProgram);
        QVERIFY(!QFile::exists(program + "/marker"));
        QVERIFY(QFile::exists(exe + ".zip"));
        lingering.terminate();
        QVERIFY(lingering.waitForFinished(10000));

        // Then the new version is put in place and started.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program + "/marker"), 20000);
        QCOMPARE(ReadAll(program + "/marker"), QByteArray("restarted\n"));
        QCOMPARE(ReadAll(exe), kNewProgram);
        QVERIFY(QFileInfo(exe).isExecutable());
        QVERIFY(!QFile::exists(exe + ".zip"));
        QVERIFY(!QFile::exists(program + "/skyrendel-new"));
        // The catalogue backup stays behind after a restart into a new version.
        QVERIFY(QFile::exists(program + "/skyrendel_backup.skr"));

        const QStringList log = Lines(program + "/TEMP/Rename.log");
        QCOMPARE(log.size(), 7);
        QVERIFY2(log[0].endsWith(" " + exe), qPrintable(log[0]));
        const QString wait = "Number of iterations while process is still loaded = ";
        QVERIFY2(log[1].startsWith(wait) && log[1].mid(wait.size()).toInt() > 0, qPrintable(log[1]));
        QVERIFY2(log[2].startsWith("Unzipped OK : number of attempts = 1, time = "), qPrintable(log[2]));
        QCOMPARE(log[3], "OLD File: " + exe);
        QCOMPARE(log[4], "ZIP File: " + exe + ".zip");
        QCOMPARE(log[5], "NEW File: " + program + "/" + inner);
        QVERIFY2(log[6].startsWith(QString("Renamed OK : number of attempts = %1, time = ").arg(sameName ? 0 : 1)),
                 qPrintable(log[6]));
        server.stop();
    }

    // An archive signed with a key other than the program's: refused, and
    // the program keeps running on the old version.
    void wronglySignedVersionIsRefused() {
        QTemporaryDir dir;
        const QString program = dir.filePath("app"), root = dir.filePath("publish");
        QCOMPARE(makeProgramFolder(program), QString());
        QCOMPARE(publishVersion(root, name_, otherKey_), QString());
        ServerProcess server;
        QVERIFY(server.start(root));
        const QString exe = program + "/" + name_;
        const QByteArray oldProgram = ReadAll(exe);
        const QByteArray catalogue = ReadAll(program + "/skyrendel.skr");

        const HelperRun run = runProgram(program, server.base());
        QVERIFY2(run.normalExit, qPrintable(run.out));
        QCOMPARE(run.exitCode, 3); // ran to its end: no restart
        QCOMPARE(run.out.split('\n', Qt::SkipEmptyParts),
                 (QStringList{QString("MESSAGE ") + updates::kNotVerifiedMessage, "STILL RUNNING"}));
        QCOMPARE(ReadAll(exe), oldProgram);
        QCOMPARE(ReadAll(program + "/skyrendel.skr"), catalogue);
        const QStringList left = QDir(program).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(left, (QStringList{"DATA", name_, "skyrendel.skr", "skyrendeluserdata.skr"}));
        server.stop();
    }
};

QTEST_MAIN(TestSelfUpdate)
#include "tst_selfupdate.moc"
