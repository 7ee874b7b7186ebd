// The catalogue lists and the lookups over them and over the databases.
#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "shell/errors.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QFile>
#include <QtTest>

using namespace sky;
using namespace sky::data;
using sky::fixtures::AircraftRow;

namespace {

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestCatalog : public QObject {
    Q_OBJECT

private slots:
    void resetLists_data();
    void resetLists();
    void resetListsTreatsMissingValuesAsEmptyAndInactive();
    void listLookups_data();
    void listLookups();
    void databaseLookups_data();
    void databaseLookups();
    void folderOfId();
    void textConstants_data();
    void textConstants();
    void setColumns_data();
    void setColumns();
    void dataMissing();
    void closedUserDatabaseIsAnError();
};

// Four aircraft covering active/inactive and installed/missing; the names
// and folders carry blanks, which the lists drop.
void TestCatalog::resetLists_data() {
    QTest::addColumn<bool>("captain");
    QTest::addColumn<QStringList>("isActive");
    QTest::addColumn<QStringList>("activeFolders");
    QTest::addColumn<int>("count");
    // Rows in AIRPLANETYPE order: Alpha (active, installed), Bravo (active,
    // missing), Charlie (inactive, installed), Delta (inactive, missing).
    QTest::newRow("user's choice") << false << QStringList{"Y", "N", "N", "N"} << QStringList{"ALPHA"} << 1;
    QTest::newRow("captain's challenge: every installed aircraft")
        << true << QStringList{"Y", "N", "Y", "N"} << QStringList{"ALPHA", "CHARLIE"} << 2;
}

void TestCatalog::resetLists() {
    QFETCH(bool, captain);
    QFETCH(QStringList, isActive);
    QFETCH(QStringList, activeFolders);
    QFETCH(int, count);

    fixtures::DataFolder data;
    data.createStaticAndUser();
    fixtures::InsertAircraft(*db::UserDB(), {
                                                {4, "Delta", "DELTA", false},
                                                {2, "Bravo ", "BRAVO", true},
                                                {1, "  Alpha", "ALPHA  ", true},
                                                {3, "Charlie", "CHARLIE", false},
                                            });
    // The picture file is named by the folder as stored, blanks and all.
    touch(db::PictureDatabasePath("ALPHA  "));
    touch(db::PictureDatabasePath("CHARLIE"));
    // A file whose name differs by a blank does not make Bravo installed.
    touch(db::PictureDatabasePath("BRAVO "));

    CatalogLists lists;
    lists.lstActiveFolders << "stale";
    QCOMPARE(lists.resetLstAircraftNamesAndFolders(captain), count);
    QCOMPARE(lists.lstAircraftNames, (QStringList{"Alpha", "Bravo", "Charlie", "Delta"}));
    QCOMPARE(lists.lstAircraftFolders, (QStringList{"ALPHA", "BRAVO", "CHARLIE", "DELTA"}));
    QCOMPARE(lists.lstAircraftIsActive, isActive);
    QCOMPARE(lists.lstActiveFolders, activeFolders);
}

void TestCatalog::resetListsTreatsMissingValuesAsEmptyAndInactive() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    fixtures::InsertAircraft(*db::UserDB(), {{1, "Echo", "ECHO", QVariant()}, {2, "Foxtrot", QVariant(), true}});
    touch(db::PictureDatabasePath("ECHO"));
    CatalogLists lists;
    QCOMPARE(lists.resetLstAircraftNamesAndFolders(false), 0);
    QCOMPARE(lists.lstAircraftFolders, (QStringList{"ECHO", ""}));
    QCOMPARE(lists.lstAircraftIsActive, (QStringList{"N", "N"}));
    QCOMPARE(lists.resetLstAircraftNamesAndFolders(true), 1);
    QCOMPARE(lists.lstActiveFolders, QStringList{"ECHO"});
}

void TestCatalog::listLookups_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("name");       // GetAircraftName(query)
    QTest::addColumn<bool>("active");        // isAircraftFolderActive(query)
    QTest::newRow("exact") << "B747" << "Boeing 747" << true;
    QTest::newRow("blanks and lower case: name found, not active") << "  b747 " << "Boeing 747" << false;
    QTest::newRow("blanks only") << " B747  " << "Boeing 747" << true;
    QTest::newRow("quote") << "o'neil" << "O'Neil Special" << false;
    QTest::newRow("non-ASCII lower case") << "ту-154" << "Tupolev Ту-154" << false;
    QTest::newRow("non-ASCII exact") << "ТУ-154" << "Tupolev Ту-154" << true;
    QTest::newRow("inactive aircraft") << "A320" << "Airbus A320" << false;
    QTest::newRow("unknown") << "B737" << "" << false;
    QTest::newRow("empty") << "" << "" << false;
}

void TestCatalog::listLookups() {
    QFETCH(QString, query);
    QFETCH(QString, name);
    QFETCH(bool, active);
    CatalogLists lists;
    lists.lstAircraftFolders = QStringList{"A320", "B747", "O'NEIL", "ТУ-154"};
    lists.lstAircraftNames = QStringList{"Airbus A320", "Boeing 747", "O'Neil Special", "Tupolev Ту-154"};
    lists.lstAircraftIsActive = QStringList{"N", "Y", "Y", "Y"};
    lists.lstActiveFolders = QStringList{"B747", "O'NEIL", "ТУ-154"};
    QCOMPARE(lists.GetAircraftName(query), name);
    QCOMPARE(lists.isAircraftFolderActive(query), active);
    // The reverse lookup finds the folder from the name in any case and with
    // blanks around it.
    if (!name.isEmpty())
        QCOMPARE(lists.GetAircraftFolderName("  " + name.toUpper() + " "), lists.lstAircraftFolders.at(lists.lstAircraftNames.indexOf(name)));
    else
        QCOMPARE(lists.GetAircraftFolderName(query), QString());
}

// Stored folders with quotes, blanks and non-ASCII letters, looked up in
// both databases.
void TestCatalog::databaseLookups_data() {
    QTest::addColumn<bool>("useStatic");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("type"); // GetAirplaneTypeFromDB(folder)
    for (bool st : {false, true}) {
        const char* prefix = st ? "static: " : "user: ";
        QTest::newRow(QByteArray(prefix).append("plain")) << st << "B747" << 7 << "Boeing 747";
        QTest::newRow(QByteArray(prefix).append("quotes")) << st << "O'Neil's" << 8 << "O'Neil's 'Special'";
        QTest::newRow(QByteArray(prefix).append("stored with blanks")) << st << "A320" << 9 << "Airbus A320";
        QTest::newRow(QByteArray(prefix).append("non-ASCII")) << st << "Ту-154 Ä" << 10 << "Tupolev Ту-154";
        QTest::newRow(QByteArray(prefix).append("case differs")) << st << "b747" << 0 << "";
        QTest::newRow(QByteArray(prefix).append("unknown")) << st << "ZZZ" << 0 << "";
        QTest::newRow(QByteArray(prefix).append("a quote alone")) << st << "'" << 0 << "";
    }
}

void TestCatalog::databaseLookups() {
    QFETCH(bool, useStatic);
    QFETCH(QString, folder);
    QFETCH(int, id);
    QFETCH(QString, type);
    fixtures::DataFolder data;
    data.createStaticAndUser();
    db::Connection& c = useStatic ? *db::StaticDB() : *db::UserDB();
    fixtures::InsertAircraft(c, {
                                    {7, "Boeing 747", "B747"},
                                    {8, " O'Neil's 'Special' ", "O'Neil's"},
                                    {9, "Airbus A320", "  A320 "},
                                    {10, "Tupolev Ту-154", "Ту-154 Ä"},
                                });
    QCOMPARE(GetAircraftIDinDB(c, folder), id);
    QCOMPARE(isAircraftFolderInDB(c, folder), id != 0);
    QCOMPARE(GetAirplaneTypeFromDB(c, folder), type);
    // Every lookup trims the folder it is given, so a FOLDER read as stored
    // (blanks and all) finds its row.
    QCOMPARE(GetAircraftIDinDB(c, "  " + folder + " "), id);
    QCOMPARE(isAircraftFolderInDB(c, " " + folder), id != 0);
    QCOMPARE(GetAirplaneTypeFromDB(c, folder + "  "), type);
}

void TestCatalog::folderOfId() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    fixtures::InsertAircraft(*db::UserDB(), {{9, "Airbus A320", "  A320 "}, {10, "Null", QVariant()}});
    QCOMPARE(GetAircraftFolderinDB(*db::UserDB(), 9), QString("  A320 ")); // as stored
    QCOMPARE(GetAircraftFolderinDB(*db::UserDB(), 10), QString());
    QCOMPARE(GetAircraftFolderinDB(*db::UserDB(), 11), QString());
    QCOMPARE(GetAircraftFolderinDB(*db::UserDB(), -1), QString());
}

void TestCatalog::textConstants_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("as stored") << "FAQ" << "<html>faq</html>";
    QTest::newRow("any case, blanks") << " faq " << "<html>faq</html>";
    QTest::newRow("stored mixed case with blanks") << "LASTMOD_0" << "2024-05-01";
    QTest::newRow("quote in name") << "it's" << "quoted";
    QTest::newRow("null value") << "EMPTY" << "";
    QTest::newRow("no row") << "NOPE" << "";
}

void TestCatalog::textConstants() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    fixtures::DataFolder data;
    data.createStaticAndUser();
    db::Connection& st = *db::StaticDB();
    fixtures::InsertTextConstant(st, "FAQ", "<html>faq</html>");
    fixtures::InsertTextConstant(st, " LastMod_0 ", "2024-05-01");
    fixtures::InsertTextConstant(st, "IT'S", "quoted");
    fixtures::InsertTextConstant(st, "EMPTY", QVariant());
    QCOMPARE(GetTextConstant(name), expected);
}

void TestCatalog::setColumns_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("airport");
    QTest::newRow("-1") << -1 << "" << true;
    QTest::newRow("0") << 0 << "isUSA" << true;
    QTest::newRow("1") << 1 << "isEurope" << true;
    QTest::newRow("2") << 2 << "isUSSR" << false;
    QTest::newRow("5") << 5 << "isCorporateJet" << false;
    QTest::newRow("7") << 7 << "isPropOther" << false;
    QTest::newRow("8") << 8 << "" << false;
}

void TestCatalog::setColumns() {
    QFETCH(int, index);
    QFETCH(QString, column);
    QFETCH(bool, airport);
    QCOMPARE(AircraftSetColumn(index), column);
    QCOMPARE(IsAirportSet(index), airport);
}

void TestCatalog::dataMissing() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    QVERIFY(!IsAnyAircraftDataMissing()); // no aircraft at all
    fixtures::InsertAircraft(*db::UserDB(), {{1, "Alpha", "O'ALPHA "}, {2, "Bravo", "Bravo Ü"}});
    touch(db::PictureDatabasePath("O'ALPHA "));
    QVERIFY(IsAnyAircraftDataMissing());
    touch(db::PictureDatabasePath("Bravo Ü"));
    QVERIFY(!IsAnyAircraftDataMissing());
    fixtures::InsertAircraft(*db::UserDB(), {{3, "No folder", QVariant()}});
    QVERIFY(IsAnyAircraftDataMissing());
}

void TestCatalog::closedUserDatabaseIsAnError() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    db::CloseDatabases();
    CatalogLists lists;
    QVERIFY_THROWS_EXCEPTION(SkyError, lists.resetLstAircraftNamesAndFolders(false));
    QVERIFY_THROWS_EXCEPTION(SkyError, GetTextConstant("FAQ"));
}

QTEST_MAIN(TestCatalog)
#include "tst_catalog.moc"
