// The installed program as its users meet it: installed with cmake into a
// temporary prefix in the usual layout, made read-only as a package leaves
// it, and started as real processes (offscreen) by root and by an ordinary
// user.
#include "shell/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr char kShown[] = "main window shown";

QString binaryDir() { return QString::fromLocal8Bit(qgetenv("SKY_BINARY_DIR")); }

// Every file and folder under `root` with its size, time and mode.
QStringList snapshot(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo fi(it.next());
        out << QStringLiteral("%1 %2 %3 %4")
                   .arg(fi.filePath().mid(root.size()))
                   .arg(fi.isDir() ? -1 : fi.size())
                   .arg(fi.lastModified().toMSecsSinceEpoch())
                   .arg(int(fi.permissions()), 0, 16);
    }
    out.sort();
    return out;
}

bool run(const QString& program, const QStringList& args, QString* output = nullptr, int ms = 120000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!p.waitForFinished(0)) {
        p.kill();
        p.waitForFinished();
    }
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

// A user of the installed program: a home with its own data and settings.
struct User {
    QString home;
    QProcessEnvironment env;
    QString dataHome() const { return home + "/data"; }
    QString userFolder() const { return dataHome() + "/Skyrendel"; }
};

User makeUser(const QString& home, const QString& startupMode) {
    User u;
    u.home = home;
    QDir().mkpath(home + "/data");
    QDir().mkpath(home + "/config");
    u.env = QProcessEnvironment::systemEnvironment();
    u.env.insert("HOME", home);
    u.env.insert("XDG_DATA_HOME", home + "/data");
    u.env.insert("XDG_CONFIG_HOME", home + "/config");
    u.env.insert("QT_QPA_PLATFORM", "offscreen");
    u.env.remove("XDG_RUNTIME_DIR");
    u.env.insert("SKYRENDEL_MEASURE_STARTUP", startupMode);
    return u;
}

} // namespace

class tst_installed : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void installsInTheUsualLayout();
    void modulesLoadedOnlyWhenUsed_data();
    void modulesLoadedOnlyWhenUsed();
    void answersOnTheTerminal_data();
    void answersOnTheTerminal();
    void firstStartMovesDataThenStartsAgain();
    void readOnlyInstallStartsForOrdinaryUser();
    void twoStartedTogetherGiveOneWindow();
    void channelAndLockGoAtTheEnd_data();
    void channelAndLockGoAtTheEnd();

private:
    QTemporaryDir root_;
    QString prefix_;
    QString program_;
    QString data_;
    QStringList installed_;
};

void tst_installed::initTestCase() {
    QVERIFY(root_.isValid());
    // Ordinary users must reach the install and their homes below it.
    QFile::setPermissions(root_.path(), QFileDevice::Permissions(0x7755));
    prefix_ = root_.path() + "/usr";
    QString out;
    QVERIFY2(run("cmake", {"--install", binaryDir(), "--prefix", prefix_}, &out), qPrintable(out));
    program_ = prefix_ + "/bin/skyrendel";
    data_ = prefix_ + "/share/skyrendel";
    // As a package leaves it: owned by root (or whoever installs), nothing
    // writable, the files 0444.
    QDirIterator it(prefix_, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo fi(it.next());
        QFile::Permissions p = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
        if (fi.isDir() || fi.filePath() == program_)
            p |= QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(fi.filePath(), p));
    }
    installed_ = snapshot(prefix_);
}

void tst_installed::cleanupTestCase() {
    // Let the temporary folder go.
    QDirIterator it(root_.path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) QFile::setPermissions(it.next(), QFileDevice::Permissions(0x7700));
}

void tst_installed::installsInTheUsualLayout() {
    const QStringList expected = {
        "bin/skyrendel",
        "share/skyrendel/skyrendel.skr",
        "share/skyrendel/skyrendeluserdata.skr",
        "share/skyrendel/skrcert.fdp",
        "share/skyrendel/SOUND/correct.wav",
        "share/skyrendel/SOUND/wrong.wav",
        "share/skyrendel/SOUND/projctor.wav",
        "share/applications/org.skyrendel.Skyrendel.desktop",
        "share/metainfo/org.skyrendel.Skyrendel.metainfo.xml",
        "share/icons/hicolor/48x48/apps/org.skyrendel.Skyrendel.png",
        "share/icons/hicolor/256x256/apps/org.skyrendel.Skyrendel.png",
        "share/man/man1/skyrendel.1.gz",
        "share/doc/skyrendel/copyright",
    };
    for (const QString& f : expected) QVERIFY2(QFileInfo(prefix_ + "/" + f).isFile(), qPrintable(f));
    QVERIFY(!QDir(data_ + "/DATA").entryList({"*.skr"}, QDir::Files).isEmpty());
    // Nothing of a build tree's run is installed.
    QVERIFY(!QFileInfo::exists(data_ + "/TEMP"));
    QVERIFY(!QFileInfo::exists(prefix_ + "/bin/skyrendel.skr"));
    const QImage icon(prefix_ + "/share/icons/hicolor/48x48/apps/org.skyrendel.Skyrendel.png");
    QCOMPARE(icon.size(), QSize(48, 48));
    // Drawn, not blank: the centre is opaque and differs from the corner.
    QVERIFY(qAlpha(icon.pixel(24, 24)) == 255);
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
}

void tst_installed::modulesLoadedOnlyWhenUsed_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("entry");
    QTest::newRow("sound") << "skyrendel-sound.so" << "libQt6Multimedia" << "skyrendel_sound_player";
    QTest::newRow("network") << "skyrendel-network.so" << "libQt6Network" << "skyrendel_http_client";
}

void tst_installed::modulesLoadedOnlyWhenUsed() {
    // The program starts without Qt Multimedia and Qt Network; the installed
    // modules bring them, and give the entry points the program looks for.
    QFETCH(QString, file);
    QFETCH(QString, library);
    QFETCH(QString, entry);
    QString needed;
    QVERIFY(run("readelf", {"-d", program_}, &needed));
    QVERIFY2(needed.contains("libQt6Widgets"), qPrintable(needed));
    QVERIFY2(!needed.contains(library), qPrintable(needed));
    QString module;
    QDirIterator found(prefix_, {file}, QDir::Files, QDirIterator::Subdirectories);
    if (found.hasNext()) module = found.next();
    QVERIFY2(module.contains("/lib/") && module.endsWith("/skyrendel/modules/" + file), qPrintable(module));
    QString moduleNeeds;
    QVERIFY(run("readelf", {"-d", module}, &moduleNeeds));
    QVERIFY2(moduleNeeds.contains(library), qPrintable(moduleNeeds));
    QLibrary loaded(module);
    QVERIFY2(loaded.load(), qPrintable(loaded.errorString()));
    QVERIFY(loaded.resolve(entry.toLatin1().constData()) != nullptr);
}

void tst_installed::answersOnTheTerminal_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--version") << "--version" << "Skyrendel 1.3";
    QTest::newRow("-v") << "-v" << "Skyrendel 1.3";
    QTest::newRow("--help") << "--help" << "IDE=1";
}

void tst_installed::answersOnTheTerminal() {
    QFETCH(QString, option);
    QFETCH(QString, expected);
    // No display at all: a terminal.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(program_, {option});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(out.contains(expected), qPrintable(out));
}

void tst_installed::firstStartMovesDataThenStartsAgain() {
    const User u = makeUser(root_.path() + "/home-first", "1");
    for (int start = 0; start < 2; ++start) {
        QProcess p;
        p.setProcessEnvironment(u.env);
        p.start(program_, {});
        QVERIFY(p.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(out.contains(kShown), qPrintable(out));
        for (const char* f : {"/skyrendel.skr", "/skyrendeluserdata.skr", "/skrcert.fdp", "/SOUND/correct.wav"})
            QVERIFY2(QFileInfo(u.userFolder() + f).isFile(), f);
        QCOMPARE(QDir(u.userFolder() + "/DATA").entryList(QDir::Files), QDir(data_ + "/DATA").entryList(QDir::Files));
        QCOMPARE(snapshot(prefix_), installed_);
    }
}

void tst_installed::readOnlyInstallStartsForOrdinaryUser() {
    if (geteuid() != 0) QSKIP("starting the program as another user needs root");
    if (QStandardPaths::findExecutable("setpriv").isEmpty()) QSKIP("setpriv is not installed");
    const passwd* nobody = getpwnam("nobody");
    const group* nogroup = getgrnam("nogroup");
    if (!nobody || !nogroup) QSKIP("no user nobody or group nogroup");
    const User u = makeUser(root_.path() + "/home-nobody", "1");
    for (const QString& d : {u.home, u.home + "/data", u.home + "/config"})
        QCOMPARE(::chown(QFile::encodeName(d).constData(), nobody->pw_uid, nogroup->gr_gid), 0);
    for (int start = 0; start < 2; ++start) {
        QProcess p;
        p.setProcessEnvironment(u.env);
        p.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", program_});
        const bool finished = p.waitForFinished(60000);
        if (!finished) p.kill();
        p.waitForFinished();
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        QVERIFY2(finished, qPrintable(QString("start %1 did not end: %2").arg(start + 1).arg(out)));
        QVERIFY2(p.exitCode() == 0 && out.contains(kShown), qPrintable(QString("start %1: %2").arg(start + 1).arg(out)));
    }
    // The user's copies are theirs and writable by them.
    for (const char* f : {"/skyrendeluserdata.skr", "/skyrendel.skr"}) {
        const QFileInfo fi(u.userFolder() + f);
        QCOMPARE(fi.ownerId(), nobody->pw_uid);
        QVERIFY2(fi.permissions() & QFile::WriteOwner, f);
    }
    QCOMPARE(snapshot(prefix_), installed_);
}

void tst_installed::twoStartedTogetherGiveOneWindow() {
    const User u = makeUser(root_.path() + "/home-twice", "stay");
    constexpr int kTrials = 20;
    for (int trial = 0; trial < kTrials; ++trial) {
        // Every other trial from a cold user folder: one copy is still
        // moving the data when the other starts.
        if (trial % 2 == 0) QDir(u.userFolder()).removeRecursively();
        QProcess copies[2];
        QString out[2];
        for (QProcess& p : copies) {
            p.setProcessEnvironment(u.env);
            p.setProcessChannelMode(QProcess::MergedChannels);
        }
        copies[0].start(program_, {});
        copies[1].start(program_, {});
        QElapsedTimer waited;
        waited.start();
        auto shown = [&](int i) { return out[i].contains(kShown); };
        auto ended = [&](int i) { return copies[i].state() == QProcess::NotRunning; };
        while (waited.elapsed() < 30000) {
            QTest::qWait(50);
            for (int i = 0; i < 2; ++i) out[i] += QString::fromLocal8Bit(copies[i].readAll());
            if ((ended(0) && ended(1)) || (ended(0) && shown(1)) || (ended(1) && shown(0))) break;
        }
        // Time for a second window to show, if one were coming.
        QTest::qWait(300);
        for (int i = 0; i < 2; ++i) out[i] += QString::fromLocal8Bit(copies[i].readAll());
        const int windows = int(shown(0)) + int(shown(1));
        const int endedCount = int(ended(0)) + int(ended(1));
        const QString report = QString("trial %1: windows %2, ended %3\n--- first:\n%4\n--- second:\n%5")
                                   .arg(trial).arg(windows).arg(endedCount).arg(out[0], out[1]);
        for (QProcess& p : copies) {
            if (p.state() != QProcess::NotRunning) {
                p.terminate();
                if (!p.waitForFinished(5000)) p.kill();
                p.waitForFinished();
            }
        }
        QVERIFY2(windows == 1 && endedCount >= 1, qPrintable(report));
        const int later = shown(0) ? 1 : 0;
        QVERIFY2(copies[later].exitStatus() == QProcess::NormalExit && copies[later].exitCode() == 0, qPrintable(report));
        QVERIFY2(!out[later].contains("Run-time error"), qPrintable(report));
    }
}

void tst_installed::channelAndLockGoAtTheEnd_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("terminate");
    QTest::newRow("ends by itself") << "1" << false;
    QTest::newRow("asked to end by the system") << "stay" << true;
}

void tst_installed::channelAndLockGoAtTheEnd() {
    QFETCH(QString, mode);
    QFETCH(bool, terminate);
    const User u = makeUser(root_.path() + "/home-end-" + mode, mode);
    const QString socket = QDir::tempPath() + "/" + sky::InstanceChannelName("Skyrendel", u.dataHome());
    const QString lock = sky::InstanceLockPath("Skyrendel", u.dataHome());
    QProcess p;
    p.setProcessEnvironment(u.env);
    p.start(program_, {});
    QVERIFY(p.waitForStarted());
    QString out;
    QElapsedTimer waited;
    waited.start();
    while (!out.contains(kShown) && waited.elapsed() < 30000 && p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        out += QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    if (terminate) {
        QVERIFY2(out.contains(kShown), qPrintable(out));
        // While it runs, its channel and lock are there.
        QVERIFY(QFileInfo::exists(socket));
        QVERIFY(QFileInfo::exists(lock));
        p.terminate();
    }
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(!QFileInfo::exists(socket), qPrintable(socket));
    QVERIFY2(!QFileInfo::exists(lock), qPrintable(lock));
}

QTEST_MAIN(tst_installed)
#include "tst_installed.moc"
