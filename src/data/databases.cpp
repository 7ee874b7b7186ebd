#include "data/databases.h"

#include "data/db.h"
#include "shell/appstate.h"
#include "shell/helpers.h"

#include <memory>

namespace sky::db {

namespace {
std::unique_ptr<Connection> g_static;
std::unique_ptr<Connection> g_user;

void openIfAbsent(std::unique_ptr<Connection>& slot, const QString& path) {
    if (slot) return;
    auto c = std::make_unique<Connection>();
    OpenProgramDatabase(*c, path);
    slot = std::move(c);
}
} // namespace

Connection* StaticDB() { return g_static.get(); }
Connection* UserDB() { return g_user.get(); }

QString DatabasePassword() { return QStringLiteral("k7vq2mx9r"); }

QString StaticDatabasePath() { return CatPathA(InstallFolder(), QStringLiteral("skyrendel.skr")); }
QString UserDatabasePath() { return CatPathA(InstallFolder(), QStringLiteral("skyrendeluserdata.skr")); }

QString PictureDatabasePath(const QString& folder) {
    return CatPathA(CatPathA(InstallFolder(), QStringLiteral("DATA")), folder + QStringLiteral(".skr"));
}

void OpenProgramDatabase(Connection& connection, const QString& path) {
    connection.Open(ConnectionString(path, DatabasePassword()), QString(), QString());
}

void OpenDatabases() {
    openIfAbsent(g_static, StaticDatabasePath());
    openIfAbsent(g_user, UserDatabasePath());
}

void CloseDatabases() {
    if (g_user) g_user->Close();
    g_user.reset();
    if (g_static) g_static->Close();
    g_static.reset();
}

} // namespace sky::db
