#include "data/catalog.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "shell/helpers.h"

namespace sky::data {

using db::Connection;
using db::Recordset;

QString TrimBlanks(const QString& text) {
    int start = 0;
    int end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' ')) ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' ')) --end;
    return text.mid(start, end - start);
}

namespace {

Connection& require(Connection* connection, const char* which) {
    if (!connection || !connection->isOpen())
        throw SkyError(db::kErrNotOpen, QStringLiteral("The %1 database is not open.").arg(QLatin1String(which)));
    return *connection;
}

// The position of the first entry equal to `key` once both are trimmed and
// lower-cased; -1 when none is.
int findFolded(const QStringList& list, const QString& key) {
    const QString wanted = TrimBlanks(key).toLower();
    for (int i = 0; i < list.size(); ++i)
        if (TrimBlanks(list.at(i)).toLower() == wanted) return i;
    return -1;
}

} // namespace

// ------------------------------------------------------------ the lists

int CatalogLists::resetLstAircraftNamesAndFolders(bool isCaptainsChallenge) {
    lstAircraftFolders.clear();
    lstAircraftNames.clear();
    lstAircraftIsActive.clear();
    lstActiveFolders.clear();
    int count = 0;

    Recordset rs;
    rs.Open(QStringLiteral("SELECT AIRPLANETYPE, FOLDER, isACTIVE FROM AIRCRAFT ORDER BY AIRPLANETYPE"),
            require(db::UserDB(), "user"), db::adOpenForwardOnly, db::adLockOptimistic);
    while (!rs.eof()) {
        const QString type = rs.fields(0).text();
        const QString folder = rs.fields(1).text();
        const QVariant active = rs.fields(2).value();
        const QString trimmedFolder = TrimBlanks(folder);
        lstAircraftFolders << trimmedFolder;
        lstAircraftNames << TrimBlanks(type);
        const bool isActive = !active.isNull() && active.toBool();
        if (FileExists(db::PictureDatabasePath(folder)) && (isActive || isCaptainsChallenge)) {
            lstAircraftIsActive << QStringLiteral("Y");
            lstActiveFolders << trimmedFolder;
            ++count;
        } else {
            lstAircraftIsActive << QStringLiteral("N");
        }
        rs.moveNext();
    }
    rs.close();
    return count;
}

bool CatalogLists::isAircraftFolderActive(const QString& folder) const {
    const QString wanted = TrimBlanks(folder);
    for (const QString& entry : lstActiveFolders)
        if (TrimBlanks(entry) == wanted) return true;
    return false;
}

QString CatalogLists::GetAircraftName(const QString& folder) const {
    const int i = findFolded(lstAircraftFolders, folder);
    if (i < 0 || i >= lstAircraftNames.size()) return QString();
    return TrimBlanks(lstAircraftNames.at(i));
}

QString CatalogLists::GetAircraftFolderName(const QString& name) const {
    const int i = findFolded(lstAircraftNames, name);
    if (i < 0 || i >= lstAircraftFolders.size()) return QString();
    return TrimBlanks(lstAircraftFolders.at(i));
}

// ------------------------------------------------------- database lookups

int GetAircraftIDinDB(Connection& connection, const QString& folder) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT AirplaneID FROM AIRCRAFT WHERE TRIM(FOLDER) = '") +
                DoubleSingleQuotes(TrimBlanks(folder)) + QStringLiteral("'"),
            connection, db::adOpenForwardOnly, db::adLockOptimistic);
    const int id = rs.eof() ? 0 : rs.fields(0).value().toInt();
    rs.close();
    return id;
}

QString GetAircraftFolderinDB(Connection& connection, int id) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT FOLDER FROM AIRCRAFT WHERE AirplaneID=") + QString::number(id), connection,
            db::adOpenForwardOnly, db::adLockOptimistic);
    const QString folder = rs.eof() ? QString() : rs.fields(0).text();
    rs.close();
    return folder;
}

QString GetAirplaneTypeFromDB(Connection& connection, const QString& folder) {
    Recordset rs;
    // The folder is trimmed like the stored one: a FOLDER stored with blanks
    // around it, passed on as read, still finds its name.
    rs.Open(QStringLiteral("SELECT AIRPLANETYPE FROM AIRCRAFT WHERE TRIM(FOLDER) = '") +
                DoubleSingleQuotes(TrimBlanks(folder)) +
                QStringLiteral("'"),
            connection, db::adOpenForwardOnly, db::adLockOptimistic);
    const QString type = rs.eof() ? QString() : TrimBlanks(rs.fields(0).text());
    rs.close();
    return type;
}

bool isAircraftFolderInDB(Connection& connection, const QString& folder) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT FOLDER FROM AIRCRAFT WHERE TRIM(FOLDER)='") + DoubleSingleQuotes(TrimBlanks(folder)) +
                QStringLiteral("'"),
            connection, db::adOpenForwardOnly, db::adLockOptimistic);
    const bool found = !rs.eof();
    rs.close();
    return found;
}

// ------------------------------------------------------------ shared code

QString GetTextConstant(const QString& name) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT TEXTCONSTANTDATA FROM TEXTCONSTANTS WHERE UCASE(TRIM(TEXTCONSTANTNAME))='") +
                DoubleSingleQuotes(TrimBlanks(name).toUpper()) + QStringLiteral("'"),
            require(db::StaticDB(), "static"), db::adOpenForwardOnly, db::adLockOptimistic);
    const QString text = rs.eof() ? QString() : rs.fields(0).text();
    rs.close();
    return text;
}

QString AircraftSetColumn(int index) {
    const QStringList& columns = db::AircraftSetColumns();
    if (index < 0 || index >= columns.size()) return QString();
    return columns.at(index);
}

bool IsAirportSet(int index) { return index < 2; }

bool IsAnyAircraftDataMissing() {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT FOLDER FROM AIRCRAFT "), require(db::UserDB(), "user"), db::adOpenForwardOnly,
            db::adLockOptimistic);
    while (!rs.eof()) {
        if (!FileExists(db::PictureDatabasePath(rs.fields(0).text()))) {
            rs.close();
            return true;
        }
        rs.moveNext();
    }
    rs.close();
    return false;
}

} // namespace sky::data
