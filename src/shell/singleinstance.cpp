#include "shell/singleinstance.h"

#include "shell/appstate.h"
#include "shell/platform.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <memory>
#include <unistd.h>

namespace sky {

namespace {
QLocalServer* g_server = nullptr;
std::unique_ptr<QLockFile> g_lock;
QPointer<QWidget> g_window;
bool g_cleanupRegistered = false;
constexpr char kActivate[] = "activate\n";
// How long a later copy keeps trying to reach the first one.
constexpr int kHandOverMs = 8000;

QString UserKey(const QString& title, const QString& appDataFolder) {
    const QByteArray who = title.toUtf8() + '|' + QByteArray::number(static_cast<qulonglong>(getuid())) + '|' +
                           appDataFolder.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(who, QCryptographicHash::Sha1).toHex().left(12));
}

void StartListening(const QString& name) {
    if (g_server) return;
    g_server = new QLocalServer();
    g_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the lock holder listens, so a socket file already there was left
    // by a copy that was killed: nobody answers on it.
    QLocalServer::removeServer(name);
    g_server->listen(name);
    QObject::connect(g_server, &QLocalServer::newConnection, [] {
        while (QLocalSocket* s = g_server->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QLocalSocket::readyRead, s, [s] {
                if (!s->readAll().startsWith("activate")) return;
                // Still starting: the window shows itself when start-up ends.
                if (g_window && g_window->isVisible()) {
                    g_window->setWindowState(g_window->windowState() & ~Qt::WindowMinimized);
                    g_window->show();
                    g_window->raise();
                    g_window->activateWindow();
                }
                s->write("ok\n");
                s->flush();
            });
        }
    });
}

// One attempt to reach the running copy; true when it answered.
bool AskToActivate(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(300)) return false;
    socket.write(kActivate);
    return socket.waitForBytesWritten(1000) && socket.waitForReadyRead(2000) && socket.readAll().startsWith("ok");
}

bool TakeLock(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    g_lock = std::make_unique<QLockFile>(path);
    // A start can take long (the first-run move); the lock is stale only
    // when the process that took it is gone.
    g_lock->setStaleLockTime(0);
    return g_lock->tryLock(0);
}

} // namespace

QString InstanceChannelName(const QString& title, const QString& appDataFolder) {
    return title + QStringLiteral("-") + UserKey(title, appDataFolder);
}

QString InstanceLockPath(const QString& title, const QString& appDataFolder) {
    if (!appDataFolder.isEmpty()) return QDir::cleanPath(appDataFolder) + QLatin1Char('/') + title + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + title + QLatin1Char('-') + UserKey(title, appDataFolder) +
           QStringLiteral(".lock");
}

bool HoldsInstanceLock() { return g_lock && g_lock->isLocked(); }

void ActivatePreviousInstance() {
    if (HoldsInstanceLock()) return;
    const QString title = AppTitleLive();
    const QString appData = platform().folders->appData();
    // This copy is no longer the one a later search should find.
    SetAppTitleLive(QStringLiteral("unwanted instance"));
    const QString channel = InstanceChannelName(title, appData);
    QString lockPath = InstanceLockPath(title, appData);
    bool mine = TakeLock(lockPath);
    if (!mine && g_lock->error() != QLockFile::LockFailedError) {
        // The data folder cannot hold a lock (no permission): the temporary
        // folder's, private to this user, serves instead.
        lockPath = InstanceLockPath(title, QString());
        mine = TakeLock(lockPath);
        if (!mine && g_lock->error() != QLockFile::LockFailedError) {
            // Nowhere to keep a lock: run, as when no other copy is found.
            g_lock.reset();
            SetAppTitleLive(title);
            return;
        }
    }
    if (!mine) {
        // Another copy runs: raise it and end. It may still be starting (its
        // channel opens right after its lock), so try for a while.
        const QDeadlineTimer deadline(kHandOverMs);
        while (!deadline.hasExpired()) {
            if (AskToActivate(channel)) break;
            // The other copy ended meanwhile: this one is the first now.
            if (g_lock->tryLock(0)) {
                mine = true;
                break;
            }
            QThread::msleep(50);
        }
        if (!mine) {
            g_lock.reset();
            platform().process->exitProcess(0);
        }
    }
    SetAppTitleLive(title);
    StartListening(channel);
    if (!g_cleanupRegistered) {
        g_cleanupRegistered = true;
        AtProcessExit([] { ReleaseInstance(); });
    }
}

void ListenForLaterInstances(QWidget* window) {
    if (window) g_window = window;
}

void StopListeningForLaterInstances() {
    if (!g_server) return;
    g_server->close(); // removes the socket file
    delete g_server;
    g_server = nullptr;
}

void ReleaseInstance() {
    StopListeningForLaterInstances();
    if (g_lock) g_lock->unlock();
    g_lock.reset();
    g_window = nullptr;
}

} // namespace sky
