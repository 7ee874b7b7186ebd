// The program's database files and its two long-lived connections.
#pragma once

#include <QString>

namespace sky::db {

class Connection;

// The static (catalogue) and user database connections; null while absent.
Connection* StaticDB();
Connection* UserDB();

// Opens each connection that is absent; one already open is left alone.
// A damaged catalogue is reported, naming the file and what to do; for a
// damaged user database the user is offered to rebuild it from the
// catalogue (the damaged file is kept as DamagedUserDatabaseKeptName()).
void OpenDatabases();
// Starts opening the two databases on a thread of its own, while the start
// goes on; OpenDatabases then takes the connections made (waiting for them
// if need be). A file that does not open there is opened again by
// OpenDatabases, which reports it as always: every message comes from the
// start's own thread, in its place.
void OpenDatabasesInBackground();
QString DamagedUserDatabaseKeptName();
void CloseDatabases();

QString DatabasePassword();
QString StaticDatabasePath();
QString UserDatabasePath();
// DATA/FOLDER.skr in the data folder; `folder` used as given.
QString PictureDatabasePath(const QString& folder);

// Opens any of the program's files with its password.
void OpenProgramDatabase(Connection& connection, const QString& path);

} // namespace sky::db
