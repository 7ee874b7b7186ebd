// The shipped nginx configuration in front of two update-server instances:
// a protocol client end to end through nginx, and one instance stopped in
// the middle of a run of requests without a single request failing.
#include "serverfixture.h"

#include <httplib.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace sky::servertest;

namespace {

const char* kPage = "/quillan/app/getupdates.asp";
const char* kMarkers[] = {"<TITLE>ERROR</TITLE>", "Could not find file", "SERVICE UNAVAILABLE", "THE PAGE CANNOT BE FOUND"};

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// What the program's updater does with a reply: an error page is any text
// holding one of the markers, ignoring case.
bool IsValidReply(const std::string& text) {
    if (text.empty()) return false;
    const QByteArray upper = QByteArray::fromStdString(text).toUpper();
    for (const char* m : kMarkers)
        if (upper.contains(QByteArray(m).toUpper())) return false;
    return true;
}

} // namespace

class TestNginx : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString root_, catalog_;
    ServerProcess a_, b_;
    NginxProcess nginx_;

    std::unique_ptr<httplib::Client> client() {
        auto c = std::make_unique<httplib::Client>("127.0.0.1", nginx_.port());
        c->set_read_timeout(20, 0);
        return c;
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        root_ = tmp_.filePath("root");
        catalog_ = tmp_.filePath("catalog");
        WriteCatalog(catalog_,
                     {{1, "B738", "Boeing 737-800", 2}, {2, "A320", "Airbus A320", 4}, {3, "B752", "Boeing 757-200", 3}},
                     "2026-12-18 1");
        const RunResult p = Run(Tool("skyrendel-publish"), {"publish", catalog_, root_});
        QVERIFY2(p.exitCode == 0, qPrintable(p.err));
        QVERIFY(a_.start(root_, {"--behind-proxy"}));
        QVERIFY(b_.start(root_, {"--behind-proxy"}));
        QVERIFY(nginx_.start(tmp_.filePath("nginx"), root_, {a_.port(), b_.port()}));
    }

    void updateClientEndToEnd() {
        // The change request of a client with an old catalogue and two
        // missing picture databases.
        auto list = client()->Get((QString(kPage) + "?lu=2026-12-11%201&ver=1.3&mids=2,3").toStdString().c_str());
        QVERIFY(list);
        QCOMPARE(list->status, 200);
        QVERIFY(IsValidReply(list->body));
        QStringList lines;
        for (const QString& l : QString::fromStdString(list->body).split("\r\n"))
            if (!l.trimmed().isEmpty()) lines << l;
        QCOMPARE(lines.value(0), QString("nodata"));
        QCOMPARE(lines.size(), 4);
        QStringList fetched;
        for (int i = 1; i < lines.size(); ++i) {
            const QStringList fields = lines[i].split(';');
            QCOMPARE(fields.size(), 2);
            const QString local = fields[0].section('\\', -1);
            auto file = client()->Get((QString(kPage) + "?filename=" + fields[0]).toStdString().c_str());
            QVERIFY(file);
            QCOMPARE(file->status, 200);
            QVERIFY(IsValidReply(file->body.substr(0, 4096)));
            QCOMPARE(qint64(file->body.size()), fields[1].toLongLong());
            const QString source = local == "skyrendel.skr" ? catalog_ + "/skyrendel.skr" : catalog_ + "/DATA/" + local;
            QCOMPARE(QByteArray::fromStdString(file->body), ReadFile(source));
            fetched << local;
        }
        QCOMPARE(fetched, (QStringList{"skyrendel.skr", "A320.skr", "B752.skr"}));
        // The client now up to date.
        auto again = client()->Get((QString(kPage) + "?lu=2026-12-18%201&ver=1.3").toStdString().c_str());
        QVERIFY(again);
        QCOMPARE(QString::fromStdString(again->body), QString("nodata"));
    }

    void rangesThroughNginx() {
        const QByteArray whole = ReadFile(catalog_ + "/DATA/A320.skr");
        auto res = client()->Get((QString(kPage) + "?filename=A320.skr").toStdString().c_str(), {{"Range", "bytes=100-199"}});
        QVERIFY(res);
        QCOMPARE(res->status, 206);
        QCOMPARE(QByteArray::fromStdString(res->body), whole.mid(100, 100));
    }

    void hostileRequestsThroughNginx_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("parent") << QString(kPage) + "?filename=../manifest.json";
        QTest::newRow("encoded parent") << QString(kPage) + "?filename=%2e%2e%2fmanifest.json";
        QTest::newRow("absolute") << QString(kPage) + "?filename=/etc/passwd";
        QTest::newRow("hidden") << QString(kPage) + "?filename=.htaccess";
        QTest::newRow("unknown") << QString(kPage) + "?filename=B777.skr";
        QTest::newRow("manifest") << QString(kPage) + "?filename=manifest.json";
        QTest::newRow("malformed mids") << QString(kPage) + "?lu=x&ver=1.3&mids=1,,2";
        QTest::newRow("other page") << QString("/etc/passwd");
        QTest::newRow("publish folder") << QString("/current/manifest.json");
        QTest::newRow("over-long") << QString(kPage) + "?lu=x&ver=1.3&mids=" + QString("1,").repeated(9000) + "1";
    }
    void hostileRequestsThroughNginx() {
        QFETCH(QString, target);
        auto res = client()->Get(target.toStdString().c_str());
        QVERIFY(res);
        QVERIFY(res->status >= 400);
        QVERIFY2(!IsValidReply(res->body), res->body.c_str());
        QVERIFY(res->body.find("lastMod") == std::string::npos);
    }

    void reportThroughNginx() {
        auto sent = client()->Post("/quillan/issue.asp", httplib::Params{{"id", "3"}, {"imageid", "0"}, {"user", "N"},
                                                                          {"email", "n@n"}, {"problem", "via nginx"}});
        QVERIFY(sent);
        QCOMPARE(sent->status, 200);
        const RunResult list = Run(Tool("skyrendel-update-server"), {"reports", root_});
        QVERIFY2(list.out.contains("Boeing 757-200 (id 3, image 0)"), qPrintable(list.out));
        QVERIFY(list.out.contains("from 127.0.0.1"));
    }

    void oneInstanceStoppedMidRunFailsNoRequest() {
        const std::string expected =
            "nodata\r\nskyrendel.skr;" + std::to_string(QFileInfo(catalog_ + "/skyrendel.skr").size()) + "\r\nB738.skr;"
            + std::to_string(QFileInfo(catalog_ + "/DATA/B738.skr").size());
        std::atomic<int> done{0}, failed{0};
        std::atomic<bool> stopped{false};
        QStringList problems;
        std::mutex m;
        std::vector<std::thread> threads;
        const int port = nginx_.port();
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&, t] {
                httplib::Client c("127.0.0.1", port);
                c.set_read_timeout(20, 0);
                for (int i = 0; i < 300; ++i) {
                    // Change lists and downloads alike.
                    const bool file = (i + t) % 5 == 0;
                    auto res = c.Get(file ? "/quillan/app/getupdates.asp?filename=B738.skr"
                                          : "/quillan/app/getupdates.asp?lu=old&ver=1.4&mids=1");
                    ++done;
                    if (!res || res->status != 200 || (!file && res->body != expected)) {
                        ++failed;
                        std::lock_guard<std::mutex> lock(m);
                        problems << QString("%1 %2").arg(res ? res->status : -1).arg(res ? QString::fromStdString(res->body.substr(0, 80)) : QString());
                    }
                }
            });
        }
        // Stop instance A a third of the way through.
        for (int i = 0; i < 600 && done < 400; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const int doneAtStop = done;
        QCOMPARE(a_.stop(), 0);
        stopped = true;
        for (auto& th : threads) th.join();
        QVERIFY2(failed == 0, qPrintable(problems.mid(0, 5).join(" | ")));
        QCOMPARE(int(done), 1200);
        QVERIFY2(doneAtStop < 1200, "the instance stopped only after the run");
        // Both instances had served before the stop; afterwards B alone.
        QVERIFY(QFileInfo(a_.log()).size() > 0);
        QVERIFY(QFileInfo(b_.log()).size() > 0);
    }

    void cleanupTestCase() {
        nginx_.stop();
        a_.stop();
        b_.stop();
    }
};

QTEST_GUILESS_MAIN(TestNginx)
#include "tst_nginx.moc"
