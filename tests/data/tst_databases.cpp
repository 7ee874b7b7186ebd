// Opening the program's two databases when one of them is damaged: the
// message says so plainly, names the file and what can be done; a damaged
// user database is rebuilt from the catalogue only when the user agrees,
// and the damaged file is kept.
#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "data/sync.h"
#include "shell/errors.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace sky;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void damage(const QString& path, const QString& how) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    if (how == "text") {
        f.resize(0);
        f.write(QByteArray("This is not a database.\n").repeated(300));
    } else if (how == "empty") {
        f.resize(0);
    } else if (how == "cut short") {
        f.resize(f.size() / 2);
    } else if (how == "first page overwritten") {
        f.write(QByteArray(4096, '\x5a'));
    }
}

} // namespace

class TestDatabases : public QObject {
    Q_OBJECT

private slots:
    // Opened ahead: started and closed before anything took them, the
    // connections are dropped (the next open sees a replaced file); taken,
    // they are the folder's files, readable and writable; asked twice or
    // with the databases open, nothing more is opened.
    void openedAhead() {
        FakePlatform fake;
        fixtures::DataFolder data;
        data.createStaticAndUser();
        fixtures::InsertAircraft(*db::StaticDB(), {{1, "Type 1", "F1", true, QVector<bool>(8, false), "x"}});
        fixtures::InsertAircraft(*db::UserDB(), {{1, "Type 1", "F1", true, QVector<bool>(8, false), "x"}});
        db::CloseDatabases();

        db::OpenDatabasesInBackground();
        // Time for the thread to have opened both, so that a connection
        // left over would be the old file's.
        QThread::msleep(300);
        db::CloseDatabases();
        const QString userPath = db::UserDatabasePath();
        const QString keptAside = userPath + ".aside";
        QVERIFY(QFile::rename(userPath, keptAside));
        db::CreateDatabaseFile(userPath, db::DbKind::User);
        db::OpenDatabases();
        db::Recordset fresh;
        fresh.Open("SELECT AirplaneID FROM AIRCRAFT", *db::UserDB(), db::adOpenKeyset);
        QVERIFY(fresh.eof());
        fresh.close();
        db::CloseDatabases();
        QVERIFY(QFile::remove(userPath));
        QVERIFY(QFile::rename(keptAside, userPath));

        db::OpenDatabasesInBackground();
        db::OpenDatabasesInBackground();
        db::OpenDatabases();
        QVERIFY(db::StaticDB() && db::StaticDB()->isOpen());
        QVERIFY(db::UserDB() && db::UserDB()->isOpen());
        db::UserDB()->Execute("UPDATE AIRCRAFT SET ISACTIVE=FALSE WHERE AirplaneID=1");
        db::Recordset rs;
        rs.Open("SELECT AirplaneID FROM AIRCRAFT WHERE ISACTIVE=FALSE", *db::UserDB(), db::adOpenKeyset);
        QVERIFY(!rs.eof());
        rs.close();
        db::Recordset catalogue;
        catalogue.Open("SELECT AirplaneID FROM AIRCRAFT", *db::StaticDB(), db::adOpenKeyset);
        QVERIFY(!catalogue.eof());
        catalogue.close();
        db::OpenDatabasesInBackground();
        db::CloseDatabases();
        QVERIFY(fake.messageBox.shown.isEmpty());
    }

    void damagedFile_data() {
        QTest::addColumn<bool>("userFile");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer"); // for the rebuild offer
        QTest::addColumn<bool>("ahead");  // opening started ahead on its own thread
        for (bool ahead : {false, true}) {
            const QString when = ahead ? " (opened ahead)" : "";
            for (const char* how : {"text", "empty", "cut short", "first page overwritten"}) {
                QTest::newRow(qPrintable(QString("catalogue, ") + how + when)) << false << how << int(MsgResult::Yes) << ahead;
                QTest::newRow(qPrintable(QString("user, declined, ") + how + when)) << true << how << int(MsgResult::No) << ahead;
                QTest::newRow(qPrintable(QString("user, rebuilt, ") + how + when)) << true << how << int(MsgResult::Yes) << ahead;
            }
        }
    }

    void damagedFile() {
        QFETCH(bool, userFile);
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(bool, ahead);
        FakePlatform fake;
        fixtures::DataFolder data;
        data.createStaticAndUser();
        // Enough rows that the files span many pages.
        QVector<fixtures::AircraftRow> rows;
        for (int i = 1; i <= 30; ++i)
            rows.push_back({i, "Type " + QString::number(i), "F" + QString::number(i), true, QVector<bool>(8, false),
                            QString(3000, 'x')});
        fixtures::InsertAircraft(*db::StaticDB(), rows);
        fixtures::InsertAircraft(*db::UserDB(), rows);
        db::UserDB()->Execute("UPDATE AIRCRAFT SET ISACTIVE=FALSE WHERE AirplaneID=3");
        db::CloseDatabases();

        const QString path = userFile ? db::UserDatabasePath() : db::StaticDatabasePath();
        damage(path, how);
        const QByteArray damagedBytes = readAll(path);
        const QString kept = QDir(data.path()).filePath(db::DamagedUserDatabaseKeptName());
        fake.messageBox.setNextAnswer(MsgResult(answer));

        QString error;
        try {
            if (ahead) db::OpenDatabasesInBackground();
            db::OpenDatabases();
        } catch (const SkyError& e) {
            error = e.description();
            QCOMPARE(e.number(), db::kErrDamagedFile);
        }
        QVERIFY2(!error.contains("password", Qt::CaseInsensitive), qPrintable(error));

        if (!userFile) {
            // The catalogue: reinstall it; nothing is offered or changed.
            QVERIFY2(error.contains(path) && error.contains("damaged") && error.contains("reinstall", Qt::CaseInsensitive),
                     qPrintable(error));
            QVERIFY(fake.messageBox.shown.isEmpty());
            QVERIFY(readAll(path) == damagedBytes);
            return;
        }

        QCOMPARE(fake.messageBox.shown.size(), 1);
        const QString offer = fake.messageBox.shown[0].text;
        QVERIFY2(offer.contains(path) && offer.contains("damaged") && offer.contains("rebuilt") &&
                     offer.contains("lost"),
                 qPrintable(offer));
        QCOMPARE(fake.messageBox.shown[0].buttons, MsgButtons::YesNo);
        if (MsgResult(answer) == MsgResult::No) {
            QVERIFY2(error.contains(path) && error.contains("damaged"), qPrintable(error));
            QVERIFY(readAll(path) == damagedBytes);
            QVERIFY(!QFile::exists(kept));
            return;
        }
        // Rebuilt: the damaged file is kept as it was; the new one fills
        // from the catalogue.
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(readAll(kept) == damagedBytes);
        QVERIFY(db::UserDB() && db::UserDB()->isOpen());
        data::SynchronizeUserDataWithStaticDB();
        db::Recordset rs;
        rs.Open("SELECT AirplaneID FROM AIRCRAFT WHERE ISACTIVE=TRUE", *db::UserDB(), db::adOpenKeyset);
        rs.moveLast();
        QCOMPARE(rs.recordCount(), 30);
        db::CloseDatabases();
    }
};

QTEST_MAIN(TestDatabases)
#include "tst_databases.moc"
