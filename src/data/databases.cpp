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
#include <mutex>
#include <system_error>
#include <thread>

namespace sky::db {

namespace {
std::unique_ptr<Connection> g_static;
std::unique_ptr<Connection> g_user;

// Connections opened ahead on their own thread.
struct OpenedAhead {
    std::thread thread;
    QString paths[2];
    std::unique_ptr<Connection> connections[2];
};
std::mutex g_aheadMutex;
std::unique_ptr<OpenedAhead> g_ahead;

// The connection opened ahead for `path`, when there is one; waits for the
// thread first.
std::unique_ptr<Connection> takeOpenedAhead(const QString& path) {
    std::lock_guard<std::mutex> lock(g_aheadMutex);
    if (!g_ahead) return nullptr;
    if (g_ahead->thread.joinable()) g_ahead->thread.join();
    for (int i = 0; i < 2; ++i)
        if (g_ahead->connections[i] && g_ahead->paths[i] == path) return std::move(g_ahead->connections[i]);
    return nullptr;
}

void dropOpenedAhead() {
    std::lock_guard<std::mutex> lock(g_aheadMutex);
    if (!g_ahead) return;
    if (g_ahead->thread.joinable()) g_ahead->thread.join();
    g_ahead.reset();
}

void openIfAbsent(std::unique_ptr<Connection>& slot, const QString& path) {
    if (slot) return;
    if (auto ahead = takeOpenedAhead(path)) {
        slot = std::move(ahead);
        return;
    }
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

void OpenDatabasesInBackground() {
    std::lock_guard<std::mutex> lock(g_aheadMutex);
    if (g_ahead || g_static || g_user) return;
    auto ahead = std::make_unique<OpenedAhead>();
    ahead->paths[0] = StaticDatabasePath();
    ahead->paths[1] = UserDatabasePath();
    OpenedAhead* const a = ahead.get();
    try {
        a->thread = std::thread([a] {
            for (int i = 0; i < 2; ++i) {
                try {
                    auto c = std::make_unique<Connection>();
                    OpenProgramDatabase(*c, a->paths[i]);
                    a->connections[i] = std::move(c);
                } catch (...) {
                    // Opened again, and reported, by OpenDatabases.
                }
            }
        });
    } catch (const std::system_error&) {
        return; // no thread to spare: OpenDatabases opens them
    }
    g_ahead = std::move(ahead);
}

void CloseDatabases() {
    dropOpenedAhead();
    if (g_user) g_user->Close();
    g_user.reset();
    if (g_static) g_static->Close();
    g_static.reset();
}

} // namespace sky::db
