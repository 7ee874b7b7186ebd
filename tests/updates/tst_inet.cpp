// The HTTP client against a real server on 127.0.0.1 that misbehaves on
// request: sizes, the kept beginning, the temporary file, progress, HTTP
// error statuses, broken and stalled transfers, cancel, redirects and TLS.
#include "shell/appstate.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"
#include "testserverprocess.h"
#include "updates/inet.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QtTest>

using namespace sky;
using namespace sky::updates;
using updatestest::TestServer;

namespace {

QByteArray Pattern(int n, int seed = 1) {
    QByteArray b(n, Qt::Uninitialized);
    quint32 x = 2463534242u + seed;
    for (int i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = char(x & 0xff);
    }
    return b;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Files left in a folder, other than those named.
QStringList Leftovers(const QString& folder, const QStringList& except = {}) {
    QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& e : except) files.removeAll(e);
    return files;
}

} // namespace

class tst_inet : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void addressWithoutPathRequestsRoot();
    void expectedSize_data();
    void expectedSize();
    void keepsOnlyTheBeginningAsText();
    void temporaryFileIsNotLeftBehind();
    void labelWithoutBarIsUntouched();
    void progressShowsFractionAndText();
    void progressText_data();
    void progressText();
    void brokenTransfers_data();
    void brokenTransfers();
    void failureLeavesTheOldFileWhole();
    void stallCountsAsFailedRead();
    void cancelStopsAndDeletes();
    void moreThanAnnouncedStopsAtOnce();
    void redirectIsFollowed();
    void uncommittedTransferWaitsBesideTheTarget();
    void httpsWithTrustedCertificateWorks();
    void httpsWithUntrustedCertificateFails();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
    std::unique_ptr<TestServer> server_;
    QString target() const { return data_->path() + "/out.bin"; }
};

void tst_inet::init() {
    fake_ = std::make_unique<FakePlatform>();
    data_ = std::make_unique<fixtures::DataFolder>();
    server_ = std::make_unique<TestServer>();
    SetDownloadStallLimitMs(30000);
}

void tst_inet::cleanup() {
    server_.reset();
    data_.reset();
    fake_.reset();
}

void tst_inet::addressWithoutPathRequestsRoot() {
    server_->setFile("", "x");
    int status = -1;
    DownloadUrl(server_->base(), status, target(), nullptr, nullptr, 0);
    QCOMPARE(server_->requests(), QStringList{"/"});
}

void tst_inet::expectedSize_data() {
    QTest::addColumn<int>("sent");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("status");
    QTest::newRow("exact") << 5000 << 5000 << 0;
    QTest::newRow("one byte short") << 4999 << 5000 << 3;
    QTest::newRow("one byte long") << 5001 << 5000 << 3;
    QTest::newRow("no size to check") << 1234 << 0 << 0;
    QTest::newRow("empty reply, no size") << 0 << 0 << 0;
}

void tst_inet::expectedSize() {
    QFETCH(int, sent);
    QFETCH(int, expected);
    QFETCH(int, status);
    const QByteArray body = Pattern(sent);
    server_->setFile("f.bin", body);
    int got = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/f.bin", got, target(), nullptr, nullptr, expected);
    QCOMPARE(got, status);
    QCOMPARE(head, body.left(4096));
    QCOMPARE(QFile::exists(target()), status == 0);
    if (status == 0) QCOMPARE(ReadAll(target()), body);
    QVERIFY(!QFile::exists(PartFileName(target())));
}

void tst_inet::keepsOnlyTheBeginningAsText() {
    const QByteArray body = Pattern(10000, 3);
    server_->setFile("big.bin", body);
    int status = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/big.bin", status, target(), nullptr, nullptr, 0);
    QCOMPARE(status, 0);
    QCOMPARE(head.size(), 4096);
    QCOMPARE(head, body.left(4096));
    QCOMPARE(ReadAll(target()), body);
}

void tst_inet::temporaryFileIsNotLeftBehind() {
    server_->setFile("t.txt", "hello there");
    int status = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/t.txt", status, QString(), nullptr, nullptr, 0);
    QCOMPARE(status, 0);
    QCOMPARE(head, QByteArray("hello there"));
    const QStringList before = Leftovers(data_->path());
    QVERIFY2(!before.contains("tmp.tmp") && !before.contains("tmp.tmp.part"), qPrintable(before.join(",")));
}

void tst_inet::labelWithoutBarIsUntouched() {
    server_->setFile("t.bin", Pattern(3000));
    QLabel label("untouched");
    int status = -1;
    DownloadUrl(server_->base() + "/t.bin", status, target(), nullptr, &label, 3000);
    QCOMPARE(status, 0);
    QCOMPARE(label.text(), QString("untouched"));
}

void tst_inet::progressShowsFractionAndText() {
    server_->setFile("p.bin", Pattern(300000));
    QProgressBar bar;
    QLabel label;
    QStringList texts;
    fake_->clock.onProcessEvents = [&] {
        if (texts.isEmpty() || texts.last() != label.text()) texts << label.text();
    };
    int status = -1;
    DownloadUrl(server_->base() + "/p.bin", status, target(), &bar, &label, 300000);
    QCOMPARE(status, 0);
    QCOMPARE(bar.value(), bar.maximum());
    QCOMPARE(label.text(), QString("100%  300000 / 300000 bytes "));
    QVERIFY(!texts.isEmpty());
}

void tst_inet::progressText_data() {
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << qint64(5000) << "0%  0 / 5000 bytes ";
    QTest::newRow("rounds half to even down") << qint64(1) << qint64(8) << "12%  1 / 8 bytes ";
    QTest::newRow("rounds up") << qint64(2) << qint64(3) << "67%  2 / 3 bytes ";
    QTest::newRow("large numbers stay plain") << qint64(52428800) << qint64(52428800)
                                              << "100%  52428800 / 52428800 bytes ";
}

void tst_inet::progressText() {
    QFETCH(qint64, received);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QCOMPARE(ProgressText(received, total), text);
}

void tst_inet::brokenTransfers_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("status");
    QTest::newRow("connection dropped half way, no size") << "drop" << 0 << 2;
    QTest::newRow("connection dropped half way, size") << "drop" << 200000 << 2;
    QTest::newRow("content length longer than sent") << "cl_long" << 200000 << 2;
    QTest::newRow("HTTP 404 whatever the text") << "status:404" << 0 << 3;
    QTest::newRow("HTTP 500 whatever the text") << "status:500" << 0 << 3;
    QTest::newRow("HTTP 404 with the right size") << "status:404" << 200000 << 3;
    QTest::newRow("no content length, no size") << "chunked" << 0 << 0;
}

void tst_inet::brokenTransfers() {
    QFETCH(QString, mode);
    QFETCH(int, expected);
    QFETCH(int, status);
    const QByteArray body = Pattern(200000, 7);
    server_->setFile("b.bin", body);
    server_->setMode("b.bin", mode);
    int got = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/b.bin", got, target(), nullptr, nullptr, expected);
    QCOMPARE(got, status);
    QCOMPARE(QFile::exists(target()), status == 0);
    if (status == 0) QCOMPARE(ReadAll(target()), body);
    else QVERIFY(head.isEmpty());
    QVERIFY(!QFile::exists(PartFileName(target())));
}

void tst_inet::failureLeavesTheOldFileWhole() {
    QFile old(target());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the old catalogue");
    old.close();
    server_->setFile("c.bin", Pattern(100000));
    for (const char* mode : {"drop", "status:500", "cl_long"}) {
        server_->setMode("c.bin", mode);
        int status = -1;
        DownloadUrl(server_->base() + "/c.bin", status, target(), nullptr, nullptr, 100000);
        QVERIFY2(status != 0, mode);
        QCOMPARE(ReadAll(target()), QByteArray("the old catalogue"));
    }
    server_->setMode("c.bin", "normal");
    int status = -1;
    DownloadUrl(server_->base() + "/c.bin", status, target(), nullptr, nullptr, 99999);
    QCOMPARE(status, 3);
    QCOMPARE(ReadAll(target()), QByteArray("the old catalogue"));
}

void tst_inet::stallCountsAsFailedRead() {
    SetDownloadStallLimitMs(400);
    server_->setFile("s.bin", Pattern(100000));
    server_->setMode("s.bin", "stall:20000");
    QElapsedTimer t;
    t.start();
    int status = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/s.bin", status, target(), nullptr, nullptr, 100000);
    QCOMPARE(status, 2);
    QVERIFY(head.isEmpty());
    QVERIFY(!QFile::exists(target()));
    QVERIFY(!QFile::exists(PartFileName(target())));
    QVERIFY2(t.elapsed() < 15000, "the stall was not noticed");
}

void tst_inet::cancelStopsAndDeletes() {
    server_->setFile("slow.bin", Pattern(60 * 1024));
    server_->setMode("slow.bin", "trickle:20");
    QLabel label;
    QProgressBar bar;
    int chunksSeen = 0;
    fake_->clock.onProcessEvents = [&] {
        if (++chunksSeen == 3) CancelDownload = true;
    };
    CancelDownload = true; // a stale request from before must not count
    int status = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/slow.bin", status, target(), &bar, &label, 60 * 1024);
    QCOMPARE(status, 5);
    QVERIFY(head.isEmpty());
    QVERIFY(chunksSeen >= 3);
    QVERIFY(!QFile::exists(target()));
    QVERIFY(!QFile::exists(PartFileName(target())));
}

void tst_inet::moreThanAnnouncedStopsAtOnce() {
    // Half of the file arrives, then the server holds the connection open:
    // a client that waited for the end would sit out the whole stall.
    const QByteArray body = Pattern(400000, 9);
    server_->setFile("long.bin", body);
    server_->setMode("long.bin", "stall:20000");
    QElapsedTimer t;
    t.start();
    int status = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/long.bin", status, target(), nullptr, nullptr, 5000);
    QCOMPARE(status, 3);
    QCOMPARE(head, body.left(4096));
    QVERIFY(!QFile::exists(target()));
    QVERIFY(!QFile::exists(PartFileName(target())));
    QVERIFY2(t.elapsed() < 15000, "the transfer ran on past the announced size");
}

void tst_inet::redirectIsFollowed() {
    server_->setFile("new.bin", "moved content");
    server_->setMode("old.bin", "redirect:/new.bin");
    int status = -1;
    const QByteArray head = DownloadUrl(server_->base() + "/old.bin", status, target(), nullptr, nullptr, 13);
    QCOMPARE(status, 0);
    QCOMPARE(head, QByteArray("moved content"));
}

void tst_inet::uncommittedTransferWaitsBesideTheTarget() {
    QFile old(target());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    server_->setFile("n.bin", "new bytes");
    DownloadOptions options;
    options.commit = false;
    int status = -1;
    DownloadUrl(server_->base() + "/n.bin", status, target(), nullptr, nullptr, 9, options);
    QCOMPARE(status, 0);
    QCOMPARE(ReadAll(target()), QByteArray("old"));
    QCOMPARE(ReadAll(PartFileName(target())), QByteArray("new bytes"));
    QVERIFY(CommitPartFile(target()));
    QCOMPARE(ReadAll(target()), QByteArray("new bytes"));
    QVERIFY(!QFile::exists(PartFileName(target())));
}

namespace {
// A self-signed certificate for 127.0.0.1 made by the openssl tool.
bool MakeCertificate(const QString& folder) {
    QProcess p;
    p.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
                        "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", folder + "/key.pem", "-out",
                        folder + "/cert.pem"});
    return p.waitForFinished(30000) && p.exitCode() == 0;
}
} // namespace

void tst_inet::httpsWithTrustedCertificateWorks() {
    QTemporaryDir certs;
    QVERIFY(MakeCertificate(certs.path()));
    TestServer tls(certs.path() + "/cert.pem", certs.path() + "/key.pem");
    tls.setTls(true);
    tls.setFile("secure.bin", "over tls");
    const QSslConfiguration previous = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = previous;
    trusting.addCaCertificates(QSslCertificate::fromPath(certs.path() + "/cert.pem"));
    QSslConfiguration::setDefaultConfiguration(trusting);
    int status = -1;
    const QByteArray head = DownloadUrl(tls.base() + "/secure.bin", status, target(), nullptr, nullptr, 8);
    QSslConfiguration::setDefaultConfiguration(previous);
    QCOMPARE(status, 0);
    QCOMPARE(head, QByteArray("over tls"));
}

void tst_inet::httpsWithUntrustedCertificateFails() {
    QTemporaryDir certs;
    QVERIFY(MakeCertificate(certs.path()));
    TestServer tls(certs.path() + "/cert.pem", certs.path() + "/key.pem");
    tls.setTls(true);
    tls.setFile("secure.bin", "over tls");
    int status = -1;
    const QByteArray head = DownloadUrl(tls.base() + "/secure.bin", status, target(), nullptr, nullptr, 0);
    QCOMPARE(status, 2);
    QVERIFY(head.isEmpty());
    QVERIFY(!QFile::exists(target()));
}

QTEST_MAIN(tst_inet)
#include "tst_inet.moc"
