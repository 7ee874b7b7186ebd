// The catalogue lists and every lookup over them and over the databases.
#pragma once

#include <QString>
#include <QStringList>

namespace sky::db {
class Connection;
}

namespace sky::data {

// The four lists the main window rebuilds when a game starts; the first
// three are parallel (entry i is the same aircraft).
struct CatalogLists {
    QStringList lstAircraftFolders;
    QStringList lstAircraftNames;
    QStringList lstAircraftIsActive; // "Y" or "N"
    QStringList lstActiveFolders;

    // Rebuilds the lists from the user database; returns the number of
    // aircraft marked "Y".
    int resetLstAircraftNamesAndFolders(bool isCaptainsChallenge);
    bool isAircraftFolderActive(const QString& folder) const;
    QString GetAircraftName(const QString& folder) const;
    QString GetAircraftFolderName(const QString& name) const;
};

int GetAircraftIDinDB(db::Connection& connection, const QString& folder);
QString GetAircraftFolderinDB(db::Connection& connection, int id);
QString GetAirplaneTypeFromDB(db::Connection& connection, const QString& folder);
bool isAircraftFolderInDB(db::Connection& connection, const QString& folder);

QString GetTextConstant(const QString& name);
QString AircraftSetColumn(int index);
bool IsAirportSet(int index);
bool IsAnyAircraftDataMissing();

// The text without the blanks (spaces) at either end, as the database's
// TRIM() removes them, so that a lookup here and one in a statement agree.
QString TrimBlanks(const QString& text);

} // namespace sky::data
