#include "data/sync.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QVector>

#include <limits>

namespace sky::data {

using db::Connection;
using db::Recordset;

namespace {

Connection& require(Connection* connection, const char* which) {
    if (!connection || !connection->isOpen())
        throw SkyError(db::kErrNotOpen, QStringLiteral("The %1 database is not open.").arg(QLatin1String(which)));
    return *connection;
}

// Moves the user row holding AirplaneID `id`, if any, to an ID that
// neither database uses, and its pair rows with it.
void freeUserAirplaneId(Connection& staticDb, Connection& userDb, qint64 id) {
    {
        Recordset holder;
        holder.Open(QStringLiteral("SELECT AirplaneID FROM AIRCRAFT WHERE AirplaneID=") + QString::number(id), userDb,
                    db::adOpenForwardOnly, db::adLockOptimistic);
        const bool held = !holder.eof();
        holder.close();
        if (!held) return;
    }
    QSet<qint64> used;
    for (Connection* c : {&staticDb, &userDb}) {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT AirplaneID FROM AIRCRAFT"), *c, db::adOpenForwardOnly, db::adLockOptimistic);
        for (; !rs.eof(); rs.moveNext())
            if (!rs.fields(0).value().isNull()) used.insert(rs.fields(0).value().toLongLong());
        rs.close();
    }
    qint64 highest = 0;
    for (qint64 u : used) highest = qMax(highest, u);
    qint64 free = highest + 1;
    if (free > std::numeric_limits<qint32>::max()) {
        free = 1;
        while (used.contains(free)) ++free;
    }
    const QString from = QString::number(id), to = QString::number(free);
    userDb.Execute(QStringLiteral("UPDATE AIRCRAFT SET AirplaneID=") + to + QStringLiteral(" WHERE AirplaneID=") + from);
    userDb.Execute(QStringLiteral("UPDATE SIMILARAIRCRAFT SET AIRCRAFTID=") + to + QStringLiteral(" WHERE AIRCRAFTID=") +
                   from);
    userDb.Execute(QStringLiteral("UPDATE SIMILARAIRCRAFT SET SIMILARAIRCRAFTID=") + to +
                   QStringLiteral(" WHERE SIMILARAIRCRAFTID=") + from);
}

// Every step that writes to the user database; the caller wraps it in one
// transaction.
void synchronizeUser(Connection& staticDb, Connection& userDb) {
    QStringList& folders = lstNewAircraft();

    // Aircraft that left the catalogue go, with every pair naming them.
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT FOLDER FROM AIRCRAFT ORDER BY AIRPLANETYPE"), userDb, db::adOpenDynamic,
                db::adLockOptimistic);
        while (!rs.eof()) {
            const QString folder = rs.fields(0).text();
            if (!isAircraftFolderInDB(staticDb, folder)) folders << folder;
            rs.moveNext();
        }
        rs.close();
    }
    for (const QString& folder : folders) {
        const QString id = QString::number(GetAircraftIDinDB(userDb, folder));
        userDb.Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + id);
        userDb.Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE SIMILARAIRCRAFTID=") + id);
        userDb.Execute(QStringLiteral("DELETE * FROM AIRCRAFT WHERE AIRPLANEID=") + id);
    }
    folders.clear();

    // New catalogue aircraft are copied column by column. A new aircraft
    // keeps its catalogue AirplaneID; a user row that still holds that ID
    // (an aircraft numbered differently by an older catalogue) first moves
    // to a free ID, taking its pairs along.
    {
        Recordset source;
        source.Open(QStringLiteral("SELECT * FROM AIRCRAFT ORDER BY AIRPLANETYPE"), staticDb, db::adOpenForwardOnly,
                    db::adLockOptimistic);
        QVector<QVector<QPair<QString, QVariant>>> newRows;
        const int fieldCount = source.fieldCount();
        while (!source.eof()) {
            const QString folder = source.fields(QStringLiteral("FOLDER")).text();
            if (!isAircraftFolderInDB(userDb, folder)) {
                folders << folder;
                QVector<QPair<QString, QVariant>> row;
                for (int i = 0; i < fieldCount; ++i) {
                    const db::Field from = source.fields(i);
                    row.append({from.name(), from.value()});
                }
                newRows.append(row);
            }
            source.moveNext();
        }
        source.close();

        for (const auto& row : newRows)
            for (const auto& field : row)
                if (field.first.compare(QLatin1String("AirplaneID"), Qt::CaseInsensitive) == 0 &&
                    !field.second.isNull())
                    freeUserAirplaneId(staticDb, userDb, field.second.toLongLong());

        Recordset target;
        target.Open(QStringLiteral("SELECT * FROM AIRCRAFT ORDER BY AIRPLANETYPE"), userDb, db::adOpenDynamic,
                    db::adLockOptimistic);
        for (const auto& row : newRows) {
            target.addNew();
            for (const auto& field : row) target.fields(field.first).setValue(field.second);
            target.update();
        }
        target.close();
    }

    // Every display name comes from the catalogue.
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM AIRCRAFT"), userDb, db::adOpenDynamic, db::adLockOptimistic);
        while (!rs.eof()) {
            const QString folder = rs.fields(QStringLiteral("FOLDER")).text();
            const QString type = GetAirplaneTypeFromDB(staticDb, folder);
            // Storing a row rewrites it whole, description and logo included;
            // a name that is already the catalogue's is left as it is.
            const QVariant stored = rs.fields(QStringLiteral("AIRPLANETYPE")).value();
            if (stored.isNull() || stored.toString() != type) {
                rs.fields(QStringLiteral("AIRPLANETYPE")).setValue(type);
                rs.update();
            }
            rs.moveNext();
        }
        rs.close();
    }

    // The catalogue's pairs of each new aircraft, in both directions. Each
    // aircraft takes part in many pairs, so the folder of a catalogue ID and
    // the user ID of a folder are looked up once each: nothing else changes
    // AIRCRAFT while this runs, so a second lookup would find the same row.
    QHash<int, QString> staticFolders;
    QHash<QString, int> userIds;
    QHash<QPair<int, int>, bool> pairsSet;
    const auto staticFolder = [&](int id) {
        auto it = staticFolders.find(id);
        if (it == staticFolders.end()) it = staticFolders.insert(id, GetAircraftFolderinDB(staticDb, id));
        return it.value();
    };
    const auto userId = [&](const QString& folder) {
        const QString key = TrimBlanks(folder);
        auto it = userIds.find(key);
        if (it == userIds.end()) it = userIds.insert(key, GetAircraftIDinDB(userDb, key));
        return it.value();
    };
    for (const QString& folder : QStringList(folders)) {
        const QString id = QString::number(GetAircraftIDinDB(staticDb, folder));
        Recordset rs;
        rs.Open(QStringLiteral("SELECT AIRCRAFTID, SIMILARAIRCRAFTID, ASK FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + id +
                    QStringLiteral(" OR SIMILARAIRCRAFTID=") + id,
                staticDb, db::adOpenForwardOnly, db::adLockOptimistic);
        while (!rs.eof()) {
            const QString folder1 = staticFolder(rs.fields(0).value().toInt());
            const QString folder2 = staticFolder(rs.fields(1).value().toInt());
            const bool ask = rs.fields(2).value().toBool();
            // SetSimilarAircraftPair, with the lookups above. Setting a pair
            // replaces both of its rows, so setting it again to the value it
            // was last given here (a pair of two new aircraft is read once
            // for each) would change nothing.
            if (!folder1.isEmpty() && !folder2.isEmpty()) {
                const int id1 = userId(folder1), id2 = userId(folder2);
                const QPair<int, int> key(qMin(id1, id2), qMax(id1, id2));
                const auto done = pairsSet.constFind(key);
                if (done == pairsSet.constEnd() || done.value() != ask) {
                    SetSimilarAircraftPairByID(id1, id2, ask);
                    pairsSet.insert(key, ask);
                }
            }
            rs.moveNext();
        }
        rs.close();
    }
}

} // namespace

QStringList& lstNewAircraft() {
    static QStringList list;
    return list;
}

void SynchronizeUserDataWithStaticDB() {
    Connection& staticDb = require(db::StaticDB(), "static");
    Connection& userDb = require(db::UserDB(), "user");
    lstNewAircraft().clear();
    // Every catalogue row becomes active. Only rows that are not yet are
    // written: a catalogue that already is (every start after the first)
    // is not touched at all, so it needs no journal and no free disk space.
    const QString notActive = QStringLiteral(" WHERE ISACTIVE IS NULL OR ISACTIVE<>TRUE");
    bool anyInactive = false;
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT AirplaneID FROM AIRCRAFT") + notActive, staticDb, db::adOpenForwardOnly,
                db::adLockOptimistic);
        anyInactive = !rs.eof();
        rs.close();
    }
    if (anyInactive) staticDb.Execute(QStringLiteral("UPDATE AIRCRAFT SET ISACTIVE=TRUE") + notActive);

    // The user database changes all at once or not at all: an interrupted run
    // leaves it as it was, and the next run does the whole work again.
    userDb.BeginTrans();
    try {
        synchronizeUser(staticDb, userDb);
        userDb.CommitTrans();
    } catch (...) {
        userDb.RollbackTrans();
        lstNewAircraft().clear();
        throw;
    }
}

void SetSimilarAircraftPair(const QString& folder1, const QString& folder2, bool ask) {
    if (folder1.isEmpty() || folder2.isEmpty()) return;
    Connection& userDb = require(db::UserDB(), "user");
    const int id1 = GetAircraftIDinDB(userDb, folder1);
    const int id2 = GetAircraftIDinDB(userDb, folder2);
    SetSimilarAircraftPairByID(id1, id2, ask);
}

void SetSimilarAircraftPairByID(int id1, int id2, bool ask) {
    Connection& userDb = require(db::UserDB(), "user");
    const QString a = QString::number(id1);
    const QString b = QString::number(id2);
    userDb.Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + a +
                   QStringLiteral(" AND SIMILARAIRCRAFTID=") + b);
    userDb.Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + b +
                   QStringLiteral(" AND SIMILARAIRCRAFTID=") + a);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + a, userDb, db::adOpenDynamic,
            db::adLockOptimistic);
    rs.addNew();
    rs.fields(QStringLiteral("AIRCRAFTID")).setValue(id1);
    rs.fields(QStringLiteral("SIMILARAIRCRAFTID")).setValue(id2);
    rs.fields(QStringLiteral("ASK")).setValue(ask);
    rs.update();
    rs.addNew();
    rs.fields(QStringLiteral("AIRCRAFTID")).setValue(id2);
    rs.fields(QStringLiteral("SIMILARAIRCRAFTID")).setValue(id1);
    rs.fields(QStringLiteral("ASK")).setValue(ask);
    rs.update();
    rs.close();
}

} // namespace sky::data
