// The tables and columns of the program's database files.
#pragma once

#include <QString>
#include <QStringList>

namespace sky::db {

class Connection;

enum class DbKind {
    Static,   // the catalogue: AIRCRAFT, SIMILARAIRCRAFT, TEXTCONSTANTS
    User,     // the user's copy: the same tables
    Pictures, // one aircraft's photographs: IMAGES
};

// The eight aircraft-set columns of AIRCRAFT, index 0 to 7.
const QStringList& AircraftSetColumns();

// Creates the tables of `kind` in an open, empty database.
void CreateSchema(Connection& connection, DbKind kind);
// Creates a new encrypted file with the program's password and its tables.
void CreateDatabaseFile(const QString& path, DbKind kind);

} // namespace sky::db
