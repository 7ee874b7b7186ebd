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
    void renumberedCatalogueKeepsUserChoices();
    void activatingTheCatalogueWritesOnlyWhatChanges_data();
    void activatingTheCatalogueWritesOnlyWhatChanges();
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

namespace {

// Pairs as "FOLDER1-FOLDER2:ASK", sorted: the same whatever IDs hold them.
QStringList pairsByFolder(db::Connection& c) {
    QStringList out;
    db::Recordset rs;
    rs.Open("SELECT a.FOLDER, b.FOLDER, s.ASK FROM SIMILARAIRCRAFT s INNER JOIN AIRCRAFT a ON s.AIRCRAFTID = "
            "a.AirplaneID INNER JOIN AIRCRAFT b ON s.SIMILARAIRCRAFTID = b.AirplaneID",
            c);
    for (; !rs.eof(); rs.moveNext())
        out << rs.fields(0).text() + "-" + rs.fields(1).text() + ":" + (rs.fields(2).value().toBool() ? "hard" : "never");
    out.sort();
    return out;
}

QMap<QString, QVariantMap> aircraftByFolder(db::Connection& c) {
    QMap<QString, QVariantMap> out;
    db::Recordset rs;
    rs.Open("SELECT * FROM AIRCRAFT", c);
    for (; !rs.eof(); rs.moveNext()) {
        QVariantMap row;
        for (int i = 0; i < rs.fieldCount(); ++i) row.insert(rs.fields(i).name(), rs.fields(i).value());
        out.insert(rs.fields("FOLDER").text(), row);
    }
    return out;
}

int countRows(db::Connection& c, const QString& sql) {
    db::Recordset rs;
    rs.Open(sql, c, db::adOpenKeyset);
    return rs.eof() ? 0 : (rs.moveLast(), rs.recordCount());
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

// An older catalogue numbered its aircraft by their place in the list; the
// user database still holds those numbers. Three aircraft left from the
// middle and one came: the newcomer's catalogue ID is the one the user's
// Echo still holds.
void TestSync::renumberedCatalogueKeepsUserChoices() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    fixtures::InsertAircraft(*db::UserDB(), {
                                                {1, "Alpha", "ALPHA", true, sets({3})},
                                                {2, "Bravo", "BRAVO", true, sets({3})},
                                                {3, "Charlie", "CHARLIE", true, sets({3})},
                                                {4, "Delta", "DELTA", true, sets({3})},
                                                {5, "Echo", "ECHO", false, sets({4, 5})},
                                                {6, "Foxtrot", "FOXTROT", true, sets({3})},
                                                {7, "Golf", "GOLF", false, sets({3})},
                                            });
    // The user's own marks: Echo-Foxtrot never, Alpha-Echo hard, and a pair
    // with an aircraft that leaves.
    fixtures::InsertPairs(*db::UserDB(), {{5, 6, false}, {6, 5, false}, {1, 5, true}, {5, 1, true},
                                          {2, 5, true}, {5, 2, true}});
    fixtures::InsertAircraft(*db::StaticDB(), {
                                                  {1, "Alpha", "ALPHA", true, sets({3})},
                                                  {2, "Echo", "ECHO", true, sets({3})},
                                                  {3, "Foxtrot", "FOXTROT", true, sets({3})},
                                                  {4, "Golf", "GOLF", true, sets({3})},
                                                  {5, "Hotel", "HOTEL", true, sets({6})},
                                              });
    fixtures::InsertPairs(*db::StaticDB(), {{5, 2, true}, {3, 2, true}});

    SynchronizeUserDataWithStaticDB();
    QCOMPARE(lstNewAircraft(), QStringList{"HOTEL"});
    db::Connection& user = *db::UserDB();
    const QMap<QString, QVariantMap> rows = aircraftByFolder(user);
    QCOMPARE(rows.keys(), (QStringList{"ALPHA", "ECHO", "FOXTROT", "GOLF", "HOTEL"}));
    // The user's choices stay with the aircraft, whatever its ID now.
    QCOMPARE(rows["ECHO"].value("ISACTIVE"), QVariant(false));
    QCOMPARE(rows["ECHO"].value("isSmallJet"), QVariant(true));
    QCOMPARE(rows["ECHO"].value("isLargeJet"), QVariant(false));
    QCOMPARE(rows["GOLF"].value("ISACTIVE"), QVariant(false));
    QCOMPARE(rows["HOTEL"].value("ISACTIVE"), QVariant(true));
    QCOMPARE(rows["HOTEL"].value("AirplaneID"), QVariant(5));
    QCOMPARE(rows["HOTEL"].value("isPropAirline"), QVariant(true));
    QSet<int> ids;
    for (const QVariantMap& r : rows) ids << r.value("AirplaneID").toInt();
    QCOMPARE(ids.size(), rows.size());
    // The user's pairs and the newcomer's catalogue pair; the catalogue's
    // Foxtrot-Echo pair between two staying aircraft is not copied.
    const QStringList expected = {"ALPHA-ECHO:hard", "ECHO-ALPHA:hard",    "ECHO-FOXTROT:never",
                                  "ECHO-HOTEL:hard", "FOXTROT-ECHO:never", "HOTEL-ECHO:hard"};
    QCOMPARE(pairsByFolder(user), expected);
    // No pair row names an aircraft that is not there.
    QCOMPARE(countRows(user, "SELECT * FROM SIMILARAIRCRAFT"), expected.size());

    const QStringList after = userState();
    SynchronizeUserDataWithStaticDB();
    QCOMPARE(userState(), after);
}

// Every catalogue row is active after a synchronisation; a catalogue that
// already is so is not written at all.
void TestSync::activatingTheCatalogueWritesOnlyWhatChanges_data() {
    QTest::addColumn<QVariantList>("flags");
    QTest::addColumn<bool>("written");
    QTest::newRow("all active: untouched") << QVariantList{true, true, true} << false;
    QTest::newRow("one inactive") << QVariantList{true, false, true} << true;
    QTest::newRow("one without a flag") << QVariantList{true, QVariant(), true} << true;
}

void TestSync::activatingTheCatalogueWritesOnlyWhatChanges() {
    QFETCH(QVariantList, flags);
    QFETCH(bool, written);
    fixtures::DataFolder data;
    data.createStaticAndUser();
    QVector<AircraftRow> rows;
    for (int i = 0; i < flags.size(); ++i)
        rows.push_back({i + 1, "Type " + QString::number(i), "F" + QString::number(i), flags[i], sets({i})});
    fixtures::InsertAircraft(*db::StaticDB(), rows);
    fixtures::InsertAircraft(*db::UserDB(), rows);
    const QByteArray before = fileHash(db::StaticDatabasePath());
    QVERIFY(!before.isEmpty());
    SynchronizeUserDataWithStaticDB();
    QCOMPARE(fileHash(db::StaticDatabasePath()) != before, written);
    QCOMPARE(countRows(*db::StaticDB(), "SELECT * FROM AIRCRAFT WHERE ISACTIVE=TRUE"), flags.size());
    // The user's flags are the user's.
    for (int i = 0; i < flags.size(); ++i)
        QCOMPARE(aircraft(*db::UserDB(), i + 1).value("ISACTIVE"), flags[i]);
}

QTEST_MAIN(TestSync)
#include "tst_sync.moc"
