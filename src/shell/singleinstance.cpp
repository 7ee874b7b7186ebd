#include "shell/singleinstance.h"

#include "shell/appstate.h"
#include "shell/platform.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QWidget>

#include <unistd.h>

namespace sky {

namespace {
QLocalServer* g_server = nullptr;
QPointer<QWidget> g_window;
constexpr char kActivate[] = "activate\n";
} // namespace

QString InstanceChannelName(const QString& title, const QString& appDataFolder) {
    const QByteArray who = title.toUtf8() + '|' + QByteArray::number(static_cast<qulonglong>(getuid())) + '|' +
                           appDataFolder.toUtf8();
    return title + QStringLiteral("-") + QString::fromLatin1(QCryptographicHash::hash(who, QCryptographicHash::Sha1).toHex().left(12));
}

void ActivatePreviousInstance() {
    const QString title = AppTitleLive();
    // This copy is no longer the one a later search should find.
    SetAppTitleLive(QStringLiteral("unwanted instance"));
    QLocalSocket socket;
    socket.connectToServer(InstanceChannelName(title, platform().folders->appData()));
    bool found = false;
    if (socket.waitForConnected(1000)) {
        socket.write(kActivate);
        found = socket.waitForBytesWritten(1000) && socket.waitForReadyRead(1000) && socket.readAll().startsWith("ok");
    }
    if (found) platform().process->exitProcess(0);
    // No copy answered: this one runs under its own title after all.
    SetAppTitleLive(title);
}

void ListenForLaterInstances(QWidget* window) {
    if (window) g_window = window;
    if (g_server) return;
    const QString name = InstanceChannelName(AppTitleLive(), platform().folders->appData());
    g_server = new QLocalServer();
    g_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!g_server->listen(name)) {
        // A channel left behind by a copy that crashed: nobody answers on it.
        QLocalServer::removeServer(name);
        g_server->listen(name);
    }
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

void StopListeningForLaterInstances() {
    delete g_server;
    g_server = nullptr;
}

} // namespace sky
