// Start-up and shutdown: the splash's steps, the hand-over to the user
// folder's copy, a data folder that cannot be made, the close rules, and the
// single-instance check between two real processes.
#include "app/startup.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/appstate.h"
#include "shell/frmSkyrendelSplash.h"
#include "shell/singleinstance.h"
#include "shell/testdoubles.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QtTest>

#include <unistd.h>

using namespace sky;

namespace {

void makeCatalogue(const QString& folder) {
    QDir().mkpath(folder + "/DATA");
    db::CreateDatabaseFile(folder + "/skyrendel.skr", db::DbKind::Static);
    db::CreateDatabaseFile(folder + "/skyrendeluserdata.skr", db::DbKind::User);
}

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

class FakeStartupWindow : public StartupWindow {
public:
    QWidget* widget() override { return &w; }
    void MatchPanelHeights() override { calls << "MatchPanelHeights"; }
    void InitMainWindow() override { calls << "InitMainWindow"; }
    void ArrangePanels() override { calls << "ArrangePanels"; }
    void ResetRollovers() override { calls << "ResetRollovers"; }
    QWidget w;
    QStringList calls;
};

} // namespace

class tst_startup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void splashStepsEndAt99();
    void setPercentScalesTheBar();
    void missingDatabaseEndsWithNumberAndDescription();
    void loadHandlerRunsTheInstalledSequence();
    void userFolderNotWritableEndsWithMessage_data();
    void userFolderNotWritableEndsWithMessage();
    void userFolderCopiesAreWritable();
    void synchronisesOnlyWhenSomethingChanged_data();
    void synchronisesOnlyWhenSomethingChanged();
    void handOverToUserFolderCopy_data();
    void handOverToUserFolderCopy();
    void closeFromMenuExits();
    void closeDuringQuizDoesNotExit();
    void secondProcessActivatesFirst();

private:
    std::unique_ptr<FakePlatform> fake_;
    QString install_;
};

void tst_startup::init() {
    fake_ = std::make_unique<FakePlatform>();
    // A title of this test's own, so its channel meets no other program.
    SetAppTitleLive(QStringLiteral("SkyrendelTest%1").arg(QCoreApplication::applicationPid()));
    install_ = fake_->root.path() + "/install";
    SetInstallFolderForTests(install_);
    ProgramFolder.clear();
}

void tst_startup::cleanup() {
    db::CloseDatabases();
    ReleaseInstance();
    StopListeningForLaterInstances();
    CloseSplash();
    SetInstallFolderForTests(QString());
    fake_.reset();
}

void tst_startup::splashStepsEndAt99() {
    makeCatalogue(install_);
    FakeStartupWindow window;
    SetSplashPercent(0); // made ahead, so the test can follow it
    QVector<int> shown;
    QVector<std::uint32_t> ticks;
    connect(Splash(), &frmSkyrendelSplash::percentSet, this, [&](int k) {
        shown << k;
        ticks << fake_->clock.now;
    });
    app::RunStartup(window, {});
    const QVector<int> expected = {2, 0, 1, 2, 10, 20, 30, 40, 42, 47, 51, 55, 59, 63, 67, 71, 75, 79, 83, 87, 91, 95, 99};
    QCOMPARE(shown, expected);
    QVERIFY(!shown.contains(100));
    // Each paced step waits more than 100 ms.
    for (int i = expected.indexOf(47); i < shown.size(); ++i) QVERIFY(ticks[i] - ticks[i - 1] > 100);
    QCOMPARE(window.calls, (QStringList{"MatchPanelHeights", "InitMainWindow", "ArrangePanels", "ResetRollovers"}));
    QCOMPARE(fake_->random.seedCalls, 1);
    QCOMPARE(AppTitle, AppTitleLive());
    QVERIFY(Splash() == nullptr);
    QVERIFY(db::StaticDB() && db::UserDB());
    QCOMPARE(ProgramFolder, fake_->folders.appDataPath + "/Skyrendel");
}

void tst_startup::setPercentScalesTheBar() {
    frmSkyrendelSplash splash;
    for (int k : {0, 2, 47, 99, 100}) {
        splash.SetPercent(k);
        QCOMPARE(splash.barWidth(), int(k / 100.0 * splash.trackWidth()));
    }
}

void tst_startup::missingDatabaseEndsWithNumberAndDescription() {
    app::InstallStartupSequence();
    QDir().mkpath(install_);
    quiz::frmSkyrendelMainMenu window;
    QVERIFY_THROWS_EXCEPTION(ProcessExited, window.Form_Load({}));
    QCOMPARE(fake_->process.exitCodes, QVector<int>{1});
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    const QString text = fake_->messageBox.shown[0].text;
    QVERIFY2(text.startsWith("Run-time error '14'"), qPrintable(text));
    QVERIFY2(text.contains("skyrendel.skr"), qPrintable(text));
    // Nothing was written: no database file appeared.
    QVERIFY(!QFile::exists(fake_->folders.appDataPath + "/Skyrendel/skyrendel.skr"));
    QVERIFY(!QFile::exists(install_ + "/skyrendel.skr"));
}

void tst_startup::loadHandlerRunsTheInstalledSequence() {
    // The window runs what the program hands it, with its arguments.
    QStringList seen;
    SetStartupSequence([&](StartupWindow& w, const QStringList& arguments) {
        seen = arguments;
        w.MatchPanelHeights();
    });
    quiz::frmSkyrendelMainMenu window;
    window.Form_Load({"IDE=1"});
    QCOMPARE(seen, QStringList{"IDE=1"});
    // Without a sequence the load handler ends the program with an error
    // rather than showing an empty window.
    SetStartupSequence(nullptr);
    quiz::frmSkyrendelMainMenu bare;
    QVERIFY_THROWS_EXCEPTION(ProcessExited, bare.Form_Load({}));
    QCOMPARE(fake_->process.exitCodes, QVector<int>{1});
}

void tst_startup::userFolderNotWritableEndsWithMessage_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("a file where the data folder goes") << "file";
    QTest::newRow("a folder without write permission") << "read-only";
}

void tst_startup::userFolderNotWritableEndsWithMessage() {
    QFETCH(QString, obstacle);
    makeCatalogue(install_);
    touch(install_ + "/DATA/B738.skr");
    const QString appData = fake_->folders.appDataPath;
    QDir(appData).removeRecursively();
    if (obstacle == "file") {
        touch(appData);
    } else {
        if (geteuid() == 0) QSKIP("root writes into any folder");
        QDir().mkpath(appData);
        QFile::setPermissions(appData, QFile::ReadOwner | QFile::ExeOwner);
    }
    bool ended = false;
    try {
        app::StartupChecks({});
    } catch (const ProcessExited& e) {
        ended = true;
        QCOMPARE(e.code, 1);
    }
    QFile::setPermissions(appData, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(ended);
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    const QString text = fake_->messageBox.shown[0].text;
    QVERIFY2(text.contains(appData + "/Skyrendel"), qPrintable(text));
    QCOMPARE(fake_->messageBox.shown[0].icon, MsgIcon::Exclamation);
    // The install folder is as it was.
    QVERIFY(QFile::exists(install_ + "/DATA/B738.skr"));
    QVERIFY(QFile::exists(install_ + "/skyrendel.skr"));
    QVERIFY(!QFileInfo::exists(appData + "/Skyrendel"));
}

void tst_startup::userFolderCopiesAreWritable() {
    // A read-only install (every file 0444): the user's copies are theirs
    // to write, so the databases open for writing at every start.
    makeCatalogue(install_);
    touch(install_ + "/DATA/B738.skr");
    touch(install_ + "/SOUND/correct.wav");
    const QStringList files = {"/skyrendel.skr", "/skyrendeluserdata.skr", "/DATA/B738.skr", "/SOUND/correct.wav"};
    for (const QString& f : files) QVERIFY(QFile::setPermissions(install_ + f, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    SetInstallFolderForTests(install_, true);
    FakeStartupWindow window;
    app::RunStartup(window, {});
    const QString user = fake_->folders.appDataPath + "/Skyrendel";
    QCOMPARE(ProgramFolder, user);
    for (const QString& f : files) {
        QVERIFY2(QFileInfo(user + f).permissions() & QFile::WriteOwner, qPrintable(f));
        // A shared install keeps its own files.
        QVERIFY2(QFile::exists(install_ + f), qPrintable(f));
    }
    // The user database takes a write.
    db::Connection& userDb = *db::UserDB();
    userDb.Execute("CREATE TABLE probe (x INTEGER)");
    userDb.Execute("INSERT INTO probe (x) VALUES (1)");
}

void tst_startup::synchronisesOnlyWhenSomethingChanged_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("synchronises");
    QTest::newRow("nothing changed") << "" << false;
    QTest::newRow("catalogue written") << "static" << true;
    QTest::newRow("user database written") << "user" << true;
    QTest::newRow("catalogue replaced by a copy") << "replace" << true;
    QTest::newRow("no stamp") << "stamp" << true;
}

void tst_startup::synchronisesOnlyWhenSomethingChanged() {
    QFETCH(QString, change);
    QFETCH(bool, synchronises);
    makeCatalogue(install_);
    FakeStartupWindow window;
    app::RunStartup(window, {"IDE=1"});
    db::CloseDatabases();
    const QString user = fake_->folders.appDataPath + "/Skyrendel";
    if (change == "static" || change == "user") {
        db::Connection c;
        db::OpenProgramDatabase(c, user + (change == "static" ? "/skyrendel.skr" : "/skyrendeluserdata.skr"));
        c.Execute("UPDATE AIRCRAFT SET ISACTIVE=FALSE");
        c.Execute("CREATE TABLE probe (x INTEGER)");
        c.Close();
    } else if (change == "replace") {
        // Same bytes, a new file: an update that put the catalogue back.
        QVERIFY(QFile::copy(user + "/skyrendel.skr", user + "/copy.skr"));
        QVERIFY(QFile::remove(user + "/skyrendel.skr"));
        QVERIFY(QFile::rename(user + "/copy.skr", user + "/skyrendel.skr"));
    } else if (change == "stamp") {
        QVERIFY(QFile::remove(user + "/TEMP/synchronized.stamp"));
    }
    db::OpenDatabases();
    const QByteArray before = QFileInfo(user + "/skyrendeluserdata.skr").lastModified().toString(Qt::ISODateWithMs).toLatin1();
    QCOMPARE(app::SynchronizeIfChanged(), synchronises);
    // Checked again right after, nothing is left to do.
    QCOMPARE(app::SynchronizeIfChanged(), false);
    if (!synchronises) {
        // Not a byte of either database was written.
        QCOMPARE(QFileInfo(user + "/skyrendeluserdata.skr").lastModified().toString(Qt::ISODateWithMs).toLatin1(), before);
    }
}

void tst_startup::handOverToUserFolderCopy_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("copyInUserFolder");
    QTest::addColumn<bool>("handsOver");
    QTest::newRow("copy present") << QStringList{} << true << true;
    QTest::newRow("other argument is ignored") << QStringList{"/debug"} << true << true;
    QTest::newRow("IDE=1") << QStringList{"IDE=1"} << true << false;
    QTest::newRow("ide=1 in any case") << QStringList{"iDe=1"} << true << false;
    QTest::newRow("no copy") << QStringList{} << false << false;
}

void tst_startup::handOverToUserFolderCopy() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, copyInUserFolder);
    QFETCH(bool, handsOver);
    makeCatalogue(install_);
    const QString user = fake_->folders.appDataPath + "/Skyrendel";
    const QString copy = user + "/" + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (copyInUserFolder) touch(copy);
    bool exited = false;
    try {
        app::StartupChecks(arguments);
    } catch (const ProcessExited& e) {
        exited = true;
        QCOMPARE(e.code, 0);
    }
    QCOMPARE(exited, handsOver);
    QCOMPARE(fake_->process.started.size(), handsOver ? 1 : 0);
    if (handsOver) QCOMPARE(fake_->process.started[0].program, copy);
    QCOMPARE(ProgramFolder, user);
}

void tst_startup::closeFromMenuExits() {
    makeCatalogue(install_);
    ProgramFolder = install_;
    db::OpenDatabases();
    quiz::frmSkyrendelMainMenu window;
    QCloseEvent close;
    QVERIFY_THROWS_EXCEPTION(ProcessExited, QCoreApplication::sendEvent(&window, &close));
    QCOMPARE(fake_->process.exitCodes, QVector<int>{0});
    QVERIFY(!close.isAccepted());
    QVERIFY(db::StaticDB() == nullptr && db::UserDB() == nullptr);
}

void tst_startup::closeDuringQuizDoesNotExit() {
    quiz::frmSkyrendelMainMenu window;
    window.show();
    window.findChild<QWidget*>("picChallengeMode")->show();
    QCloseEvent close;
    QCoreApplication::sendEvent(&window, &close);
    QVERIFY(!close.isAccepted());
    QVERIFY(fake_->process.exitCodes.isEmpty());
    QVERIFY(window.isVisible());
}

void tst_startup::secondProcessActivatesFirst() {
    const QString program = QString::fromLocal8Bit(qgetenv("SKY_BINARY_DIR")) + "/app/skyrendel";
    if (!QFile::exists(program)) QSKIP("the program is not built");
    // The program with a catalogue of its own in a temporary install folder.
    const QString home = fake_->root.path() + "/home";
    const QString installed = fake_->root.path() + "/installed";
    makeCatalogue(installed);
    QVERIFY(QFile::copy(program, installed + "/skyrendel"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(installed + "/skyrendel", {"IDE=1"});
    QVERIFY(first.waitForStarted());
    // Ready when its channel answers.
    const QString channel = InstanceChannelName("Skyrendel", home + "/data");
    QElapsedTimer waited;
    waited.start();
    bool up = false;
    while (!up && waited.elapsed() < 20000 && first.state() == QProcess::Running) {
        QLocalSocket probe;
        probe.connectToServer(channel);
        up = probe.waitForConnected(200);
        if (!up) QTest::qWait(100);
    }
    QVERIFY2(up, first.readAllStandardError().constData());

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(installed + "/skyrendel", {"IDE=1"});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();

    // With no first copy answering, a start runs normally.
    QProcess alone;
    alone.setProcessEnvironment(env);
    alone.start(installed + "/skyrendel", {"IDE=1"});
    QVERIFY(alone.waitForStarted());
    QVERIFY(!alone.waitForFinished(3000));
    alone.kill();
    alone.waitForFinished();
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
