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
// The user's answer history: one row per answered quiz question. Kept in
// the user database beside the user's aircraft, keyed by FOLDER text rather
// than AirplaneID, so that an aircraft that leaves the catalogue keeps its
// rows and the synchronisation never needs to look at them. Created on first
// use, so user databases made before it existed gain it without a rebuild.
//   QUIZID       the quiz's start, milliseconds since 1970 (UTC)
//   ANSWEREDAT   when the answer was given, "yyyy-MM-ddThh:mm:ss.zzz" UTC
//   GAMEMODE, ISHARD, ISCAPTAINS   the game settings of the quiz
//   CORRECTFOLDER, CHOSENFOLDER, DISTRACTOR1, DISTRACTOR2, PICTURE, ISRIGHT
void EnsureAnswerHistoryTable(Connection& connection);
// True when the connection's database has the table.
bool HasAnswerHistoryTable(Connection& connection);

// Creates a new encrypted file with the program's password and its tables.
void CreateDatabaseFile(const QString& path, DbKind kind);

} // namespace sky::db
