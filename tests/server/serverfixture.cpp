#include "serverfixture.h"

#include "data/databases.h"
#include "data/db.h"
#include "support/fixtures.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QThread>

#include <signal.h>
#include <unistd.h>

namespace sky::servertest {

namespace {
QString FromEnv(const char* name, const char* fallback) {
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromUtf8(fallback) : v;
}
} // namespace

QString Tool(const QString& name) { return FromEnv("SKY_BINARY_DIR", SKY_BINARY_DIR_DEFAULT) + "/bin/" + name; }

void WriteCatalog(const QString& dir, const QVector<CatalogAircraft>& aircraft, const QString& lastMod) {
    QDir().mkpath(dir + "/DATA");
    {
        fixtures::DataFolder data;
        data.createStaticAndUser();
        QVector<fixtures::AircraftRow> rows;
        for (const CatalogAircraft& a : aircraft) {
            fixtures::AircraftRow r;
            r.id = a.id;
            r.type = a.name;
            r.folder = a.folder;
            rows << r;
        }
        fixtures::InsertAircraft(*db::StaticDB(), rows);
        fixtures::InsertTextConstant(*db::StaticDB(), "LastMod_0", lastMod);
        for (const CatalogAircraft& a : aircraft) {
            if (a.photos == 0) continue;
            QList<QByteArray> photos;
            for (int i = 0; i < a.photos; ++i) photos << fixtures::MakePhotoJpeg(a.photoSeed * 100 + a.id * 10 + i, 320, 200);
            fixtures::CreatePictureDatabase(a.folder, photos);
        }
        db::CloseDatabases();
        QFile::copy(data.path() + "/skyrendel.skr", dir + "/skyrendel.skr");
        for (const QString& f : QDir(data.dataPath()).entryList(QDir::Files))
            QFile::copy(data.dataPath() + "/" + f, dir + "/DATA/" + f);
    }
}

RunResult Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    RunResult r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = "did not finish";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ServerProcess::~ServerProcess() { stop(); }

bool ServerProcess::start(const QString& root, const QStringList& extraArgs) {
    logPath_ = root + QStringLiteral("/server-%1.log").arg(quintptr(this));
    p_.start(Tool("skyrendel-update-server"),
             QStringList{"--port", "0", "--log", logPath_} + extraArgs + QStringList{root});
    if (!p_.waitForStarted(10000)) return false;
    QByteArray err;
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && p_.state() == QProcess::Running) {
        p_.waitForReadyRead(200);
        err += p_.readAllStandardError();
        const int at = err.indexOf("listening on 127.0.0.1:");
        if (at >= 0) {
            const int start = at + int(qstrlen("listening on 127.0.0.1:"));
            const int end = err.indexOf(',', start);
            if (end > start) {
                port_ = err.mid(start, end - start).toInt();
                return port_ > 0;
            }
        }
    }
    qWarning("server did not start: %s", err.constData());
    return false;
}

int ServerProcess::stop() {
    if (p_.state() == QProcess::NotRunning) return p_.exitStatus() == QProcess::NormalExit ? p_.exitCode() : -1;
    ::kill(pid_t(p_.processId()), SIGTERM);
    if (p_.waitForFinished(10000)) return p_.exitStatus() == QProcess::NormalExit ? p_.exitCode() : -1;
    p_.kill();
    p_.waitForFinished(5000);
    return -1;
}

NginxProcess::~NginxProcess() { stop(); }

bool NginxProcess::start(const QString& dir, const QString& publishRoot, const QList<int>& upstreamPorts) {
    dir_ = dir;
    QDir().mkpath(dir + "/tmp");
    QFile shipped(FromEnv("SKY_SOURCE_DIR", SKY_SOURCE_DIR_DEFAULT) + "/server/nginx/skyrendel-updates.conf");
    if (!shipped.open(QIODevice::ReadOnly)) return false;
    // Placeholders are filled in outside the comments, as a maker would.
    QString conf;
    for (const QString& line : QString::fromUtf8(shipped.readAll()).split('\n'))
        if (!line.trimmed().startsWith('#')) conf += line + '\n';
    QString upstreams;
    for (int p : upstreamPorts) upstreams += QString("server 127.0.0.1:%1 max_fails=1 fail_timeout=5s;\n    ").arg(p);
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = FreePort();
        QString site = conf;
        site.replace("@LISTEN@", QString("127.0.0.1:%1").arg(port_));
        site.replace("@PUBLISH_ROOT@", publishRoot);
        site.replace("@UPSTREAMS@", upstreams);
        QFile siteFile(dir + "/skyrendel-updates.conf");
        if (!siteFile.open(QIODevice::WriteOnly)) return false;
        siteFile.write(site.toUtf8());
        siteFile.close();
        QFile main(dir + "/nginx.conf");
        if (!main.open(QIODevice::WriteOnly)) return false;
        QString m;
        if (::geteuid() == 0) m += "user root root;\n"; // workers read the test's private folders
        m += "worker_processes 2;\npid " + dir + "/nginx.pid;\nerror_log " + dir + "/error.log warn;\n"
             "events { worker_connections 1024; }\n"
             "http {\n  access_log " + dir + "/access.log;\n"
             "  client_body_temp_path " + dir + "/tmp/body;\n  proxy_temp_path " + dir + "/tmp/proxy;\n"
             "  fastcgi_temp_path " + dir + "/tmp/fastcgi;\n  uwsgi_temp_path " + dir + "/tmp/uwsgi;\n"
             "  scgi_temp_path " + dir + "/tmp/scgi;\n  sendfile on;\n  keepalive_requests 100000;\n"
             "  include " + dir + "/skyrendel-updates.conf;\n}\n";
        main.write(m.toUtf8());
        main.close();
        p_.setProcessChannelMode(QProcess::MergedChannels);
        p_.start("/usr/sbin/nginx", {"-p", dir, "-e", dir + "/error.log", "-c", dir + "/nginx.conf", "-g", "daemon off;"});
        if (!p_.waitForStarted(10000)) return false;
        if (WaitForPort(port_, 10000) && p_.state() == QProcess::Running) return true;
        p_.waitForFinished(2000);
        qWarning("nginx did not start: %s", p_.readAll().constData());
    }
    return false;
}

int NginxProcess::stop() {
    if (p_.state() == QProcess::NotRunning) return p_.exitStatus() == QProcess::NormalExit ? p_.exitCode() : -1;
    ::kill(pid_t(p_.processId()), SIGQUIT);
    if (p_.waitForFinished(10000)) return p_.exitCode();
    ::kill(pid_t(p_.processId()), SIGTERM);
    if (!p_.waitForFinished(5000)) p_.kill();
    p_.waitForFinished(2000);
    return -1;
}

bool WaitForPort(int port, int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (s.waitForConnected(200)) return true;
        QThread::msleep(50);
    }
    return false;
}

int FreePort() {
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

QString Sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

bool HasErrorMarkers(const QByteArray& body) {
    return body.toUpper().contains("<TITLE>ERROR</TITLE>") && body.toLower().contains("could not find file");
}

} // namespace sky::servertest
