#include "shell/singleinstance.h"

#include "shell/appstate.h"
#include "shell/platform.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QSysInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QWidget>

#include <cerrno>
#include <functional>
#include <map>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace sky {

namespace {

// The channel is a local stream socket in the temporary folder, the same
// file any local-socket client finds under the channel's name.
QString ChannelPath(const QString& name) { return QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + name; }

bool FillAddress(const QString& name, sockaddr_un& address) {
    const QByteArray path = QFile::encodeName(ChannelPath(name));
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, path.constData(), path.size());
    return true;
}

// The first copy's end of the channel: accepts later copies and answers
// their "activate" with "ok" once it has raised the main window.
class ChannelServer {
public:
    ~ChannelServer() { close(); }

    bool listen(const QString& name) {
        sockaddr_un address;
        if (!FillAddress(name, address)) return false;
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ < 0) return false;
        path_ = QFile::encodeName(ChannelPath(name));
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::chmod(path_.constData(), 0600) != 0 ||
            ::listen(fd_, 8) != 0) {
            close();
            return false;
        }
        bound_ = true;
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { acceptAll(); });
        return true;
    }

    void close() {
        for (auto& [fd, client] : clients_) ::close(fd);
        clients_.clear();
        notifier_.reset();
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (bound_) ::unlink(path_.constData());
        bound_ = false;
    }

    std::function<void()> onActivate;

private:
    struct Client {
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray received;
    };

    void acceptAll() {
        for (;;) {
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0) return;
            Client& c = clients_[client];
            c.notifier = std::make_unique<QSocketNotifier>(client, QSocketNotifier::Read);
            QObject::connect(c.notifier.get(), &QSocketNotifier::activated, [this, client] { readFrom(client); });
        }
    }

    void readFrom(int client) {
        auto it = clients_.find(client);
        if (it == clients_.end()) return;
        char buffer[256];
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n > 0) it->second.received.append(buffer, n);
        const bool asked = it->second.received.startsWith("activate");
        // A request is one short line: anything longer, or the end without
        // one, closes the connection.
        if (asked || n <= 0 || it->second.received.size() > 64) {
            if (asked) {
                if (onActivate) onActivate();
                const char ok[] = "ok\n";
                [[maybe_unused]] const ssize_t w = ::send(client, ok, sizeof ok - 1, MSG_NOSIGNAL);
            }
            it->second.notifier.reset();
            ::close(client);
            clients_.erase(it);
        }
    }

    int fd_ = -1;
    bool bound_ = false;
    QByteArray path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<int, Client> clients_;
};

// The lock: a file held with flock(2) for the whole run. The kernel lets go
// of it when the process ends in any way, so a file left by a copy that was
// killed is free to take; the file itself goes at a normal end. Taking it
// writes nothing to disk but the holder's process id.
class InstanceLock {
public:
    enum Result { Taken, HeldElsewhere, Failed };
    explicit InstanceLock(const QString& path) : path_(QFile::encodeName(path)) {}
    ~InstanceLock() { unlock(); }

    Result tryLock() {
        if (fd_ >= 0) return Taken;
        // A few rounds: the holder may end and remove the file between our
        // open and our flock, leaving us a lock on a file nobody else sees.
        for (int round = 0; round < 5; ++round) {
            const int fd = ::open(path_.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0) return Failed;
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const bool held = errno == EWOULDBLOCK;
                ::close(fd);
                return held ? HeldElsewhere : Failed;
            }
            struct stat held {}, named {};
            if (::fstat(fd, &held) != 0 || ::stat(path_.constData(), &named) != 0 || held.st_ino != named.st_ino ||
                held.st_dev != named.st_dev) {
                ::close(fd);
                continue;
            }
            // The holder's process id, name and host, as other lock files
            // state them, for anyone who looks.
            const QByteArray who = QByteArray::number(qint64(::getpid())) + '\n' +
                                   QFile::encodeName(QCoreApplication::applicationName()) + '\n' +
                                   QSysInfo::machineHostName().toUtf8() + '\n';
            if (::ftruncate(fd, 0) == 0) {
                [[maybe_unused]] const ssize_t w = ::write(fd, who.constData(), size_t(who.size()));
            }
            fd_ = fd;
            return Taken;
        }
        return Failed;
    }

    bool isLocked() const { return fd_ >= 0; }

    void unlock() {
        if (fd_ < 0) return;
        // Removed while still held: a copy that opened it meanwhile finds,
        // once it has the lock, that the name no longer leads to its file.
        ::unlink(path_.constData());
        ::close(fd_);
        fd_ = -1;
    }

private:
    QByteArray path_;
    int fd_ = -1;
};

ChannelServer* g_server = nullptr;
std::unique_ptr<InstanceLock> g_lock;
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
    g_server = new ChannelServer();
    // Only the lock holder listens, so a socket file already there was left
    // by a copy that was killed: nobody answers on it.
    QFile::remove(ChannelPath(name));
    g_server->onActivate = [] {
        // Still starting: the window shows itself when start-up ends.
        if (g_window && g_window->isVisible()) {
            g_window->setWindowState(g_window->windowState() & ~Qt::WindowMinimized);
            g_window->show();
            g_window->raise();
            g_window->activateWindow();
        }
    };
    g_server->listen(name);
}

// Waits up to `ms` for `fd` to be ready for `events`.
bool WaitFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    const QDeadlineTimer deadline(ms);
    for (;;) {
        const int r = ::poll(&p, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (r > 0) return true;
        if (r == 0 || errno != EINTR || deadline.hasExpired()) return false;
    }
}

// One attempt to reach the running copy; true when it answered.
bool AskToActivate(const QString& name) {
    sockaddr_un address;
    if (!FillAddress(name, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    bool answered = false;
    int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (rc != 0 && (errno == EINPROGRESS || errno == EAGAIN) && WaitFor(fd, POLLOUT, 300)) {
        int error = 0;
        socklen_t length = sizeof error;
        rc = (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) ? 0 : -1;
    }
    if (rc == 0 && ::send(fd, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL) == ssize_t(sizeof kActivate - 1)) {
        QByteArray reply;
        const QDeadlineTimer deadline(2000);
        while (!reply.contains('\n') && WaitFor(fd, POLLIN, int(qMax<qint64>(0, deadline.remainingTime())))) {
            char buffer[64];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            reply.append(buffer, n);
        }
        answered = reply.startsWith("ok");
    }
    ::close(fd);
    return answered;
}

InstanceLock::Result TakeLock(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    // A start can take long (the first-run move); the lock is free only
    // when the process that took it is gone.
    g_lock = std::make_unique<InstanceLock>(path);
    return g_lock->tryLock();
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
    InstanceLock::Result taken = TakeLock(lockPath);
    if (taken == InstanceLock::Failed) {
        // The data folder cannot hold a lock (no permission): the temporary
        // folder's, private to this user, serves instead.
        lockPath = InstanceLockPath(title, QString());
        taken = TakeLock(lockPath);
        if (taken == InstanceLock::Failed) {
            // Nowhere to keep a lock: run, as when no other copy is found.
            g_lock.reset();
            SetAppTitleLive(title);
            return;
        }
    }
    bool mine = taken == InstanceLock::Taken;
    if (!mine) {
        // Another copy runs: raise it and end. It may still be starting (its
        // channel opens right after its lock), so try for a while.
        const QDeadlineTimer deadline(kHandOverMs);
        while (!deadline.hasExpired()) {
            if (AskToActivate(channel)) break;
            // The other copy ended meanwhile: this one is the first now.
            if (g_lock->tryLock() == InstanceLock::Taken) {
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
