// skyrendel-update-server as a real process on 127.0.0.1, fed by the real
// publishing tool: the change list, downloads, hostile requests, the
// problem-report page, a publish switched under 50 downloading clients.
#include "serverfixture.h"
#include "support/fixtures.h"

#include <httplib.h>
#include <sodium.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <chrono>
#include <thread>

using namespace sky::servertest;

namespace {

const char* kPage = "/quillan/app/getupdates.asp";

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestUpdateServer : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString root_, catalog_, keys_;
    QByteArray archive_;
    ServerProcess server_;

    std::unique_ptr<httplib::Client> client() {
        auto c = std::make_unique<httplib::Client>("127.0.0.1", server_.port());
        c->set_read_timeout(20, 0);
        c->set_connection_timeout(5, 0);
        return c;
    }
    qint64 sizeOf(const QString& relative) { return QFileInfo(catalog_ + "/" + relative).size(); }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        root_ = tmp_.filePath("root");
        catalog_ = tmp_.filePath("catalog");
        keys_ = tmp_.filePath("keys");
        WriteCatalog(catalog_,
                     {{1, "B738", "Boeing 737-800", 2}, {2, "A320", "Airbus A320", 6}, {3, "B752", "Boeing 757-200", 0}},
                     "2026-12-11 1");
        QVERIFY(QFileInfo(catalog_ + "/DATA/A320.skr").size() > 0);
        const RunResult k = Run(Tool("skyrendel-publish"), {"keygen", keys_});
        QVERIFY2(k.exitCode == 0, qPrintable(k.err));
        archive_ = QByteArray("PK\x03\x04 a program archive ") + QByteArray(5000, 'z');
        QFile zip(tmp_.filePath("Skyrendel.zip"));
        QVERIFY(zip.open(QIODevice::WriteOnly));
        zip.write(archive_);
        zip.close();
        const RunResult p = Run(Tool("skyrendel-publish"),
                                {"publish", catalog_, root_, "--program", zip.fileName(), "--version", "1.4", "--key",
                                 keys_ + "/skyrendel-sign.key"});
        QVERIFY2(p.exitCode == 0, qPrintable(p.err));
        QVERIFY(server_.start(root_, {"--reports-per-minute", "3"}));
    }

    void changeList_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        const QString nl = "\r\n";
        const QString cat = QString("skyrendel.skr;%1").arg(sizeOf("skyrendel.skr"));
        const QString a320 = QString("A320.skr;%1").arg(sizeOf("DATA/A320.skr"));
        const QString b738 = QString("B738.skr;%1").arg(sizeOf("DATA/B738.skr"));
        const QString prog = QString("Skyrendel.zip;%1;1.4").arg(archive_.size());
        QTest::newRow("lu current, ver equal") << "lu=2026-12-11%201&ver=1.4" << "nodata";
        QTest::newRow("lu old") << "lu=2026-12-01%201&ver=1.4" << "nodata" + nl + cat;
        QTest::newRow("lu empty") << "lu=&ver=1.4" << "nodata" + nl + cat;
        QTest::newRow("ver older") << "lu=2026-12-11%201&ver=1.3" << prog;
        QTest::newRow("ver newer") << "lu=2026-12-11%201&ver=1.5" << "nodata";
        QTest::newRow("mids") << "lu=2026-12-11%201&ver=1.4&mids=2,1" << "nodata" + nl + a320 + nl + b738;
        QTest::newRow("mids empty") << "lu=2026-12-11%201&ver=1.4&mids=" << "nodata";
        QTest::newRow("mids unknown") << "lu=2026-12-11%201&ver=1.4&mids=77,3" << "nodata";
        QTest::newRow("mids repeated") << "lu=2026-12-11%201&ver=1.4&mids=1,1,1" << "nodata" + nl + b738;
        QTest::newRow("all") << "lu=x&ver=1.3&mids=1" << prog + nl + cat + nl + b738;
    }
    void changeList() {
        QFETCH(QString, query);
        QFETCH(QString, expected);
        auto res = client()->Get((QString(kPage) + "?" + query).toStdString().c_str());
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        QCOMPARE(QString::fromStdString(res->body), expected);
    }

    void badChangeRequests_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("status");
        QTest::newRow("mids malformed") << "lu=x&ver=1.3&mids=1;2" << 400;
        QTest::newRow("mids with empty entry") << "lu=x&ver=1.3&mids=1,,2" << 400;
        QTest::newRow("mids with a quote") << "lu=x&ver=1.3&mids=1%27" << 400;
        QTest::newRow("ver text") << "lu=x&ver=latest" << 400;
        QTest::newRow("no keys") << "" << 400;
        QTest::newRow("over-long address") << "lu=x&ver=1.3&mids=" + QString("12,").repeated(4000) + "1" << 414;
    }
    void badChangeRequests() {
        QFETCH(QString, query);
        QFETCH(int, status);
        auto res = client()->Get((QString(kPage) + "?" + query).toStdString().c_str());
        QVERIFY(res);
        QCOMPARE(res->status, status);
        QVERIFY2(HasErrorMarkers(QByteArray::fromStdString(res->body)), res->body.c_str());
    }

    void downloadsAreExact_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source");
        QTest::newRow("catalogue") << "skyrendel.skr" << catalog_ + "/skyrendel.skr";
        QTest::newRow("pictures") << "A320.skr" << catalog_ + "/DATA/A320.skr";
        QTest::newRow("name in another case") << "b738.SKR" << catalog_ + "/DATA/B738.skr";
        QTest::newRow("program") << "Skyrendel.zip" << tmp_.filePath("Skyrendel.zip");
    }
    void downloadsAreExact() {
        QFETCH(QString, name);
        QFETCH(QString, source);
        const QByteArray expected = ReadFile(source);
        auto res = client()->Get((QString(kPage) + "?filename=" + name).toStdString().c_str());
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        QCOMPARE(res->get_header_value("Content-Length"), std::to_string(expected.size()));
        QCOMPARE(QByteArray::fromStdString(res->body), expected);
        const std::string etag = res->get_header_value("ETag");
        QVERIFY(etag.size() > 2);
        // The same ETag again: nothing to send.
        auto again = client()->Get((QString(kPage) + "?filename=" + name).toStdString().c_str(),
                                   {{"If-None-Match", etag}});
        QVERIFY(again);
        QCOMPARE(again->status, 304);
        QVERIFY(again->body.empty());
    }

    void ranges_data() {
        QTest::addColumn<QString>("range");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("length"); // -1: to the end
        QTest::newRow("first ten") << "bytes=0-9" << 0 << 10;
        QTest::newRow("middle") << "bytes=1000-1999" << 1000 << 1000;
        QTest::newRow("from an offset") << "bytes=4000-" << 4000 << -1;
        QTest::newRow("last sixteen") << "bytes=-16" << -16 << 16;
    }
    void ranges() {
        QFETCH(QString, range);
        QFETCH(int, from);
        QFETCH(int, length);
        const QByteArray whole = ReadFile(catalog_ + "/DATA/A320.skr");
        const QByteArray expected = from < 0 ? whole.right(-from) : whole.mid(from, length);
        auto res = client()->Get((QString(kPage) + "?filename=A320.skr").toStdString().c_str(),
                                 {{"Range", range.toStdString()}});
        QVERIFY(res);
        QCOMPARE(res->status, 206);
        QCOMPARE(res->get_header_value("Content-Length"), std::to_string(expected.size()));
        QCOMPARE(QByteArray::fromStdString(res->body), expected);
    }

    void hostileFileNames_data() {
        QTest::addColumn<QString>("filename");
        QTest::newRow("parent") << "../manifest.json";
        QTest::newRow("encoded parent") << "%2e%2e%2fmanifest.json";
        QTest::newRow("parent of parent") << "../../../../../../etc/passwd";
        QTest::newRow("absolute") << "/etc/passwd";
        QTest::newRow("backslashes") << "..%5cmanifest.json";
        QTest::newRow("sub folder") << "files/A320.skr";
        QTest::newRow("manifest beside the files") << "manifest.json";
        QTest::newRow("unknown") << "B777.skr";
        QTest::newRow("aircraft without pictures") << "B752.skr";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("empty") << "";
        QTest::newRow("nul byte") << "A320.skr%00";
        QTest::newRow("the reports database") << "reports.sqlite";
        QTest::newRow("very long") << QString(3000, 'a');
    }
    void hostileFileNames() {
        QFETCH(QString, filename);
        auto res = client()->Get((QString(kPage) + "?filename=" + filename).toStdString().c_str());
        QVERIFY(res);
        QCOMPARE(res->status, 404);
        QVERIFY2(HasErrorMarkers(QByteArray::fromStdString(res->body)), res->body.c_str());
        QVERIFY(!QString::fromStdString(res->body).contains("root:"));
        QVERIFY(!QString::fromStdString(res->body).contains("lastMod"));
    }

    void unknownPagesGetTheErrorPage() {
        for (const char* path : {"/", "/quillan/app/", "/quillan/app/getupdates.aspx", "/manifest.json"}) {
            auto res = client()->Get(path);
            QVERIFY(res);
            QCOMPARE(res->status, 404);
            QVERIFY2(HasErrorMarkers(QByteArray::fromStdString(res->body)), path);
        }
    }

    void signatureVerifiesAndFailsForOneFlippedByte() {
        QVERIFY(sodium_init() >= 0);
        auto zip = client()->Get((QString(kPage) + "?filename=Skyrendel.zip").toStdString().c_str());
        auto sig = client()->Get((QString(kPage) + "?filename=Skyrendel.zip.sig").toStdString().c_str());
        QVERIFY(zip && sig);
        QCOMPARE(zip->status, 200);
        QCOMPARE(sig->status, 200);
        QCOMPARE(sig->body.size(), size_t(crypto_sign_BYTES));
        const QByteArray pk = ReadFile(keys_ + "/skyrendel-sign.pub");
        QCOMPARE(pk.size(), int(crypto_sign_PUBLICKEYBYTES));
        auto verify = [&](const std::string& data, const std::string& s) {
            return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(s.data()),
                                               reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                                               reinterpret_cast<const unsigned char*>(pk.constData()))
                   == 0;
        };
        QVERIFY(verify(zip->body, sig->body));
        for (size_t at : {size_t(0), zip->body.size() / 2, zip->body.size() - 1}) {
            std::string flipped = zip->body;
            flipped[at] = char(flipped[at] ^ 0x01);
            QVERIFY2(!verify(flipped, sig->body), qPrintable(QString("byte %1").arg(at)));
        }
        std::string badSig = sig->body;
        badSig[10] = char(badSig[10] ^ 0x80);
        QVERIFY(!verify(zip->body, badSig));
        // The tool's own check agrees.
        QFile z(tmp_.filePath("dl.zip")), s(tmp_.filePath("dl.zip.sig"));
        QVERIFY(z.open(QIODevice::WriteOnly) && s.open(QIODevice::WriteOnly));
        z.write(QByteArray::fromStdString(zip->body));
        s.write(QByteArray::fromStdString(sig->body));
        z.close();
        s.close();
        QCOMPARE(Run(Tool("skyrendel-publish"), {"verify", z.fileName(), s.fileName(), keys_ + "/skyrendel-sign.pub"})
                     .exitCode,
                 0);
    }

    void reportIsStoredListedAndShownAsText() {
        const std::string script = "<script>alert('x')</script>";
        // The page the program opens.
        auto form = client()->Get(("/quillan/issue.asp?id=2&imageid=105&user=" + httplib::detail::encode_query_param("Ann " + script)
                                   + "&email=" + httplib::detail::encode_query_param("a@b" + script))
                                      .c_str());
        QVERIFY(form);
        QCOMPARE(form->status, 200);
        QVERIFY(form->body.find("Airbus A320") != std::string::npos);
        QVERIFY(form->body.find("photo.asp?id=2&amp;imageid=105") != std::string::npos);
        QVERIFY(form->body.find("<script>") == std::string::npos);
        QVERIFY(form->body.find("Ann &lt;script&gt;") != std::string::npos);
        auto photo = client()->Get("/quillan/photo.asp?id=2&imageid=105");
        QVERIFY(photo);
        QCOMPARE(photo->status, 200);
        QVERIFY(photo->body.rfind("\xFF\xD8", 0) == 0); // a JPEG
        // The photograph itself, and picture IDs belong to one aircraft:
        // both have a picture 101, and B738 has no picture 105.
        QCOMPARE(QByteArray::fromStdString(photo->body), sky::fixtures::MakePhotoJpeg(2 * 10 + 5, 320, 200));
        for (int id : {1, 2}) {
            auto p101 = client()->Get(QString("/quillan/photo.asp?id=%1&imageid=101").arg(id).toStdString().c_str());
            QVERIFY(p101);
            QCOMPARE(QByteArray::fromStdString(p101->body), sky::fixtures::MakePhotoJpeg(id * 10 + 1, 320, 200));
        }
        auto other = client()->Get("/quillan/photo.asp?id=1&imageid=105");
        QVERIFY(other);
        QCOMPARE(other->status, 404);

        httplib::Params params{{"id", "2"}, {"imageid", "105"}, {"user", "Ann " + script},
                               {"email", "a@b" + script}, {"problem", "Wrong livery " + script}};
        auto sent = client()->Post("/quillan/issue.asp", params);
        QVERIFY(sent);
        QCOMPARE(sent->status, 200);
        QVERIFY(sent->body.find("Thank you") != std::string::npos);
        QVERIFY(sent->body.find("<script>") == std::string::npos);

        const RunResult list = Run(Tool("skyrendel-update-server"), {"reports", root_});
        QCOMPARE(list.exitCode, 0);
        QVERIFY2(list.out.contains("Airbus A320 (id 2, image 105)"), qPrintable(list.out));
        QVERIFY(list.out.contains("Ann " + QString::fromStdString(script)));
        QVERIFY(list.out.contains("Wrong livery"));
    }

    void reportTooLongIsRefusedAndKeptInTheForm() {
        httplib::Params params{{"id", "1"}, {"imageid", "0"}, {"user", "Bo"}, {"email", "b@c"},
                               {"problem", std::string(5000, 'p') + "<i>end"}};
        auto sent = client()->Post("/quillan/issue.asp", params);
        QVERIFY(sent);
        QCOMPARE(sent->status, 400);
        QVERIFY(sent->body.find("too long") != std::string::npos);
        QVERIFY(sent->body.find("&lt;i&gt;end") != std::string::npos); // nothing the user wrote is lost
        const RunResult list = Run(Tool("skyrendel-update-server"), {"reports", root_});
        QVERIFY(!list.out.contains("<i>end"));
    }

    void aFloodFromOneAddressIsSlowedDown() {
        // The limit is 3 a minute; one was sent above.
        int accepted = 0, refused = 0;
        for (int i = 0; i < 5; ++i) {
            auto sent = client()->Post("/quillan/issue.asp",
                                       httplib::Params{{"id", "1"}, {"imageid", "0"}, {"user", "F"}, {"email", "f@f"},
                                                       {"problem", "flood " + std::to_string(i)}});
            QVERIFY(sent);
            if (sent->status == 200) ++accepted;
            else if (sent->status == 429) ++refused;
        }
        QCOMPARE(accepted, 2);
        QCOMPARE(refused, 3);
        const RunResult list = Run(Tool("skyrendel-update-server"), {"reports", root_});
        QVERIFY(list.out.contains("flood 1"));
        QVERIFY(!list.out.contains("flood 2"));
    }

    void publishSwitchedWhile50ClientsDownload() {
        // The next publish: every picture database different.
        const QString next = tmp_.filePath("catalog2");
        WriteCatalog(next,
                     {{1, "B738", "Boeing 737-800", 3, 7}, {2, "A320", "Airbus A320", 8, 7},
                      {3, "B752", "Boeing 757-200", 0, 7}},
                     "2026-12-18 1");
        QMap<QString, QStringList> good; // name -> digests of the old and the new publish
        for (const QString& n : {QString("A320.skr"), QString("B738.skr")}) {
            good[n] << Sha256(ReadFile(catalog_ + "/DATA/" + n)) << Sha256(ReadFile(next + "/DATA/" + n));
            QVERIFY(good[n][0] != good[n][1]);
        }
        std::atomic<bool> switched{false};
        std::atomic<int> failures{0}, oldSeen{0}, newSeen{0}, total{0};
        QStringList problems;
        std::mutex problemsMutex;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::vector<std::thread> clients;
        const int port = server_.port();
        for (int c = 0; c < 50; ++c) {
            clients.emplace_back([&, c] {
                httplib::Client cl("127.0.0.1", port);
                cl.set_read_timeout(30, 0);
                const QString name = c % 2 ? "A320.skr" : "B738.skr";
                // Until the switch is seen, then two more; bounded in count and time.
                int after = 0;
                for (int i = 0; i < 400 && after < 2 && std::chrono::steady_clock::now() < deadline; ++i) {
                    if (switched) ++after;
                    auto res = cl.Get((QString(kPage) + "?filename=" + name).toStdString().c_str());
                    ++total;
                    const QString digest = res ? Sha256(QByteArray::fromStdString(res->body)) : QString();
                    if (!res || res->status != 200 || !good[name].contains(digest)
                        || std::to_string(res->body.size()) != res->get_header_value("Content-Length")) {
                        ++failures;
                        std::lock_guard<std::mutex> lock(problemsMutex);
                        problems << QString("%1: %2").arg(name).arg(res ? res->status : -1);
                    } else if (digest == good[name][0]) {
                        ++oldSeen;
                    } else {
                        ++newSeen;
                    }
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const RunResult p = Run(Tool("skyrendel-publish"), {"publish", next, root_, "--keep", "0"});
        // The new change list shows the switch (the server looks at "current" every second).
        for (int i = 0; i < 100; ++i) {
            auto res = client()->Get((QString(kPage) + "?lu=2026-12-18%201&ver=9").toStdString().c_str());
            if (res && res->body == "nodata") break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        switched = true;
        for (auto& t : clients) t.join();
        QVERIFY2(p.exitCode == 0, qPrintable(p.err));
        qInfo("%d downloads: %d of the old publish, %d of the new", int(total), int(oldSeen), int(newSeen));
        QVERIFY2(failures == 0, qPrintable(problems.mid(0, 5).join("; ")));
        QVERIFY(oldSeen > 0);
        QVERIFY(newSeen >= 50);
        auto res = client()->Get((QString(kPage) + "?lu=2026-12-11%201&ver=9").toStdString().c_str());
        QVERIFY(res);
        QCOMPARE(QString::fromStdString(res->body),
                 QString("nodata\r\nskyrendel.skr;%1").arg(QFileInfo(next + "/skyrendel.skr").size()));
        // --keep 0: the old publish is gone, and no request failed for it.
        QCOMPARE(QDir(root_).entryList({"publish-*"}, QDir::Dirs).size(), 1);
    }

    void newPublishIsServedWithoutRestart() {
        // Old publishes kept: the server must notice the new "current" itself.
        const QString next = tmp_.filePath("catalog3");
        WriteCatalog(next, {{1, "B738", "Boeing 737-800", 1, 9}, {2, "A320", "Airbus A320", 1, 9}}, "2026-12-25 1");
        const RunResult p = Run(Tool("skyrendel-publish"), {"publish", next, root_});
        QVERIFY2(p.exitCode == 0, qPrintable(p.err));
        QString body;
        for (int i = 0; i < 50 && body != "nodata"; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            auto res = client()->Get((QString(kPage) + "?lu=2026-12-25%201&ver=9").toStdString().c_str());
            body = res ? QString::fromStdString(res->body) : QString();
        }
        QCOMPARE(body, QString("nodata"));
        auto file = client()->Get((QString(kPage) + "?filename=A320.skr").toStdString().c_str());
        QVERIFY(file);
        QCOMPARE(QByteArray::fromStdString(file->body), ReadFile(next + "/DATA/A320.skr"));
    }

    void sighupReloadsThePublishInForce() {
        // A manifest changed in place (the link unchanged) is read again on SIGHUP.
        const QString manifest = QFileInfo(root_ + "/current").canonicalFilePath() + "/manifest.json";
        QJsonObject m = QJsonDocument::fromJson(ReadFile(manifest)).object();
        m["lastMod"] = "2026-12-26 1";
        QFile f(manifest);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(m).toJson());
        f.close();
        const std::string query = std::string(kPage) + "?lu=2026-12-26%201&ver=9";
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        auto before = client()->Get(query.c_str());
        QVERIFY(before);
        QVERIFY(before->body != "nodata"); // not without the signal
        ::kill(pid_t(server_.process().processId()), SIGHUP);
        QString body;
        for (int i = 0; i < 50 && body != "nodata"; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            auto res = client()->Get(query.c_str());
            body = res ? QString::fromStdString(res->body) : QString();
        }
        QCOMPARE(body, QString("nodata"));
    }

    void sigtermStopsCleanly() {
        QCOMPARE(server_.stop(), 0);
        QVERIFY(QFileInfo(server_.log()).size() > 0);
        const QByteArray log = ReadFile(server_.log());
        // One line per request in the common log format.
        QVERIFY(QRegularExpression(R"(127\.0\.0\.1 - - \[\d\d/\w\w\w/\d{4}:\d\d:\d\d:\d\d \+0000\] "GET /quillan/app/getupdates\.asp\?filename=A320\.skr HTTP/1\.1" 200 \d+)")
                    .match(QString::fromUtf8(log))
                    .hasMatch());
    }
};

QTEST_GUILESS_MAIN(TestUpdateServer)
#include "tst_updateserver.moc"
