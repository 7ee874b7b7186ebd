// Real processes for the update-server tests: catalogues built with the
// program's own database layer, the publishing tool, update-server
// instances on free 127.0.0.1 ports and nginx in front of them, all in
// temporary folders and all stopped by the test.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

namespace sky::servertest {

// BUILD/bin/NAME.
QString Tool(const QString& name);

struct CatalogAircraft {
    int id;
    QString folder;
    QString name;
    int photos = 2;   // pictures in DATA/FOLDER.skr; 0: no picture database
    int photoSeed = 0; // different seeds give different bytes
};

// Writes DIR/skyrendel.skr and DIR/DATA/FOLDER.skr for the given aircraft.
void WriteCatalog(const QString& dir, const QVector<CatalogAircraft>& aircraft, const QString& lastMod);

struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};
// Runs a tool to its end (bounded: 120 s).
RunResult Run(const QString& program, const QStringList& args);

// One skyrendel-update-server on 127.0.0.1 with a port of its choosing.
class ServerProcess {
public:
    ~ServerProcess();
    bool start(const QString& root, const QStringList& extraArgs = {});
    // SIGTERM and wait; returns the exit code (-1 when it had to be killed).
    int stop();
    int port() const { return port_; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    QProcess& process() { return p_; }
    QString log() const { return logPath_; }

private:
    QProcess p_;
    int port_ = 0;
    QString logPath_;
};

// nginx (Debian's package) on 127.0.0.1:port with the shipped
// server/nginx/skyrendel-updates.conf, its own prefix, logs and temporary
// folders in `dir`, in front of the given update-server ports.
class NginxProcess {
public:
    ~NginxProcess();
    bool start(const QString& dir, const QString& publishRoot, const QList<int>& upstreamPorts);
    int stop();
    int port() const { return port_; }
    QString errorLog() const { return dir_ + "/error.log"; }

private:
    QProcess p_;
    int port_ = 0;
    QString dir_;
};

// True when something accepts connections on 127.0.0.1:port within `ms`.
bool WaitForPort(int port, int ms);

// A port nobody listens on right now (bound and released).
int FreePort();

// SHA-256 hex of bytes.
QString Sha256(const QByteArray& bytes);

// True when `body` carries the error-page markers the program looks for.
bool HasErrorMarkers(const QByteArray& body);

} // namespace sky::servertest
