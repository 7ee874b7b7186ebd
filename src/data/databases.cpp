#include "data/databases.h"

#include "data/db.h"
#include "data/schema.h"
#include "shell/appstate.h"
#include "shell/helpers.h"
#include "shell/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

QString DamagedUserDatabaseKeptName() { return QStringLiteral("skyrendeluserdata-damaged.skr"); }

namespace {

// Moves the damaged user database aside (kept, never deleted) and puts an
// empty one in its place, made beside it and renamed into place; the
// synchronisation that follows the opening fills it from the catalogue.
void rebuildUserDatabase(const QString& path) {
    const QFileInfo info(path);
    const QString kept = info.dir().filePath(DamagedUserDatabaseKeptName());
    const QString fresh = path + QStringLiteral(".new");
    QFile::remove(fresh);
    CreateDatabaseFile(fresh, DbKind::User);
    QFile::remove(kept);
    if (!QFile::rename(path, kept)) {
        QFile::remove(fresh);
        throw SkyError(kErrPermissionDenied, QStringLiteral("The damaged file '") + path +
                                                 QStringLiteral("' cannot be moved aside to rebuild it."));
    }
    if (!QFile::rename(fresh, path)) {
        QFile::rename(kept, path);
        throw SkyError(kErrPermissionDenied, QStringLiteral("The file '") + path + QStringLiteral("' cannot be rebuilt."));
    }
}

} // namespace

void OpenDatabases() {
    try {
        openIfAbsent(g_static, StaticDatabasePath());
    } catch (const SkyError& e) {
        if (e.number() != kErrDamagedFile) throw;
        throw SkyError(e.number(), QStringLiteral("The aircraft catalogue '") + StaticDatabasePath() +
                                       QStringLiteral("' is damaged and cannot be read.\r\n\r\nPlease reinstall "
                                                      "Skyrendel (or its catalogue) to replace it. Your own choices "
                                                      "are kept in a file of their own and are not affected."));
    }
    const QString user = UserDatabasePath();
    try {
        openIfAbsent(g_user, user);
    } catch (const SkyError& e) {
        if (e.number() != kErrDamagedFile) throw;
        const QString damaged = QStringLiteral("The file of your own choices '") + user +
                                QStringLiteral("' is damaged and cannot be read.");
        const MsgResult answer = platform().messageBox->show(
            nullptr, AppTitleLive(),
            damaged + QStringLiteral("\r\n\r\nIt can be rebuilt from the aircraft catalogue. Every aircraft then "
                                     "takes part again, with the catalogue's aircraft sets and similar pairs: the "
                                     "choices you made are lost. The damaged file is kept as '") +
                DamagedUserDatabaseKeptName() + QStringLiteral("'.\r\n\r\nRebuild it now?"),
            MsgIcon::Exclamation, MsgButtons::YesNo);
        if (answer != MsgResult::Yes)
            throw SkyError(e.number(), damaged + QStringLiteral("\r\n\r\nNothing was changed. Put back a copy of "
                                                                "the file, or start Skyrendel again and let it "
                                                                "rebuild the file from the catalogue."));
        rebuildUserDatabase(user);
        openIfAbsent(g_user, user);
    }
}

void CloseDatabases() {
    if (g_user) g_user->Close();
    g_user.reset();
    if (g_static) g_static->Close();
    g_static.reset();
}

} // namespace sky::db
