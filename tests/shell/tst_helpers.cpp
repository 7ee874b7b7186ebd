// The general helpers: path joining, quoting, file tests, the template
// filler, random numbers and the error-report text.
#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/folders.h"
#include "shell/helpers.h"
#include "shell/testdoubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;

class tst_helpers : public QObject {
    Q_OBJECT
private slots:
    void catPathA_data();
    void catPathA();
    void catPathAReplacesCallersFolder();
    void doubleSingleQuotes_data();
    void doubleSingleQuotes();
    void doubleSingleQuotesOverflowReports();
    void fileExists();
    void killFile();
    void fillTemplate_data();
    void fillTemplate();
    void fillTemplateOutsideLatin1();
    void randomUpToDistribution();
    void makeFolderPath();
    void errorReportText();
    void roundHalfEven_data();
    void roundHalfEven();

private:
    QTemporaryDir tmp_;
};

void tst_helpers::catPathA_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("expected");
    QTest::newRow("install folder is redirected") << "/opt/sky" << "skyrendel.skr" << "/" << "/home/u/data/skyrendel.skr";
    QTest::newRow("other case is not redirected") << "/OPT/sky" << "a.skr" << "/" << "/OPT/sky/a.skr";
    QTest::newRow("folder ends with separator") << "/x/" << "a" << "/" << "/x/a";
    QTest::newRow("name starts with separator") << "/x" << "/a" << "/" << "/x/a";
    QTest::newRow("both: doubled") << "/x/" << "/a" << "/" << "/x//a";
    QTest::newRow("other separator") << "C:\\x" << "a" << "\\" << "C:\\x\\a";
    QTest::newRow("other separator, ends with it") << "C:\\x\\" << "a" << "\\" << "C:\\x\\a";
    QTest::newRow("empty folder") << "" << "a" << "/" << "/a";
}

void tst_helpers::catPathA() {
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, sep);
    QFETCH(QString, expected);
    SetInstallFolderForTests(QStringLiteral("/opt/sky"));
    ProgramFolder = QStringLiteral("/home/u/data");
    QCOMPARE(CatPathA(folder, name, sep), expected);
    SetInstallFolderForTests(QString());
}

void tst_helpers::catPathAReplacesCallersFolder() {
    SetInstallFolderForTests(QStringLiteral("/opt/sky"));
    ProgramFolder = QStringLiteral("/home/u/data");
    QString folder = QStringLiteral("/opt/sky");
    CatPathA(folder, QStringLiteral("DATA"));
    QCOMPARE(folder, QStringLiteral("/home/u/data"));
    SetInstallFolderForTests(QString());
}

void tst_helpers::doubleSingleQuotes_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QVariant(QStringLiteral("B737")) << "B737";
    QTest::newRow("one") << QVariant(QStringLiteral("O'Hare")) << "O''Hare";
    QTest::newRow("two in a row") << QVariant(QStringLiteral("a''b")) << "a''''b";
    QTest::newRow("at both ends") << QVariant(QStringLiteral("'x'")) << "''x''";
    QTest::newRow("only a quote") << QVariant(QStringLiteral("'")) << "''";
    QTest::newRow("empty") << QVariant(QString()) << "";
    QTest::newRow("missing value") << QVariant() << "";
    QTest::newRow("a number") << QVariant(42) << "42";
}

void tst_helpers::doubleSingleQuotes() {
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(DoubleSingleQuotes(value), expected);
}

void tst_helpers::doubleSingleQuotesOverflowReports() {
    FakePlatform fake;
    QCOMPARE(DoubleSingleQuotes(QString(32000, QLatin1Char('a'))).size(), 32000);
    QVERIFY(fake.messageBox.shown.isEmpty());
    // 20,000 quotes grow to 40,000 characters on the way: the counter's end.
    QCOMPARE(DoubleSingleQuotes(QString(20000, QLatin1Char('\''))), QString());
    QCOMPARE(fake.messageBox.shown.size(), 1);
    QCOMPARE(fake.messageBox.shown[0].text,
             QStringLiteral("Error 6 (Overflow) on line 20 in Function DoubleSingleQuotes of Module GeneralFunctions"));
    QCOMPARE(fake.messageBox.shown[0].icon, MsgIcon::None);
}

void tst_helpers::fileExists() {
    const QString dir = tmp_.path() + "/folder";
    QDir().mkpath(dir);
    QFile f(tmp_.path() + "/file.txt");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QFile h(tmp_.path() + "/.hidden");
    QVERIFY(h.open(QIODevice::WriteOnly));
    h.close();
    QVERIFY(FileExists(dir));
    QVERIFY(FileExists(dir + "/"));
    QVERIFY(FileExists(tmp_.path() + "/file.txt"));
    QVERIFY(FileExists(tmp_.path() + "/.hidden"));
    QVERIFY(!FileExists(tmp_.path() + "/.hidden", 0));
    QVERIFY(!FileExists(dir, 0));
    QVERIFY(!FileExists(tmp_.path() + "/missing.txt"));
    QVERIFY(!FileExists(QString()));
    QVERIFY(!IsFilePresent(dir));
    QVERIFY(IsFilePresent(tmp_.path() + "/file.txt"));
    QVERIFY(!IsFilePresent(QString()));
}

void tst_helpers::killFile() {
    const QString dir = tmp_.path() + "/kill";
    QDir().mkpath(dir);
    for (const char* name : {"/a.jpg", "/.jpg", "/b.txt"}) {
        QFile f(dir + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    KillFile(dir + "/a.jpg");
    KillFile(dir + "/.jpg");   // the guard: left in place
    KillFile(dir + "/b.txt");
    KillFile(dir + "/missing"); // no error
    QVERIFY(!QFile::exists(dir + "/a.jpg"));
    QVERIFY(QFile::exists(dir + "/.jpg"));
    QVERIFY(!QFile::exists(dir + "/b.txt"));
}

void tst_helpers::fillTemplate_data() {
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QByteArray>("expected");
    // Template: "0123456789ABCDEFGHIJ".
    QTest::newRow("exact width") << "2|3|xyz" << QByteArray("01xyz56789ABCDEFGHIJ");
    QTest::newRow("longer text is cut") << "2|3|abcdef" << QByteArray("01abc56789ABCDEFGHIJ");
    QTest::newRow("shorter text is centred") << "0|6|ab" << QByteArray("  ab  6789ABCDEFGHIJ");
    QTest::newRow("odd padding: one more after") << "0|7|ab" << QByteArray("   ab  789ABCDEFGHIJ");
    QTest::newRow("odd padding, k rounds up") << "0|5|ab" << QByteArray("  ab 56789ABCDEFGHIJ");
    QTest::newRow("empty text blanks the field") << "10|4|" << QByteArray("0123456789    EFGHIJ");
    QTest::newRow("two entries") << "0|2|xy;18|2|zz" << QByteArray("xy23456789ABCDEFGHzz");
    QTest::newRow("numbers read leniently") << "2.4|3abc|xyz" << QByteArray("01xyz56789ABCDEFGHIJ");
    QTest::newRow("Latin-1 byte") << "0|1|\u00e9" << QByteArray("\xe9" "123456789ABCDEFGHIJ");
}

void tst_helpers::fillTemplate() {
    QFETCH(QString, fields);
    QFETCH(QByteArray, expected);
    const QString in = tmp_.path() + "/template.bin";
    const QString out = tmp_.path() + "/out.bin";
    QFile t(in);
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write("0123456789ABCDEFGHIJ");
    t.close();
    // An older output is replaced whole.
    QFile o(out);
    QVERIFY(o.open(QIODevice::WriteOnly));
    o.write(QByteArray(100, 'z'));
    o.close();
    FillTemplate(in, out, fields, ";", "|");
    QFile r(out);
    QVERIFY(r.open(QIODevice::ReadOnly));
    QCOMPARE(r.readAll(), expected);
}

void tst_helpers::fillTemplateOutsideLatin1() {
    const QString in = tmp_.path() + "/t2.bin";
    QFile t(in);
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write("..........");
    t.close();
    FillTemplate(in, in + ".out", QStringLiteral("0|4|a\u0141b"), ";", "|");
    QFile r(in + ".out");
    QVERIFY(r.open(QIODevice::ReadOnly));
    QCOMPARE(r.readAll(), QByteArray(" a?b......"));
    // A field past the end of the template is an error, and nothing is written.
    QVERIFY_THROWS_EXCEPTION(SkyError, FillTemplate(in, in + ".bad", QStringLiteral("8|4|abcd"), ";", "|"));
    QVERIFY(!QFile::exists(in + ".bad"));
}

void tst_helpers::randomUpToDistribution() {
    FakePlatform fake;
    fake.random.reseed(7);
    for (int i = 0; i < 200; ++i) QCOMPARE(RandomUpTo(0), 0);
    int counts[3] = {0, 0, 0};
    const int n = 40000;
    for (int i = 0; i < n; ++i) {
        const int v = RandomUpTo(2);
        QVERIFY(v >= 0 && v <= 2);
        ++counts[v];
    }
    // One quarter, one half, one quarter.
    QVERIFY(qAbs(counts[0] / double(n) - 0.25) < 0.015);
    QVERIFY(qAbs(counts[1] / double(n) - 0.50) < 0.015);
    QVERIFY(qAbs(counts[2] / double(n) - 0.25) < 0.015);
    // Halves go to the even neighbour: 0.25 * 2 = 0.5 -> 0, 0.75 * 2 = 1.5 -> 2.
    fake.random.queue({0.25, 0.75, 0.999});
    QCOMPARE(RandomUpTo(2), 0);
    QCOMPARE(RandomUpTo(2), 2);
    QCOMPARE(RandomUpTo(2), 2);
}

void tst_helpers::makeFolderPath() {
    QVERIFY(!MakeFolderPath(QStringLiteral("/")));
    QVERIFY(!MakeFolderPath(QString()));
    const QString deep = tmp_.path() + "/a/b/c";
    QVERIFY(MakeFolderPath(deep));
    QVERIFY(QFileInfo(deep).isDir());
    QVERIFY(MakeFolderPath(deep + "/")); // already there: true, nothing new
    QCOMPARE(QDir(deep).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
    // A file in the way cannot become a folder.
    QFile f(tmp_.path() + "/afile");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(!MakeFolderPath(tmp_.path() + "/afile/sub"));
    QVERIFY(FolderExists(tmp_.path()));
    QVERIFY(!FolderExists(tmp_.path() + "/afile"));
}

void tst_helpers::errorReportText() {
    QCOMPARE(ErrorReportText(76, QStringLiteral("Path not found"), 30, false, QStringLiteral("GetProgramFolder"),
                             QStringLiteral("modMoveToUserSpace")),
             QStringLiteral("Error 76 (Path not found) on line 30 in Sub GetProgramFolder of Module modMoveToUserSpace"));
    QCOMPARE(ErrorReportText(5, QStringLiteral("x"), 10, true, QStringLiteral("CatPathA"), QStringLiteral("GeneralFunctions")),
             QStringLiteral("Error 5 (x) on line 10 in Function CatPathA of Module GeneralFunctions"));
}

void tst_helpers::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("2.51") << 2.51 << 3;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("66.666") << 66.666 << 67;
}

void tst_helpers::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

QTEST_MAIN(tst_helpers)
#include "tst_helpers.moc"
