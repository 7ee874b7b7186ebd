#include "options/optionsdata.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/sync.h"
#include "quiz/questions.h"
#include "shell/errors.h"
#include "shell/helpers.h"

#include <QFileInfo>

namespace sky::options {

using db::Connection;
using db::Recordset;

namespace {

Connection& userDb() {
    Connection* c = db::UserDB();
    if (!c || !c->isOpen()) throw SkyError(db::kErrNotOpen, QStringLiteral("The user database is not open."));
    return *c;
}

Connection& staticDb() {
    Connection* c = db::StaticDB();
    if (!c || !c->isOpen()) throw SkyError(db::kErrNotOpen, QStringLiteral("The catalogue database is not open."));
    return *c;
}

// One write to the user database: all of it or nothing. The file must
// still be where it was opened; an open connection to a removed file would
// take the writes and lose them with the file.
class WriteScope {
public:
    WriteScope() : conn_(userDb()) {
        if (!QFileInfo::exists(conn_.path()))
            throw SkyError(kErrFileNotFound,
                           QStringLiteral("The user database \"%1\" is no longer there.").arg(conn_.path()));
        if (!conn_.inTransaction()) {
            conn_.BeginTrans();
            owns_ = true;
        }
    }
    ~WriteScope() {
        if (owns_ && conn_.inTransaction()) {
            try {
                conn_.RollbackTrans();
            } catch (...) {
            }
        }
    }
    void commit() {
        if (owns_) conn_.CommitTrans();
        owns_ = false;
    }
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;

private:
    Connection& conn_;
    bool owns_ = false;
};

QString quotedName(const QString& name) { return DoubleSingleQuotes(data::TrimBlanks(name)); }

void restoreOne(Connection& statics, Connection& user, const QString& folder) {
    const int staticID = data::GetAircraftIDinDB(statics, folder);
    const int userID = data::GetAircraftIDinDB(user, folder);
    DeleteAllSimilarities(userID);

    struct StaticPair {
        int a, b;
        bool ask;
    };
    QVector<StaticPair> pairs;
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT AIRCRAFTID, SIMILARAIRCRAFTID, ASK FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") +
                    QString::number(staticID) + QStringLiteral(" OR SIMILARAIRCRAFTID=") + QString::number(staticID),
                statics);
        while (!rs.eof()) {
            pairs.push_back({rs.fields(0).value().toInt(), rs.fields(1).value().toInt(), rs.fields(2).value().toBool()});
            rs.moveNext();
        }
        rs.close();
    }
    for (const StaticPair& p : pairs) {
        const QString folderA = data::GetAircraftFolderinDB(statics, p.a);
        const QString folderB = data::GetAircraftFolderinDB(statics, p.b);
        // Compared as the lookups match folders (trimmed), so a folder stored
        // with a blank never pairs the aircraft with itself.
        const QString partner = data::TrimBlanks(folder) != data::TrimBlanks(folderA) ? folderA : folderB;
        data::SetSimilarAircraftPair(folder, partner, p.ask);
    }

    Recordset staticRow;
    staticRow.Open(QStringLiteral("SELECT * FROM AIRCRAFT WHERE AIRPLANEID=") + QString::number(staticID), statics);
    Recordset userRow;
    userRow.Open(QStringLiteral("SELECT * FROM AIRCRAFT WHERE AIRPLANEID=") + QString::number(userID), user,
                 db::adOpenKeyset, db::adLockOptimistic);
    if (!staticRow.eof() && !userRow.eof()) {
        for (int s = 0; !data::AircraftSetColumn(s).isEmpty(); ++s) {
            const QString column = data::AircraftSetColumn(s);
            userRow.fields(column).setValue(staticRow.fields(column).value());
        }
        userRow.update();
    }
    userRow.close();
    staticRow.close();
}

} // namespace

QString SetCaption(int s) {
    static const char* const captions[kSetCount] = {"USA Airport Typical",  "Europe Airport Typical",
                                                    "ex-USSR Aircraft",     "Larger Jet Airliners",
                                                    "Smaller Jet Airliners", "Corporate Jets",
                                                    "Propeller Airliners",  "Propeller Other"};
    if (s < 0 || s >= kSetCount) return QString();
    return QString::fromLatin1(captions[s]);
}

AircraftLists FillAircraftLists() {
    AircraftLists lists;
    Recordset rs;
    rs.Open(QStringLiteral("SELECT AIRPLANEID, AIRPLANETYPE, ISACTIVE FROM AIRCRAFT") +
                QStringLiteral(" ORDER BY AIRPLANETYPE"),
            userDb());
    while (!rs.eof()) {
        const QString name = data::TrimBlanks(rs.fields(1).text());
        if (rs.fields(2).value().toBool())
            lists.lstActive << name;
        else
            lists.lstInactive << name;
        lists.lstAllAircraft << name;
        lists.lstAllAircraftIDs << rs.fields(0).value().toInt();
        rs.moveNext();
    }
    rs.close();
    return lists;
}

void SetAircraftActive(const QString& typeName, bool active) {
    WriteScope write;
    userDb().Execute(QStringLiteral("UPDATE AIRCRAFT SET isACTIVE=") +
                     (active ? QStringLiteral("TRUE") : QStringLiteral("FALSE")) +
                     QStringLiteral(" WHERE TRIM(AIRPLANETYPE)='") + quotedName(typeName) + QStringLiteral("'"));
    write.commit();
}

void MoveAircraft(int k, bool makeActive, const QStringList& source, const QList<int>& selected) {
    WriteScope write;
    if (k == 0 || k == 1) {
        for (int i = 0; i < source.size(); ++i)
            if (k == 1 || selected.contains(i)) SetAircraftActive(data::TrimBlanks(source[i]), makeActive);
    } else {
        const QString column = data::AircraftSetColumn(k - 2);
        if (column.isEmpty()) return;
        QStringList names;
        Recordset rs;
        rs.Open(QStringLiteral("SELECT AIRPLANETYPE FROM AIRCRAFT WHERE ") + column + QStringLiteral(" =TRUE"),
                userDb());
        while (!rs.eof()) {
            names << data::TrimBlanks(rs.fields(0).text());
            rs.moveNext();
        }
        rs.close();
        for (const QString& name : names) SetAircraftActive(name, makeActive);
    }
    write.commit();
}

AircraftRecord ReadAircraftByName(const QString& name, int preferredId) {
    AircraftRecord found;
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM AIRCRAFT WHERE TRIM(AIRPLANETYPE) = '") + quotedName(name) +
                QStringLiteral("'"),
            userDb());
    while (!rs.eof()) {
        const int id = rs.fields(QStringLiteral("AirplaneID")).value().toInt();
        if (!found.found || id == preferredId) {
            found.found = true;
            found.id = id;
            found.folder = rs.fields(QStringLiteral("FOLDER")).text();
            found.type = rs.fields(QStringLiteral("AIRPLANETYPE")).text();
            for (int s = 0; s < kSetCount; ++s)
                found.sets[s] = rs.fields(data::AircraftSetColumn(s)).value().toBool();
            if (id == preferredId) break;
        }
        rs.moveNext();
    }
    rs.close();
    return found;
}

void SaveSetMemberships(int airplaneId, const std::array<bool, kSetCount>& sets) {
    WriteScope write;
    for (int s = 0; s < kSetCount; ++s)
        userDb().Execute(QStringLiteral("UPDATE AIRCRAFT SET ") + data::AircraftSetColumn(s) + QStringLiteral(" = ") +
                         (sets[s] ? QStringLiteral("TRUE") : QStringLiteral("FALSE")) +
                         QStringLiteral(" WHERE AIRPLANEID=") + QString::number(airplaneId));
    write.commit();
}

void DeleteAllSimilarities(int id) {
    WriteScope write;
    userDb().Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + QString::number(id));
    userDb().Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE SIMILARAIRCRAFTID=") + QString::number(id));
    write.commit();
}

void RestoreAircraftDefaults(const QString& folder) {
    WriteScope write;
    restoreOne(staticDb(), userDb(), folder);
    write.commit();
}

void RestoreAllAircraftDefaults() {
    Connection& statics = staticDb();
    Connection& user = userDb();
    // Every row by its own FOLDER: two aircraft of one name are each
    // restored, not the first of them twice.
    QStringList folders;
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT FOLDER FROM AIRCRAFT ORDER BY AIRPLANETYPE"), user);
        while (!rs.eof()) {
            folders << rs.fields(0).text();
            rs.moveNext();
        }
        rs.close();
    }
    WriteScope write;
    quiz::ReadScope readStatic(&statics);
    for (const QString& folder : folders) restoreOne(statics, user, folder);
    write.commit();
}

int SimilarityStatus(int a, int b) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + QString::number(a) +
                QStringLiteral(" AND SIMILARAIRCRAFTID=") + QString::number(b),
            userDb());
    int status = kNeutral;
    if (!rs.eof()) status = rs.fields(QStringLiteral("ASK")).value().toBool() ? kHard : kNever;
    rs.close();
    return status;
}

void DeleteSimilarity(int a, int b) {
    WriteScope write;
    const QString A = QString::number(a), B = QString::number(b);
    userDb().Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + A +
                     QStringLiteral(" AND SIMILARAIRCRAFTID=") + B);
    userDb().Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=") + B +
                     QStringLiteral(" AND SIMILARAIRCRAFTID=") + A);
    write.commit();
}

namespace {
void setPair(int a, int b, const QString& ask) {
    WriteScope write;
    DeleteSimilarity(a, b);
    const QString A = QString::number(a), B = QString::number(b);
    userDb().Execute(QStringLiteral("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (") + A +
                     QStringLiteral(",") + B + ask);
    userDb().Execute(QStringLiteral("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (") + B +
                     QStringLiteral(",") + A + ask);
    write.commit();
}
} // namespace

void SetSimilarityHARD(int a, int b) { setPair(a, b, QStringLiteral(", TRUE)")); }
void SetSimilarityNEVER(int a, int b) { setPair(a, b, QStringLiteral(", FALSE)")); }

SimilarityLists LoadSimilarityLists(int currentId, const QString& currentFolder) {
    SimilarityLists lists;
    Connection& user = userDb();
    // One read lock for the whole walk instead of one per status query.
    quiz::ReadScope read(&user);
    Recordset rs;
    rs.Open(QStringLiteral("SELECT AirplaneID, FOLDER, AIRPLANETYPE FROM AIRCRAFT ORDER BY AirplaneTYPE"), user);
    struct Other {
        int id;
        QString type;
    };
    QVector<Other> others;
    while (!rs.eof()) {
        if (rs.fields(1).text() != currentFolder) others.push_back({rs.fields(0).value().toInt(), rs.fields(2).text()});
        rs.moveNext();
    }
    rs.close();
    for (const Other& o : others) {
        lists.lstOtherAircraftIDs << QString::number(o.id);
        lists.lstOtherAircraft << o.type;
        lists.lstAskStatus << QString::number(SimilarityStatus(currentId, o.id));
    }
    return lists;
}

GridSetup SetupSimilarityGrid(int n) {
    GridSetup g;
    if (n - kGridRows < 1) {
        g.visibleRows = qMax(0, n);
        g.scrollVisible = false;
        g.scrollMax = 0;
    } else {
        g.visibleRows = kGridRows;
        g.scrollVisible = true;
        g.scrollMax = n - kGridRows;
    }
    return g;
}

} // namespace sky::options
