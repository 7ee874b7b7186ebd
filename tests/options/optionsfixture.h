// A small catalogue for the options tests: aircraft rows written alike into
// the static and the user database (ids may differ between the two), pairs
// for either database, and read-backs of what the user database holds.
#pragma once

#include "data/databases.h"
#include "data/db.h"
#include "support/fixtures.h"

#include <QSet>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <sqlcipher/sqlite3.h>

namespace optionstest {

struct Plane {
    int id;            // AirplaneID in the user database
    QVariant type;     // AIRPLANETYPE as stored
    QString folder;    // FOLDER
    QVariant active = true;
    QVector<int> sets = {};
    int staticId = 0;  // 0: the same as id
    bool installed = false;
};

struct Pair {
    int a, b; // AirplaneIDs in the database the pair goes to
    bool ask;
};

inline void Build(const QVector<Plane>& planes, const QVector<Pair>& userPairs = {},
                  const QVector<Pair>& staticPairs = {}) {
    QVector<sky::fixtures::AircraftRow> user, statics;
    for (const Plane& p : planes) {
        sky::fixtures::AircraftRow r;
        r.id = p.id;
        r.type = p.type;
        r.folder = p.folder;
        r.active = p.active;
        for (int s : p.sets) r.sets[s] = true;
        r.nameImage = sky::fixtures::MakeJpeg(60, 12, QColor(20 + p.id * 7 % 200, 90, 160));
        user << r;
        r.id = p.staticId ? p.staticId : p.id;
        statics << r;
        if (p.installed) sky::fixtures::CreatePictureDatabase(p.folder, {sky::fixtures::MakeJpeg(40, 30, Qt::gray)});
    }
    sky::fixtures::InsertAircraft(*sky::db::StaticDB(), statics);
    sky::fixtures::InsertAircraft(*sky::db::UserDB(), user);
    auto rows = [](const QVector<Pair>& pairs) {
        QVector<sky::fixtures::PairRow> out;
        for (const Pair& p : pairs) out.push_back({p.a, p.b, p.ask});
        return out;
    };
    sky::fixtures::InsertPairs(*sky::db::UserDB(), rows(userPairs));
    sky::fixtures::InsertPairs(*sky::db::StaticDB(), rows(staticPairs));
}

// Every pair of the user database as "a,b,ask" ("null" for a missing ASK).
inline QSet<QString> UserPairs() {
    QSet<QString> out;
    sky::db::Recordset rs;
    rs.Open(QStringLiteral("SELECT AIRCRAFTID, SIMILARAIRCRAFTID, ASK FROM SIMILARAIRCRAFT"), *sky::db::UserDB());
    while (!rs.eof()) {
        const QVariant ask = rs.fields(2).value();
        out << QStringLiteral("%1,%2,%3")
                   .arg(rs.fields(0).value().toInt())
                   .arg(rs.fields(1).value().toInt())
                   .arg(ask.isNull() ? QStringLiteral("null") : (ask.toBool() ? QStringLiteral("1") : QStringLiteral("0")));
        rs.moveNext();
    }
    return out;
}

inline int PairRowCount() {
    sky::db::Recordset rs;
    rs.Open(QStringLiteral("SELECT COUNT(*) FROM SIMILARAIRCRAFT"), *sky::db::UserDB());
    return rs.fields(0).value().toInt();
}

// The eight set columns of a user-database aircraft as "01001000".
inline QString SetsOf(int id) {
    sky::db::Recordset rs;
    rs.Open(QStringLiteral("SELECT isUSA, isEurope, isUSSR, isLargeJet, isSmallJet, isCorporateJet, isPropAirline, "
                           "isPropOther FROM AIRCRAFT WHERE AirplaneID=") +
                QString::number(id),
            *sky::db::UserDB());
    if (rs.eof()) return QString();
    QString out;
    for (int s = 0; s < 8; ++s) out += rs.fields(s).value().toBool() ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

inline void SetColumns(int id, const QString& pattern) {
    static const char* const cols[8] = {"isUSA",      "isEurope",       "isUSSR",        "isLargeJet",
                                        "isSmallJet", "isCorporateJet", "isPropAirline", "isPropOther"};
    for (int s = 0; s < 8; ++s)
        sky::db::UserDB()->Execute(QStringLiteral("UPDATE AIRCRAFT SET %1=%2 WHERE AirplaneID=%3")
                                       .arg(QLatin1String(cols[s]), pattern[s] == QLatin1Char('1') ? "TRUE" : "FALSE")
                                       .arg(id));
}

// The active flag as "1", "0" or "null".
inline QString ActiveOf(int id) {
    sky::db::Recordset rs;
    rs.Open(QStringLiteral("SELECT ISACTIVE FROM AIRCRAFT WHERE AirplaneID=") + QString::number(id),
            *sky::db::UserDB());
    if (rs.eof()) return QString();
    const QVariant v = rs.fields(0).value();
    return v.isNull() ? QStringLiteral("null") : (v.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
}

// Rows changed in the user database since it was opened.
inline int UserChanges() { return sqlite3_total_changes(sky::db::UserDB()->handle()); }

} // namespace optionstest
