#include "data/schema.h"

#include "data/databases.h"
#include "data/db.h"

namespace sky::db {

const QStringList& AircraftSetColumns() {
    static const QStringList columns = {
        QStringLiteral("isUSA"),       QStringLiteral("isEurope"),       QStringLiteral("isUSSR"),
        QStringLiteral("isLargeJet"),  QStringLiteral("isSmallJet"),     QStringLiteral("isCorporateJet"),
        QStringLiteral("isPropAirline"), QStringLiteral("isPropOther")};
    return columns;
}

void CreateSchema(Connection& c, DbKind kind) {
    if (kind == DbKind::Pictures) {
        c.Execute(QStringLiteral("CREATE TABLE IMAGES (ID INTEGER PRIMARY KEY, Image BLOB)"));
        return;
    }
    // Names sort without regard to case ("Airbus" before "ATR"), as the
    // catalogue's lists always have.
    // Small columns first and the long text and picture last: a scan that
    // tests FOLDER never has to read past them.
    QString aircraft = QStringLiteral("CREATE TABLE AIRCRAFT (AirplaneID INTEGER PRIMARY KEY, AIRPLANETYPE TEXT COLLATE NOCASE, "
                                      "FOLDER TEXT, ISACTIVE BOOLEAN");
    for (const QString& col : AircraftSetColumns()) aircraft += QStringLiteral(", ") + col + QStringLiteral(" BOOLEAN");
    aircraft += QStringLiteral(", LIBRARYHTML TEXT, NameImage BLOB)");
    c.Execute(aircraft);
    // Aircraft are looked up by their folder, trimmed or as stored.
    c.Execute(QStringLiteral("CREATE INDEX AIRCRAFT_TRIMFOLDER ON AIRCRAFT (TRIM(FOLDER))"));
    c.Execute(QStringLiteral("CREATE INDEX AIRCRAFT_FOLDER ON AIRCRAFT (FOLDER)"));
    c.Execute(QStringLiteral("CREATE TABLE SIMILARAIRCRAFT (AIRCRAFTID INTEGER, SIMILARAIRCRAFTID INTEGER, ASK BOOLEAN)"));
    c.Execute(QStringLiteral("CREATE INDEX SIMILARAIRCRAFT_A ON SIMILARAIRCRAFT (AIRCRAFTID)"));
    c.Execute(QStringLiteral("CREATE INDEX SIMILARAIRCRAFT_B ON SIMILARAIRCRAFT (SIMILARAIRCRAFTID)"));
    c.Execute(QStringLiteral("CREATE TABLE TEXTCONSTANTS (TEXTCONSTANTNAME TEXT, TEXTCONSTANTDATA TEXT)"));
}

bool HasAnswerHistoryTable(Connection& c) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND UPPER(name)='ANSWERHISTORY'"), c,
            adOpenForwardOnly, adLockReadOnly);
    const bool found = !rs.eof();
    rs.close();
    return found;
}

void EnsureAnswerHistoryTable(Connection& c) {
    if (HasAnswerHistoryTable(c)) return;
    c.Execute(QStringLiteral("CREATE TABLE IF NOT EXISTS ANSWERHISTORY (ID INTEGER PRIMARY KEY, QUIZID INTEGER, "
                             "ANSWEREDAT TEXT, GAMEMODE INTEGER, ISHARD BOOLEAN, ISCAPTAINS BOOLEAN, "
                             "CORRECTFOLDER TEXT, CHOSENFOLDER TEXT, DISTRACTOR1 TEXT, DISTRACTOR2 TEXT, "
                             "PICTURE INTEGER, ISRIGHT BOOLEAN)"));
    c.Execute(QStringLiteral("CREATE INDEX IF NOT EXISTS ANSWERHISTORY_QUIZ ON ANSWERHISTORY (QUIZID)"));
}

void CreateDatabaseFile(const QString& path, DbKind kind) {
    Connection c;
    c.Create(path, DatabasePassword());
    CreateSchema(c, kind);
    c.Close();
}

} // namespace sky::db
