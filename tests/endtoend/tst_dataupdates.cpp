// The program's update client against the real update server serving a
// real publish: catalogues built by skyrendel-catalog, published by
// skyrendel-publish, served by skyrendel-update-server on 127.0.0.1, either
// directly or through the shipped nginx front with two server instances.
#include "endtoendfixture.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "shell/appstate.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "updates/frmSkyrendelUpdates.h"
#include "updates/modUpdates.h"

#include <QApplication>
#include <QPushButton>

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace sky;
using namespace sky::endtoend;
using namespace sky::servertest;
using namespace sky::updates;

namespace {

const char* kFirstStamp = "2026-12-11 1";
const char* kNextStamp = "2026-12-18 1";

const QVector<SourceAircraft> kFirst = {{1, "B738", "Boeing 737-800", 2}, {2, "A320", "Airbus A320", 3}};
const QVector<SourceAircraft> kNext = {{1, "B738", "Boeing 737-800", 2},
                                       {2, "A320", "Airbus A320", 3},
                                       {3, "B789", "Boeing 787-9", 2},
                                       {4, "E190", "Embraer E190", 4}};

QStringList Column(const QString& sql, db::Connection* c) {
    db::Recordset rs;
    rs.Open(sql, *c);
    QStringList out;
    while (!rs.eof()) {
        out << rs.fields(0).text().trimmed();
        rs.moveNext();
    }
    return out;
}

int ImageCount(const QString& pictureDatabase) {
    db::Connection c;
    db::OpenProgramDatabase(c, pictureDatabase);
    const QStringList n = Column("SELECT COUNT(*) FROM IMAGES", &c);
    c.Close();
    return n.value(0, "-1").toInt();
}

bool CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& e : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + "/" + e.fileName();
        if (e.isDir() ? !CopyFolder(e.filePath(), target) : !QFile::copy(e.filePath(), target)) return false;
    }
    return true;
}

QStringList MessageTexts(const FakeMessageBox& box) {
    QStringList out;
    for (const auto& m : box.shown) out << m.text;
    return out;
}

} // namespace

class TestDataUpdates : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_, config_;
    QString root_, first_, next_;
    ServerProcess a_, b_;
    NginxProcess nginx_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<QTemporaryDir> program_;

    QString base(const QString& front) const {
        return front == "nginx" ? QStringLiteral("http://127.0.0.1:%1").arg(nginx_.port()) : a_.base();
    }

    // A program folder laid out as the given build left it, the databases
    // open and the updater pointed at `front`.
    void install(const QString& build, const QString& front) {
        db::CloseDatabases();
        program_ = std::make_unique<QTemporaryDir>();
        QVERIFY(CopyFolder(build, program_->path()));
        ProgramFolder = program_->path();
        SetInstallFolderForTests(program_->path());
        db::OpenDatabases();
        QVERIFY(db::StaticDB() && db::UserDB());
        SaveAppSetting("UpdateServer", base(front));
    }
    QString programFile(const QString& name) const { return program_->path() + "/" + name; }

    // The published bytes of a file of the newer build.
    QByteArray published(const QString& name) const { return ReadAll(next_ + "/" + name); }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid() && config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        AppTitle = "SkyrendelEndToEnd";
        root_ = tmp_.filePath("publish");
        first_ = tmp_.filePath("first");
        next_ = tmp_.filePath("next");
        QCOMPARE(WriteCatalogSource(tmp_.filePath("src-first"), kFirst, kFirstStamp), QString());
        QCOMPARE(WriteCatalogSource(tmp_.filePath("src-next"), kNext, kNextStamp), QString());
        QCOMPARE(BuildCatalog(tmp_.filePath("src-first"), first_), QString());
        QCOMPARE(BuildCatalog(tmp_.filePath("src-next"), next_), QString());
        // The first catalogue, then the next: the server then knows which
        // aircraft are new to a client that still has the first.
        QCOMPARE(Publish({"publish", first_, root_}), QString());
        QCOMPARE(Publish({"publish", next_, root_}), QString());
        QVERIFY(a_.start(root_, {"--behind-proxy"}));
        QVERIFY(b_.start(root_, {"--behind-proxy"}));
        QVERIFY(nginx_.start(tmp_.filePath("nginx"), root_, {a_.port(), b_.port()}));
    }

    void init() { fake_ = std::make_unique<FakePlatform>(); }

    void cleanup() {
        db::CloseDatabases();
        ProgramFolder.clear();
        SetInstallFolderForTests(QString());
        program_.reset();
        fake_.reset();
    }

    void cleanupTestCase() {
        nginx_.stop();
        a_.stop();
        b_.stop();
    }

    void upToDateGetsNothingToDo_data() {
        QTest::addColumn<QString>("front");
        QTest::newRow("server") << "server";
        QTest::newRow("nginx") << "nginx";
    }
    void upToDateGetsNothingToDo() {
        QFETCH(QString, front);
        install(next_, front);
        const QByteArray catalogue = ReadAll(programFile("skyrendel.skr"));
        db::Connection* before = db::StaticDB();
        UpdateAll(nullptr);
        QCOMPARE(MessageTexts(fake_->messageBox), QStringList{kNoChangesMessage});
        QCOMPARE(db::StaticDB(), before); // the databases were never closed
        db::CloseDatabases();
        QCOMPARE(ReadAll(programFile("skyrendel.skr")), catalogue);
        QVERIFY(!QFile::exists(programFile("skyrendel_backup.skr")));
    }

    void newerCatalogueBringsNewAircraft_data() {
        QTest::addColumn<QString>("front");
        QTest::newRow("server") << "server";
        QTest::newRow("nginx") << "nginx";
    }
    void newerCatalogueBringsNewAircraft() {
        QFETCH(QString, front);
        install(first_, front);
        QCOMPARE(Column("SELECT FOLDER FROM AIRCRAFT ORDER BY FOLDER", db::StaticDB()), (QStringList{"A320", "B738"}));
        const QByteArray oldA320 = ReadAll(programFile("DATA/A320.skr"));

        UpdateAll(nullptr);
        QCOMPARE(MessageTexts(fake_->messageBox), QStringList());
        QVERIFY(db::StaticDB() && db::UserDB());
        QCOMPARE(data::GetTextConstant("LastMod_0"), QString(kNextStamp));
        // The synchronisation added the new aircraft to the user database.
        QCOMPARE(Column("SELECT FOLDER FROM AIRCRAFT ORDER BY FOLDER", db::UserDB()),
                 (QStringList{"A320", "B738", "B789", "E190"}));
        QCOMPARE(Column("SELECT AIRPLANETYPE FROM AIRCRAFT WHERE AIRPLANEID = 4", db::StaticDB()),
                 QStringList{"Embraer E190"});
        QCOMPARE(MissingAircraftIDs(), QString());
        // The new aircraft's picture databases open and hold their photographs.
        for (const SourceAircraft& a : kNext) {
            const QString file = programFile("DATA/" + a.folder + ".skr");
            QVERIFY2(IsUsableDatabaseFile(file, SkrKind::Pictures), qPrintable(file));
            QCOMPARE(ImageCount(file), a.photos);
        }
        QCOMPARE(ReadAll(programFile("DATA/B789.skr")), published("DATA/B789.skr"));
        QCOMPARE(ReadAll(programFile("DATA/A320.skr")), oldA320); // not fetched again
        QVERIFY(!QFile::exists(programFile("skyrendel_backup.skr")));
        QCOMPARE(QDir(program_->path()).entryList({"*.part"}) + QDir(programFile("DATA")).entryList({"*.part"}),
                 QStringList());

        // The next check finds nothing to do.
        fake_->messageBox.shown.clear();
        UpdateAll(nullptr);
        QCOMPARE(MessageTexts(fake_->messageBox), QStringList{kNoChangesMessage});
    }

    void missingPictureDatabaseFetchedAgain_data() {
        QTest::addColumn<QString>("front");
        QTest::newRow("server") << "server";
        QTest::newRow("nginx") << "nginx";
    }
    void missingPictureDatabaseFetchedAgain() {
        QFETCH(QString, front);
        install(next_, front);
        QVERIFY(QFile::remove(programFile("DATA/B789.skr")));
        QVERIFY(QFile::remove(programFile("DATA/A320.skr")));
        QCOMPARE(MissingAircraftIDs(), QString("2,3"));
        const QByteArray catalogue = ReadAll(programFile("skyrendel.skr"));

        UpdateAll(nullptr);
        QCOMPARE(MessageTexts(fake_->messageBox), QStringList());
        QCOMPARE(ReadAll(programFile("DATA/A320.skr")), published("DATA/A320.skr"));
        QCOMPARE(ReadAll(programFile("DATA/B789.skr")), published("DATA/B789.skr"));
        QCOMPARE(ImageCount(programFile("DATA/A320.skr")), 3);
        QCOMPARE(MissingAircraftIDs(), QString());
        db::CloseDatabases();
        QCOMPARE(ReadAll(programFile("skyrendel.skr")), catalogue); // the catalogue was current
    }

    // The update as a user starts it: the updates window's button, the
    // progress window naming each file in turn, and the window usable again.
    void updateButtonFetchesFromServer() {
        install(first_, "server");
        auto* owner = new QWidget;
        owner->show();
        auto* updates = new updates::frmSkyrendelUpdates(owner);
        updates->Form_Load();
        updates->show(); // as the main window's menu item shows it
        QVERIFY(QTest::qWaitForWindowExposed(updates));
        QStringList titles;
        bool disabledMeanwhile = false;
        fake_->clock.onProcessEvents = [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() != "frmUpdates" || !w->isVisible()) continue;
                if (titles.isEmpty() || titles.last() != w->windowTitle()) titles << w->windowTitle();
                disabledMeanwhile = disabledMeanwhile || !updates->isEnabled();
            }
        };
        auto* button = updates->findChild<QPushButton*>("cmdUpdate_1");
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(MessageTexts(fake_->messageBox), QStringList());
        titles.removeAll("Downloading updates...");
        QCOMPARE(titles, (QStringList{"Downloading Main Database...", "Downloading B789 (1 of 2)...",
                                      "Downloading E190 (2 of 2)..."}));
        QVERIFY(disabledMeanwhile);
        QVERIFY(updates->isEnabled());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(w->objectName() != "frmUpdates" || !w->isVisible(), "the progress window stayed up");
        QCOMPARE(Column("SELECT FOLDER FROM AIRCRAFT ORDER BY FOLDER", db::UserDB()),
                 (QStringList{"A320", "B738", "B789", "E190"}));
        fake_->clock.onProcessEvents = nullptr;
        delete owner;
    }

    // nginx in front of two instances, one of them stopped part way through
    // a bounded run of checks: every check still gets its answer.
    void oneInstanceStoppedDuringChecks() {
        install(first_, "nginx");
        const int kChecks = 24, kStopAt = 8;
        QStringList failures;
        for (int i = 0; i < kChecks; ++i) {
            if (i == kStopAt) {
                b_.stop();
                QCOMPARE(b_.process().state(), QProcess::NotRunning);
            }
            fake_->messageBox.shown.clear();
            UpdateAll(nullptr);
            // The first check updates the first catalogue; every later one
            // finds nothing to do.
            const QStringList expected = i == 0 ? QStringList() : QStringList{kNoChangesMessage};
            if (MessageTexts(fake_->messageBox) != expected)
                failures << QStringLiteral("check %1: %2").arg(i).arg(MessageTexts(fake_->messageBox).join('|'));
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        QCOMPARE(data::GetTextConstant("LastMod_0"), QString(kNextStamp));

        // A whole update with only one instance left.
        cleanup();
        init();
        install(first_, "nginx");
        UpdateAll(nullptr);
        QCOMPARE(MessageTexts(fake_->messageBox), QStringList());
        QCOMPARE(data::GetTextConstant("LastMod_0"), QString(kNextStamp));
        QCOMPARE(ReadAll(programFile("DATA/E190.skr")), published("DATA/E190.skr"));
    }
};

QTEST_MAIN(TestDataUpdates)
#include "tst_dataupdates.moc"
