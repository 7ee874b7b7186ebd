// The change list, version order, "mids" parsing, file-name checks and the
// problem-report page and store, without a server process.
#include "issuepage.h"
#include "protocol.h"
#include "publication.h"
#include "reports.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

using namespace sky::server;

namespace {

// A publish with a catalogue, three aircraft (one without a picture
// database) and a program 1.4.
Publication SamplePublication(bool withProgram = true) {
    Publication p;
    p.dir = "/nonexistent";
    p.lastMod = "2026-12-18 1";
    p.files = {{"skyrendel.skr", 4096, "aa"}, {"A320.skr", 1000, "bb"}, {"B738.skr", 2000, "cc"}};
    p.aircraft = {{2, "A320", "Airbus A320", "A320.skr", {2001, 2002}},
                  {1, "B738", "Boeing 737-800", "B738.skr", {1001}},
                  {7, "B752", "Boeing 757-200", "", {}}};
    // The catalogue published before held only B738 and B752.
    p.catalogues = {{"2026-12-11 1", {1, 7}}, {"2026-12-18 1", {2, 1, 7}}};
    if (withProgram) {
        p.files.push_back({"Skyrendel.zip", 777, "dd"});
        p.program = PublishedProgram{"Skyrendel.zip", "1.4", "Skyrendel.zip.sig"};
    }
    p.Index();
    return p;
}

ChangeRequest Req(const char* lu, const char* ver, const char* mids = nullptr) {
    ChangeRequest r;
    r.hasLu = lu != nullptr;
    r.lu = lu ? lu : "";
    r.hasVer = ver != nullptr;
    r.ver = ver ? ver : "";
    r.hasMids = mids != nullptr;
    r.mids = mids ? mids : "";
    return r;
}

} // namespace

class TestUpdateProtocol : public QObject {
    Q_OBJECT
private slots:
    void versionsCompareAsDottedNumbers_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("order");
        QTest::newRow("older") << "1.3" << "1.4" << true << -1;
        QTest::newRow("equal") << "1.4" << "1.4" << true << 0;
        QTest::newRow("newer") << "1.5" << "1.4" << true << 1;
        QTest::newRow("numeric, not text") << "1.9" << "1.10" << true << -1;
        QTest::newRow("missing part is 0") << "1.3" << "1.3.0" << true << 0;
        QTest::newRow("longer is newer") << "1.3.1" << "1.3" << true << 1;
        QTest::newRow("leading zero") << "01.04" << "1.4" << true << 0;
        QTest::newRow("empty") << "" << "1.4" << false << 0;
        QTest::newRow("letters") << "1.3b" << "1.4" << false << 0;
        QTest::newRow("double dot") << "1..3" << "1.4" << false << 0;
        QTest::newRow("trailing dot") << "1.3." << "1.4" << false << 0;
        QTest::newRow("huge part") << "99999999999999.1" << "1.4" << false << 0;
    }
    void versionsCompareAsDottedNumbers() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, valid);
        QFETCH(int, order);
        int got = 99;
        QCOMPARE(CompareVersions(a.toStdString(), b.toStdString(), &got), valid);
        if (valid) QCOMPARE(got, order);
    }

    void midsParse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("empty") << "" << true << QList<int>{};
        QTest::newRow("one") << "12" << true << QList<int>{12};
        QTest::newRow("three") << "12,40,41" << true << QList<int>{12, 40, 41};
        QTest::newRow("repeated kept for the caller") << "5,5" << true << QList<int>{5, 5};
        QTest::newRow("largest id") << "2147483647" << true << QList<int>{2147483647};
        QTest::newRow("empty entry") << "1,,2" << false << QList<int>{};
        QTest::newRow("trailing comma") << "1,2," << false << QList<int>{};
        QTest::newRow("leading comma") << ",1" << false << QList<int>{};
        QTest::newRow("negative") << "-1" << false << QList<int>{};
        QTest::newRow("space") << "1, 2" << false << QList<int>{};
        QTest::newRow("letters") << "1,abc" << false << QList<int>{};
        QTest::newRow("quote") << "1'OR'1" << false << QList<int>{};
        QTest::newRow("overflow") << "2147483648" << false << QList<int>{};
    }
    void midsParse() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QList<int>, ids);
        std::vector<int> got;
        std::string problem;
        QCOMPARE(ParseMids(text.toStdString(), &got, &problem), ok);
        if (ok) QCOMPARE(QList<int>(got.begin(), got.end()), ids);
        else QVERIFY(!problem.empty());
    }

    void midsAreCapped() {
        std::string text;
        for (size_t i = 0; i < kMaxMids; ++i) text += (i ? "," : "") + std::to_string(i + 1);
        std::vector<int> got;
        std::string problem;
        QVERIFY(ParseMids(text, &got, &problem));
        QCOMPARE(got.size(), kMaxMids);
        QVERIFY(!ParseMids(text + ",1", &got, &problem));
        QVERIFY(QString::fromStdString(problem).contains("10000"));
    }

    void changeList_data() {
        QTest::addColumn<QString>("lu");
        QTest::addColumn<QString>("ver");
        QTest::addColumn<QString>("mids"); // "-" = no mids key
        QTest::addColumn<QString>("expected");
        const QString nl = "\r\n";
        QTest::newRow("all current") << "2026-12-18 1" << "1.4" << "-" << "nodata";
        QTest::newRow("unknown old stamp") << "2026-12-01 1" << "1.4" << "-" << "nodata" + nl + "skyrendel.skr;4096";
        QTest::newRow("published old stamp: new aircraft too")
            << "2026-12-11 1" << "1.4" << "-" << "nodata" + nl + "skyrendel.skr;4096" + nl + "A320.skr;1000";
        QTest::newRow("new aircraft also asked for: once")
            << "2026-12-11 1" << "1.4" << "2,1" << "nodata" + nl + "skyrendel.skr;4096" + nl + "A320.skr;1000" + nl
                                                   + "B738.skr;2000";
        QTest::newRow("empty stamp") << "" << "1.4" << "-" << "nodata" + nl + "skyrendel.skr;4096";
        QTest::newRow("stamp with a trailing blank") << "2026-12-18 1 " << "1.4" << "-"
                                                    << "nodata" + nl + "skyrendel.skr;4096";
        QTest::newRow("older program") << "2026-12-18 1" << "1.3" << "-" << "Skyrendel.zip;777;1.4";
        QTest::newRow("newer program") << "2026-12-18 1" << "1.5" << "-" << "nodata";
        QTest::newRow("1.10 is newer than 1.4") << "2026-12-18 1" << "1.10" << "-" << "nodata";
        QTest::newRow("everything") << "old" << "1.3" << "2,1"
                                    << "Skyrendel.zip;777;1.4" + nl + "skyrendel.skr;4096" + nl + "A320.skr;1000" + nl
                                           + "B738.skr;2000";
        QTest::newRow("empty mids") << "2026-12-18 1" << "1.4" << "" << "nodata";
        QTest::newRow("unknown ids") << "2026-12-18 1" << "1.4" << "99,12345" << "nodata";
        QTest::newRow("no picture database") << "2026-12-18 1" << "1.4" << "7" << "nodata";
        QTest::newRow("repeated ids once, in order asked") << "2026-12-18 1" << "1.4" << "1,2,1,2,1"
                                                           << "nodata" + nl + "B738.skr;2000" + nl + "A320.skr;1000";
    }
    void changeList() {
        QFETCH(QString, lu);
        QFETCH(QString, ver);
        QFETCH(QString, mids);
        QFETCH(QString, expected);
        const Publication p = SamplePublication();
        const QByteArray l = lu.toUtf8(), v = ver.toUtf8(), m = mids.toUtf8();
        const Reply r = ChangeList(p, Req(l.constData(), v.constData(), mids == "-" ? nullptr : m.constData()));
        QCOMPARE(r.status, 200);
        QCOMPARE(QString::fromStdString(r.body), expected);
    }

    void changeListWithoutProgramNeverOffersOne() {
        const Publication p = SamplePublication(false);
        QCOMPARE(QString::fromStdString(ChangeList(p, Req("2026-12-18 1", "0.1")).body), QString("nodata"));
    }

    void badChangeRequestsGetTheErrorPage_data() {
        QTest::addColumn<QString>("lu");  // "-" = absent
        QTest::addColumn<QString>("ver"); // "-" = absent
        QTest::addColumn<QString>("mids");
        QTest::newRow("neither lu nor ver") << "-" << "-" << "-";
        QTest::newRow("malformed mids") << "x" << "1.3" << "1;DROP";
        QTest::newRow("empty mids entry") << "x" << "1.3" << "1,,2";
        QTest::newRow("ver not a version") << "x" << "abc" << "-";
        QTest::newRow("huge stamp") << QString(5000, 'x') << "1.3" << "-";
    }
    void badChangeRequestsGetTheErrorPage() {
        QFETCH(QString, lu);
        QFETCH(QString, ver);
        QFETCH(QString, mids);
        const Publication p = SamplePublication();
        const QByteArray l = lu.toUtf8(), v = ver.toUtf8(), m = mids.toUtf8();
        const Reply r = ChangeList(p, Req(lu == "-" ? nullptr : l.constData(), ver == "-" ? nullptr : v.constData(),
                                          mids == "-" ? nullptr : m.constData()));
        QCOMPARE(r.status, 400);
        const QByteArray body = QByteArray::fromStdString(r.body);
        QVERIFY(body.contains("<TITLE>ERROR</TITLE>"));
        QVERIFY(body.contains("Could not find file"));
    }

    void plainFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("plain");
        QTest::newRow("catalogue") << "skyrendel.skr" << true;
        QTest::newRow("archive") << "Skyrendel.zip" << true;
        QTest::newRow("signature") << "Skyrendel.zip.sig" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dotdot") << ".." << false;
        QTest::newRow("hidden") << ".manifest" << false;
        QTest::newRow("parent path") << "../manifest.json" << false;
        QTest::newRow("absolute") << "/etc/passwd" << false;
        QTest::newRow("sub folder") << "files/A320.skr" << false;
        QTest::newRow("backslash") << "..\\manifest.json" << false;
        QTest::newRow("drive") << "C:boot.ini" << false;
        QTest::newRow("encoded") << "%2e%2e" << false;
        QTest::newRow("newline") << "a\nb" << false;
        QTest::newRow("too long") << QString(300, 'a') << false;
    }
    void plainFileNames() {
        QFETCH(QString, name);
        QFETCH(bool, plain);
        QCOMPARE(IsPlainFileName(name.toStdString()), plain);
    }

    void fileLookupIgnoresCaseButOnlyListedFiles() {
        const Publication p = SamplePublication();
        QVERIFY(p.findFile("a320.SKR"));
        QCOMPARE(QString::fromStdString(p.findFile("a320.SKR")->name), QString("A320.skr"));
        QVERIFY(!p.findFile("manifest.json"));
        QVERIFY(!p.findFile("B752.skr"));
    }

    void errorPageEscapesWhatItRepeats() {
        const std::string page = ErrorPage("<script>alert(1)</script>");
        QVERIFY(QString::fromStdString(page).contains("&lt;script&gt;"));
        QVERIFY(!QString::fromStdString(page).contains("<script>"));
    }

    void issuePageShowsEscapedValues_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("imageid");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<bool>("photo");
        QTest::newRow("aircraft") << "2" << "0" << "Report a problem with Airbus A320" << false;
        QTest::newRow("photograph") << "2" << "2002" << "this photograph of Airbus A320" << true;
        QTest::newRow("photo of another aircraft") << "2" << "1001" << "Report a problem with Airbus A320" << false;
        QTest::newRow("unknown aircraft") << "55" << "0" << "unknown aircraft (id 55)" << false;
        QTest::newRow("id not a number") << "<b>" << "x" << "unknown aircraft (id 0)" << false;
    }
    void issuePageShowsEscapedValues() {
        QFETCH(QString, id);
        QFETCH(QString, imageid);
        QFETCH(QString, heading);
        QFETCH(bool, photo);
        const Publication p = SamplePublication();
        IssueFields f{id.toStdString(), imageid.toStdString(), "<script>u</script>", "\"><script>e</script>",
                      "</textarea><script>p</script>"};
        const QString page = QString::fromStdString(IssueFormPage(&p, f, "<script>m</script>"));
        QVERIFY2(page.contains(heading), qPrintable(page));
        QCOMPARE(page.contains("photo.asp?id=" + id + "&amp;imageid=" + imageid), photo);
        QVERIFY2(!page.contains("<script>"), qPrintable(page));
        QVERIFY(page.contains("&lt;script&gt;u&lt;/script&gt;"));
        QVERIFY(page.contains("&quot;&gt;&lt;script&gt;e"));
        QVERIFY(page.contains("&lt;/textarea&gt;&lt;script&gt;p"));
        QVERIFY(page.contains("name=\"problem\""));
        QVERIFY(page.contains("Send report"));
    }

    void issueFieldCaps_data() {
        QTest::addColumn<int>("user");
        QTest::addColumn<int>("email");
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("complaint"); // empty: accepted
        QTest::newRow("fits") << int(kMaxUserLength) << int(kMaxEmailLength) << int(kMaxProblemLength) << "";
        QTest::newRow("long user") << int(kMaxUserLength) + 1 << 5 << 10 << "name is too long";
        QTest::newRow("long email") << 5 << int(kMaxEmailLength) + 1 << 10 << "e-mail address is too long";
        QTest::newRow("long problem") << 5 << 5 << int(kMaxProblemLength) + 1 << "description is too long";
        QTest::newRow("empty problem") << 5 << 5 << 0 << "describe what is wrong";
    }
    void issueFieldCaps() {
        QFETCH(int, user);
        QFETCH(int, email);
        QFETCH(int, problem);
        QFETCH(QString, complaint);
        IssueFields f{"1", "0", std::string(size_t(user), 'u'), std::string(size_t(email), 'e'),
                      std::string(size_t(problem), 'p')};
        const QString got = QString::fromStdString(CheckIssueFields(f));
        if (complaint.isEmpty()) QVERIFY2(got.isEmpty(), qPrintable(got));
        else QVERIFY2(got.contains(complaint), qPrintable(got));
    }

    void capDoesNotSplitACharacter() {
        const std::string s = "ab\xC3\xA9"; // "abé"
        QCOMPARE(CapUtf8(s, 3), std::string("ab"));
        QCOMPARE(CapUtf8(s, 4), s);
    }

    void reportStoreKeepsReportsAndSlowsAFlood() {
        QTemporaryDir dir;
        ReportStore store;
        std::string error;
        QVERIFY(store.Open(dir.filePath("r.sqlite").toStdString(), &error));
        Report r;
        r.address = "10.0.0.1";
        r.airplaneId = 2;
        r.aircraft = "Airbus A320";
        r.user = "O'Brien <b>";
        r.email = "o@example.com";
        r.problem = "line one\nline two";
        bool limited = false;
        QVERIFY(store.Add(r, 2, &limited, &error) > 0);
        QVERIFY(store.Add(r, 2, &limited, &error) > 0);
        QCOMPARE(store.Add(r, 2, &limited, &error), 0LL);
        QVERIFY(limited);
        r.address = "10.0.0.2"; // another sender is not held up
        QVERIFY(store.Add(r, 2, &limited, &error) > 0);
        QVERIFY(!limited);
        const std::vector<Report> all = store.List(&error);
        QCOMPARE(all.size(), size_t(3));
        QCOMPARE(QString::fromStdString(all[0].user), QString("O'Brien <b>"));
        QCOMPARE(QString::fromStdString(all[0].problem), QString("line one\nline two"));
        const QString text = QString::fromStdString(FormatReports(all));
        QVERIFY(text.contains("Airbus A320 (id 2, image 0)"));

        // Several processes share the file: it is in write-ahead-log mode.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(dir.filePath("r.sqlite").toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &s, nullptr);
        QCOMPARE(sqlite3_step(s), SQLITE_ROW);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))), QByteArray("wal"));
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
};

QTEST_GUILESS_MAIN(TestUpdateProtocol)
#include "tst_updprotocol.moc"
