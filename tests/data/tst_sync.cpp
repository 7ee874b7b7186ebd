// Bringing the user database in line with the catalogue, and the pair writer.
#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/sync.h"
#include "shell/errors.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace sky;
using namespace sky::data;
using fixtures::AircraftRow;
using fixtures::PairRow;

namespace {

const QString kCharlie = QStringLiteral("O'CHARLIE Ту ");
const QByteArray kCharlieLogo = QByteArrayLiteral("\xff\xd8logo bytes");

QVector<bool> sets(std::initializer_list<int> members) {
    QVector<bool> v(8, false);
    for (int i : members) v[i] = true;
    return v;
}

// The catalogue: Bravo renamed, Charlie (a folder with a quote, non-ASCII
// letters and a trailing blank) and Delta new, Xray gone.
void buildCatalogue() {
    db::Connection& st = *db::StaticDB();
    fixtures::InsertAircraft(st, {
                                     {1, "Alpha", "ALPHA", false, sets({0})},
                                     {2, "Bravo Renamed", "BRAVO", false, sets({1})},
                                     {3, "Charlie", kCharlie, false, sets({1, 2, 7}), "<p>charlie</p>", kCharlieLogo},
                                     {4, "Delta", "DELTA", true, sets({3})},
                                 });
    fixtures::InsertPairs(st, {
                                  {3, 1, true},  // new with existing, one direction
                                  {2, 3, false}, // the other direction
                                  {3, 4, true},  // two new aircraft
                                  {4, 1, false},
                                  {1, 2, true},  // two existing aircraft: not copied
                              });
}

// The user's copy from before: Alpha made inactive and moved to other sets,
// a pair the user marked neutral-turned-never, and Xray with its pairs.
void buildUserData() {
    db::Connection& user = *db::UserDB();
    fixtures::InsertAircraft(user, {
                                       {1, "Alpha", "ALPHA", false, sets({4, 5})},
                                       {2, "Bravo", "BRAVO", true, sets({1})},
                                       {9, "Xray", "XRAY", true, sets({0})},
                                   });
    fixtures::InsertPairs(user, {{1, 2, false}, {2, 1, false}, {9, 1, true}, {1, 9, true}, {2, 9, false}, {9, 2, false}});
}

QStringList pairLines(const QVector<PairRow>& pairs) {
    QStringList lines;
    for (const PairRow& p : pairs)
        lines << QStringLiteral("AIRCRAFTID=%1|SIMILARAIRCRAFTID=%2|ASK=%3")
                     .arg(p.aircraftId)
                     .arg(p.similarId)
                     .arg(p.ask ? "true" : "false");
    lines.sort();
    return lines;
}

QStringList expectedPairs() {
    return pairLines({{1, 2, false}, {2, 1, false}, {3, 1, true}, {1, 3, true}, {2, 3, false}, {3, 2, false},
                      {3, 4, true}, {4, 3, true}, {4, 1, false}, {1, 4, false}});
}

// One AIRCRAFT row by AirplaneID, column name to value.
QVariantMap aircraft(db::Connection& c, int id) {
    QVariantMap row;
    db::Recordset rs;
    rs.Open("SELECT * FROM AIRCRAFT WHERE AirplaneID=" + QString::number(id), c);
    if (!rs.eof())
        for (int i = 0; i < rs.fieldCount(); ++i) row.insert(rs.fields(i).name(), rs.fields(i).value());
    return row;
}

QStringList userState() {
    return fixtures::DumpTable(*db::UserDB(), "AIRCRAFT") + fixtures::DumpTable(*db::UserDB(), "SIMILARAIRCRAFT");
}

// Everything a completed synchronisation of the fixture leaves.
void verifySynchronised() {
    db::Connection& user = *db::UserDB();
    QCOMPARE(fixtures::DumpTable(user, "SIMILARAIRCRAFT"), expectedPairs());

    QStringList ids;
    db::Recordset rs;
    rs.Open("SELECT AirplaneID FROM AIRCRAFT", user);
    for (; !rs.eof(); rs.moveNext()) ids << rs.fields(0).text();
    rs.close();
    ids.sort();
    QCOMPARE(ids, (QStringList{"1", "2", "3", "4"}));

    // A new aircraft is a copy of its catalogue row, active.
    QVariantMap charlie = aircraft(user, 3);
    QVariantMap catalogue = aircraft(*db::StaticDB(), 3);
    QCOMPARE(charlie.value("ISACTIVE"), QVariant(true));
    QCOMPARE(catalogue.value("ISACTIVE"), QVariant(true));
    QCOMPARE(charlie, catalogue);
    QCOMPARE(charlie.value("FOLDER").toString(), kCharlie);
    QCOMPARE(charlie.value("NameImage").toByteArray(), kCharlieLogo);
    QCOMPARE(aircraft(user, 4).value("ISACTIVE"), QVariant(true));

    // The user's choices stay; names come from the catalogue.
    const QVariantMap alpha = aircraft(user, 1);
    QCOMPARE(alpha.value("ISACTIVE"), QVariant(false));
    QCOMPARE(alpha.value("isSmallJet"), QVariant(true));
    QCOMPARE(alpha.value("isUSA"), QVariant(false));
    QCOMPARE(aircraft(user, 2).value("AIRPLANETYPE").toString(), QString("Bravo Renamed"));
}

struct Injected {};

} // namespace

class TestSync : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { db::Connection::SetStatementHook({}); }

    void synchronises();
    void secondRunChangesNothing();
    void firstRunIntoEmptyUserDatabase();
    void interruptedRunLeavesUserDatabaseAsItWas_data();
    void interruptedRunLeavesUserDatabaseAsItWas();
    void killedRunLeavesUserDatabaseAsItWas();
    void setPair_data();
    void setPair();
};

void TestSync::synchronises() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    buildCatalogue();
    buildUserData();
    lstNewAircraft() << "stale";
    SynchronizeUserDataWithStaticDB();
    verifySynchronised();
    QCOMPARE(lstNewAircraft(), (QStringList{kCharlie, "DELTA"}));
    QVERIFY(!db::UserDB()->inTransaction());
}

void TestSync::secondRunChangesNothing() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    buildCatalogue();
    buildUserData();
    SynchronizeUserDataWithStaticDB();
    const QStringList before = userState();
    SynchronizeUserDataWithStaticDB();
    QCOMPARE(userState(), before);
    QVERIFY(lstNewAircraft().isEmpty());
}

void TestSync::firstRunIntoEmptyUserDatabase() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    buildCatalogue();
    SynchronizeUserDataWithStaticDB();
    QCOMPARE(lstNewAircraft(), (QStringList{"ALPHA", "BRAVO", kCharlie, "DELTA"}));
    // Every catalogue pair, in both directions, including the one between
    // aircraft that were both new.
    QCOMPARE(fixtures::DumpTable(*db::UserDB(), "SIMILARAIRCRAFT"),
             pairLines({{3, 1, true}, {1, 3, true}, {2, 3, false}, {3, 2, false}, {3, 4, true}, {4, 3, true},
                        {4, 1, false}, {1, 4, false}, {1, 2, true}, {2, 1, true}}));
    QCOMPARE(aircraft(*db::UserDB(), 1).value("ISACTIVE"), QVariant(true));
}

// A failure injected before a statement: the first of its kind or a later one.
void TestSync::interruptedRunLeavesUserDatabaseAsItWas_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("occurrence");
    QTest::newRow("removing the first pair") << "DELETE * FROM SIMILARAIRCRAFT" << 1;
    QTest::newRow("removing the aircraft") << "DELETE * FROM AIRCRAFT" << 1;
    QTest::newRow("copying the second aircraft") << "INSERT INTO AIRCRAFT" << 2;
    QTest::newRow("renaming an aircraft") << "UPDATE AIRCRAFT SET AIRPLANETYPE" << 1;
    QTest::newRow("reading a catalogue pair") << "SELECT AIRCRAFTID, SIMILARAIRCRAFTID" << 2;
    QTest::newRow("storing the fifth pair row") << "INSERT INTO SIMILARAIRCRAFT" << 5;
    QTest::newRow("committing") << "COMMIT" << 1;
}

void TestSync::interruptedRunLeavesUserDatabaseAsItWas() {
    QFETCH(QString, statement);
    QFETCH(int, occurrence);
    fixtures::DataFolder data;
    data.createStaticAndUser();
    buildCatalogue();
    buildUserData();
    const QStringList before = userState();

    int seen = 0;
    db::Connection::SetStatementHook([&](const QString& s) {
        if (s.startsWith(statement, Qt::CaseInsensitive) && ++seen == occurrence)
            throw SkyError(999, "injected failure");
    });
    try {
        SynchronizeUserDataWithStaticDB();
        QFAIL("the failure did not reach the caller");
    } catch (const SkyError& e) {
        QCOMPARE(e.number(), 999);
    }
    QCOMPARE(seen, occurrence);
    db::Connection::SetStatementHook({});
    QVERIFY(!db::UserDB()->inTransaction());
    QCOMPARE(userState(), before);
    QVERIFY(lstNewAircraft().isEmpty());

    // The next run does the whole work.
    SynchronizeUserDataWithStaticDB();
    verifySynchronised();
    QCOMPARE(lstNewAircraft(), (QStringList{kCharlie, "DELTA"}));
}

void TestSync::killedRunLeavesUserDatabaseAsItWas() {
#ifndef Q_OS_UNIX
    QSKIP("needs fork()");
#else
    fixtures::DataFolder data;
    data.createStaticAndUser();
    buildCatalogue();
    buildUserData();
    const QStringList before = userState();
    db::CloseDatabases();

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The process ends in the middle of storing pairs, as a kill would
        // end it: nothing is cleaned up.
        int stored = 0;
        db::Connection::SetStatementHook([&](const QString& s) {
            if (s.startsWith("INSERT INTO SIMILARAIRCRAFT") && ++stored == 3) _exit(42);
        });
        try {
            db::OpenDatabases();
            SynchronizeUserDataWithStaticDB();
        } catch (...) {
        }
        _exit(1);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 42);

    db::OpenDatabases();
    QCOMPARE(userState(), before);
    SynchronizeUserDataWithStaticDB();
    verifySynchronised();
#endif
}

void TestSync::setPair_data() {
    QTest::addColumn<QString>("folder1");
    QTest::addColumn<QString>("folder2");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<QStringList>("expected");
    const QStringList untouched = pairLines({{1, 2, true}, {2, 1, true}, {2, 3, false}, {3, 2, true}, {3, 2, true}});
    QTest::newRow("first folder empty") << "" << "BRAVO" << false << untouched;
    QTest::newRow("second folder empty") << "ALPHA" << "" << false << untouched;
    QTest::newRow("both directions stored, other ASK")
        << "ALPHA" << "BRAVO" << false
        << pairLines({{1, 2, false}, {2, 1, false}, {2, 3, false}, {3, 2, true}, {3, 2, true}});
    QTest::newRow("both directions, given in reverse")
        << "BRAVO" << "ALPHA" << false
        << pairLines({{1, 2, false}, {2, 1, false}, {2, 3, false}, {3, 2, true}, {3, 2, true}});
    QTest::newRow("stored inconsistently and twice")
        << "BRAVO" << "O'CHARLIE Ту" << true
        << pairLines({{1, 2, true}, {2, 1, true}, {2, 3, true}, {3, 2, true}});
    QTest::newRow("new pair, folders with blanks")
        << " ALPHA " << " O'CHARLIE Ту" << true
        << pairLines({{1, 2, true}, {2, 1, true}, {2, 3, false}, {3, 2, true}, {3, 2, true}, {1, 3, true},
                      {3, 1, true}});
}

void TestSync::setPair() {
    QFETCH(QString, folder1);
    QFETCH(QString, folder2);
    QFETCH(bool, ask);
    QFETCH(QStringList, expected);
    fixtures::DataFolder data;
    data.createStaticAndUser();
    db::Connection& user = *db::UserDB();
    fixtures::InsertAircraft(user, {{1, "Alpha", "ALPHA"}, {2, "Bravo", "BRAVO"}, {3, "Charlie", kCharlie}});
    fixtures::InsertPairs(user, {{1, 2, true}, {2, 1, true}, {2, 3, false}, {3, 2, true}, {3, 2, true}});
    SetSimilarAircraftPair(folder1, folder2, ask);
    QCOMPARE(fixtures::DumpTable(user, "SIMILARAIRCRAFT"), expected);
}

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
