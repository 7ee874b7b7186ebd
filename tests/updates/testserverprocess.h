// Starts the misbehaving test server (testserver.cpp) as a real process on
// 127.0.0.1 with a port the system picks, and stops it again.
//
//   updatestest::TestServer server;                 // started, port known
//   server.setFile("B747.skr", bytes);              // served for ?filename=B747.skr
//   server.setMode("B747.skr", "drop");             // ...and cut off half way
//   server.setReply("nodata\r\nB747.skr;1234");     // the change list
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryDir>

namespace updatestest {

// Beside the tests, or (for benchmarks, run without the test environment)
// in the tests folder next to the running program's folder.
inline QString ServerProgram() {
    const QString binary = qEnvironmentVariable("SKY_BINARY_DIR");
    if (!binary.isEmpty()) return binary + QStringLiteral("/tests/updates_testserver");
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/updates_testserver");
}

class TestServer {
public:
    // With cert and key the server speaks TLS.
    explicit TestServer(const QString& cert = QString(), const QString& key = QString()) {
        QDir().mkpath(root_.path() + QStringLiteral("/files"));
        QStringList args{root_.path()};
        if (!cert.isEmpty()) args << QStringLiteral("--tls") << cert << key;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(ServerProgram(), args);
        if (!process_.waitForStarted(5000)) qFatal("test server did not start: %s", qPrintable(ServerProgram()));
        QElapsedTimer t;
        t.start();
        QByteArray line;
        while (!line.contains('\n') && t.elapsed() < 10000) {
            process_.waitForReadyRead(200);
            line += process_.readAllStandardOutput();
        }
        if (!line.startsWith("PORT ")) qFatal("test server gave no port");
        port_ = line.mid(5).trimmed().toInt();
    }
    ~TestServer() { stop(); }

    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    int port() const { return port_; }
    QString base() const {
        return (tls_ ? QStringLiteral("https://127.0.0.1:") : QStringLiteral("http://127.0.0.1:")) +
               QString::number(port_);
    }
    void setTls(bool on) { tls_ = on; }
    QString root() const { return root_.path(); }

    void setReply(const QByteArray& text) { write(root_.path() + QStringLiteral("/reply"), text); }
    // A file served for "?filename=name" and for the path "/name".
    void setFile(QString name, const QByteArray& bytes) {
        name.replace(QLatin1Char('\\'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
        write(root_.path() + QStringLiteral("/files/") + name, bytes);
    }
    void setMode(const QString& name, const QString& mode) {
        modes_[name] = mode;
        QByteArray text;
        for (auto it = modes_.cbegin(); it != modes_.cend(); ++it) text += (it.key() + '\t' + it.value() + '\n').toUtf8();
        write(root_.path() + QStringLiteral("/modes"), text);
    }
    // Every request's path and query so far, in order.
    QStringList requests() const {
        QFile f(root_.path() + QStringLiteral("/requests.log"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void clearRequests() { QFile::remove(root_.path() + QStringLiteral("/requests.log")); }

private:
    static void write(const QString& path, const QByteArray& bytes) {
        QFile f(path + QStringLiteral(".new"));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
        f.close();
        QFile::remove(path);
        QFile::rename(path + QStringLiteral(".new"), path);
    }

    QTemporaryDir root_;
    QProcess process_;
    int port_ = 0;
    bool tls_ = false;
    QMap<QString, QString> modes_;
};

} // namespace updatestest
