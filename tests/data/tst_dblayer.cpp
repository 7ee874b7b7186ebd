// The database layer: the record-set behaviours callers rely on, the Jet
// dialect, encryption and the program's two connections.
#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "shell/appstate.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPasswordDigestor>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;
using namespace sky::db;

class tst_dblayer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    // First, while the encryption library is still untouched in this process.
    void opensWhileEncryptionIsPrepared();
    void translate_data();
    void translate();
    void eofRightAfterOpeningNoRows();
    void keysetCountAfterMoveLast_data();
    void keysetCountAfterMoveLast();
    void binaryChunkIsWholeValue();
    void addAndUpdateThroughRecordset();
    void fieldsInStatementOrderAndSelectStar();
    void nullReadsAsEmptyText();
    void engineErrorsReachCaller();
    void movingPastTheEnds();
    void forwardOnlyReadsInOnePass();
    void joinWithParenthesisedCondition();
    void jetLiteralsAndFunctionsWork();
    void transactionRollsBack();
    void fileIsEncrypted();
    void wrongKeyOrNotADatabaseFails_data();
    void wrongKeyOrNotADatabaseFails();
    void damagedPageIsReportedAsDamage_data();
    void damagedPageIsReportedAsDamage();
    void missingFileIsNotCreated();
    void builtInKeyMatchesDerivation_data();
    void builtInKeyMatchesDerivation();
    void connectionString_data();
    void connectionString();
    void openDatabasesTwiceOpensNothingNew();
    void closeThenOpenSeesReplacedFile();

private:
    QString path(const QString& name) const { return dir_->path() + "/" + name; }
    void makeAircraft(Connection& c, int n);
    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_dblayer::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    SetInstallFolderForTests(dir_->path() + "/install");
    ProgramFolder = dir_->path();
}

void tst_dblayer::cleanup() {
    CloseDatabases();
    SetInstallFolderForTests(QString());
}

void tst_dblayer::makeAircraft(Connection& c, int n) {
    for (int i = 1; i <= n; ++i)
        c.Execute(QStringLiteral("INSERT INTO AIRCRAFT (AirplaneID, AIRPLANETYPE, FOLDER, ISACTIVE) VALUES (%1, 'Type %1', 'F%1', %2)")
                      .arg(i)
                      .arg(i % 2 ? "TRUE" : "FALSE"));
}

void tst_dblayer::translate_data() {
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("sqlite");
    QTest::newRow("delete star") << "DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=3"
                                 << "DELETE FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=3";
    QTest::newRow("delete star, other spacing") << "delete  *  from X" << "delete  from X";
    QTest::newRow("true and false") << "UPDATE AIRCRAFT SET ISACTIVE=TRUE WHERE isUSA=false"
                                    << "UPDATE AIRCRAFT SET ISACTIVE=1 WHERE isUSA=0";
    QTest::newRow("ucase") << "WHERE UCASE(TRIM(TEXTCONSTANTNAME))='FAQ'" << "WHERE UPPER(TRIM(TEXTCONSTANTNAME))='FAQ'";
    QTest::newRow("lcase with space") << "lcase (x)" << "LOWER (x)";
    QTest::newRow("quoted text untouched") << "WHERE FOLDER='TRUE DELETE * FROM UCASE(x)'"
                                           << "WHERE FOLDER='TRUE DELETE * FROM UCASE(x)'";
    QTest::newRow("doubled quotes stay inside") << "WHERE A='it''s TRUE' AND B=TRUE" << "WHERE A='it''s TRUE' AND B=1";
    QTest::newRow("double-quoted text untouched") << "WHERE A=\"FALSE\"" << "WHERE A=\"FALSE\"";
    QTest::newRow("bracketed name untouched") << "SELECT [TRUE] FROM T" << "SELECT [TRUE] FROM T";
    QTest::newRow("words containing true") << "SELECT TRUENAME, ISTRUE FROM T" << "SELECT TRUENAME, ISTRUE FROM T";
    QTest::newRow("qualified column named true") << "SELECT T.TRUE FROM T" << "SELECT T.TRUE FROM T";
    QTest::newRow("inner join kept")
        << "SELECT Aircraft.Folder FROM SimilarAircraft INNER JOIN Aircraft ON SimilarAircraft.SimilarAircraftID = "
           "Aircraft.AirplaneID WHERE (((SimilarAircraft.AircraftID)=5 ))"
        << "SELECT Aircraft.Folder FROM SimilarAircraft INNER JOIN Aircraft ON SimilarAircraft.SimilarAircraftID = "
           "Aircraft.AirplaneID WHERE (((SimilarAircraft.AircraftID)=5 ))";
    QTest::newRow("unterminated quote") << "WHERE A='TRUE" << "WHERE A='TRUE";
    QTest::newRow("non-ASCII text") << QString::fromUtf8("WHERE A='Tupolev Ту-154' AND B=TRUE")
                                    << QString::fromUtf8("WHERE A='Tupolev Ту-154' AND B=1");
}

void tst_dblayer::translate() {
    QFETCH(QString, jet);
    QFETCH(QString, sqlite);
    QCOMPARE(TranslateJet(jet), sqlite);
}

void tst_dblayer::eofRightAfterOpeningNoRows() {
    CreateDatabaseFile(path("a.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("a.skr"));
    for (CursorType t : {adOpenForwardOnly, adOpenKeyset, adOpenDynamic, adOpenStatic}) {
        Recordset rs;
        rs.Open("SELECT FOLDER FROM AIRCRAFT WHERE TRIM(FOLDER)='nothing'", c, t, adLockOptimistic);
        QVERIFY(rs.eof());
        QVERIFY_THROWS_EXCEPTION(SkyError, rs.fields(0).value());
    }
}

void tst_dblayer::keysetCountAfterMoveLast_data() {
    QTest::addColumn<int>("rows");
    QTest::newRow("one") << 1;
    QTest::newRow("five") << 5;
    QTest::newRow("many") << 300;
}

void tst_dblayer::keysetCountAfterMoveLast() {
    QFETCH(int, rows);
    CreateDatabaseFile(path("p.skr"), DbKind::Pictures);
    Connection c;
    OpenProgramDatabase(c, path("p.skr"));
    for (int i = 0; i < rows; ++i) c.Execute(QStringLiteral("INSERT INTO IMAGES (ID, Image) VALUES (%1, X'FFD8')").arg(100 + i));
    for (CursorType t : {adOpenKeyset, adOpenStatic}) {
        Recordset rs;
        rs.Open("SELECT * FROM IMAGES", c, t, adLockOptimistic);
        QVERIFY(!rs.eof());
        rs.moveFirst();
        rs.moveLast();
        QCOMPARE(rs.recordCount(), rows);
        QCOMPARE(rs.fields("ID").value().toInt(), 100 + rows - 1);
        // The natural order is the order of insertion.
        rs.moveFirst();
        QCOMPARE(rs.fields("ID").value().toInt(), 100);
    }
}

void tst_dblayer::binaryChunkIsWholeValue() {
    CreateDatabaseFile(path("p.skr"), DbKind::Pictures);
    Connection c;
    OpenProgramDatabase(c, path("p.skr"));
    QByteArray blob(200 * 1024, '\0');
    for (int i = 0; i < blob.size(); ++i) blob[i] = char((i * 7919) >> 3);
    blob[10] = '\0';
    {
        Recordset rs;
        rs.Open("SELECT * FROM IMAGES", c, adOpenDynamic, adLockOptimistic);
        rs.addNew();
        rs.fields("ID") = 1;
        rs.fields("Image") = blob;
        rs.update();
    }
    Recordset rs;
    rs.Open("SELECT * FROM IMAGES", c, adOpenKeyset, adLockOptimistic);
    Field f = rs.fields("Image");
    QCOMPARE(f.actualSize(), qint64(blob.size()));
    QCOMPARE(f.getChunk(f.actualSize()), blob);
}

void tst_dblayer::addAndUpdateThroughRecordset() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    {
        Recordset rs;
        rs.Open("SELECT * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=1", c, adOpenDynamic, adLockOptimistic);
        QVERIFY(rs.eof());
        rs.addNew();
        rs.fields("AIRCRAFTID") = 1;
        rs.fields("SIMILARAIRCRAFTID") = 2;
        rs.fields("ASK") = true;
        rs.update();
        rs.addNew();
        rs.fields("AIRCRAFTID") = 2;
        rs.fields("SIMILARAIRCRAFTID") = 1;
        rs.fields("ASK") = false;
        rs.update();
        QCOMPARE(rs.recordCount(), 2);
    }
    makeAircraft(c, 3);
    {
        Recordset rs;
        rs.Open("SELECT * FROM AIRCRAFT", c, adOpenDynamic, adLockOptimistic);
        while (!rs.eof()) {
            rs.fields("AIRPLANETYPE") = rs.fields("AIRPLANETYPE").text() + " renamed";
            rs.update();
            rs.moveNext();
        }
    }
    Recordset check;
    check.Open("SELECT AIRCRAFTID, SIMILARAIRCRAFTID, ASK FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=1 OR SIMILARAIRCRAFTID=1", c);
    QStringList pairs;
    for (; !check.eof(); check.moveNext())
        pairs << QStringLiteral("%1-%2-%3").arg(check.fields(0).text(), check.fields(1).text(),
                                                check.fields(2).value().toBool() ? "hard" : "never");
    QCOMPARE(pairs, (QStringList{"1-2-hard", "2-1-never"}));
    Recordset names;
    names.Open("SELECT AIRPLANETYPE FROM AIRCRAFT ORDER BY AIRPLANETYPE", c);
    QStringList got;
    for (; !names.eof(); names.moveNext()) got << names.fields(0).text();
    QCOMPARE(got, (QStringList{"Type 1 renamed", "Type 2 renamed", "Type 3 renamed"}));
}

void tst_dblayer::fieldsInStatementOrderAndSelectStar() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    makeAircraft(c, 1);
    Recordset rs;
    rs.Open("SELECT FOLDER, AIRPLANETYPE, isACTIVE FROM AIRCRAFT", c);
    QCOMPARE(rs.fieldCount(), 3);
    QCOMPARE(rs.fields(0).text(), QStringLiteral("F1"));
    QCOMPARE(rs.fields(1).text(), QStringLiteral("Type 1"));
    QCOMPARE(rs.fields(2).value().typeId(), QMetaType::Bool);
    QCOMPARE(rs.fields("ISACTIVE").value().toBool(), true); // names are case-insensitive
    Recordset all;
    all.Open("SELECT * FROM AIRCRAFT", c);
    QStringList names;
    for (int i = 0; i < all.fieldCount(); ++i) names << all.fields(i).name();
    QStringList expected = {"AirplaneID", "AIRPLANETYPE", "FOLDER", "ISACTIVE"};
    expected << AircraftSetColumns() << "LIBRARYHTML" << "NameImage";
    QCOMPARE(names, expected);
    QVERIFY_THROWS_EXCEPTION(SkyError, all.fields("NoSuchColumn"));
}

void tst_dblayer::nullReadsAsEmptyText() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    c.Execute("INSERT INTO AIRCRAFT (FOLDER) VALUES ('X')");
    Recordset rs;
    rs.Open("SELECT AIRPLANETYPE, LIBRARYHTML, NameImage FROM AIRCRAFT", c);
    QVERIFY(rs.fields(0).value().isNull());
    QCOMPARE(QString() + rs.fields(0).text(), QString(""));
    QCOMPARE(rs.fields(1).text(), QString(""));
    QCOMPARE(rs.fields(2).actualSize(), qint64(0));
}

void tst_dblayer::engineErrorsReachCaller() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    try {
        c.Execute("SELECT * FROM NOSUCHTABLE");
        QFAIL("no error");
    } catch (const SkyError& e) {
        QVERIFY(e.number() != 0);
        QVERIFY2(e.description().contains("NOSUCHTABLE"), qPrintable(e.description()));
    }
    Recordset rs;
    QVERIFY_THROWS_EXCEPTION(SkyError, rs.Open("SELECT NOSUCHCOLUMN FROM AIRCRAFT", c));
}

void tst_dblayer::movingPastTheEnds() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    makeAircraft(c, 2);
    Recordset rs;
    rs.Open("SELECT FOLDER FROM AIRCRAFT ORDER BY AIRPLANETYPE", c, adOpenKeyset);
    QVERIFY(!rs.bof());
    rs.movePrevious();
    QVERIFY(rs.bof());
    rs.moveFirst();
    rs.moveNext();
    rs.moveNext();
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(SkyError, rs.moveNext());
    // Stepping back from the end finds the last row.
    rs.movePrevious();
    QCOMPARE(rs.fields(0).text(), QStringLiteral("F2"));
}

void tst_dblayer::forwardOnlyReadsInOnePass() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    makeAircraft(c, 3);
    Recordset rs;
    rs.Open("SELECT FOLDER FROM AIRCRAFT ORDER BY AIRPLANETYPE", c, adOpenForwardOnly);
    QStringList seen;
    // Statements on the same connection run while the set is being read.
    for (; !rs.eof(); rs.moveNext()) {
        seen << rs.fields(0).text();
        c.Execute("UPDATE AIRCRAFT SET ISACTIVE=FALSE WHERE FOLDER='" + rs.fields(0).text() + "'");
    }
    QCOMPARE(seen, (QStringList{"F1", "F2", "F3"}));
    QCOMPARE(rs.recordCount(), 3);
    QVERIFY_THROWS_EXCEPTION(SkyError, rs.moveNext());
    rs.moveFirst();
    QCOMPARE(rs.fields(0).text(), QStringLiteral("F1"));
    rs.moveLast();
    QVERIFY(!rs.eof());
    QCOMPARE(rs.fields(0).text(), QStringLiteral("F3"));
    rs.moveNext();
    QVERIFY(rs.eof());
    QVERIFY_THROWS_EXCEPTION(SkyError, rs.movePrevious());
    QVERIFY_THROWS_EXCEPTION(SkyError, rs.addNew());
    Recordset none;
    none.Open("SELECT FOLDER FROM AIRCRAFT WHERE ISACTIVE=TRUE", c, adOpenForwardOnly);
    QVERIFY(none.eof());
}

void tst_dblayer::joinWithParenthesisedCondition() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    makeAircraft(c, 3);
    c.Execute("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (1, 2, TRUE)");
    c.Execute("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (1, 3, FALSE)");
    Recordset rs;
    rs.Open(QStringLiteral("SELECT Aircraft.Folder, SimilarAircraft.ask ") +
                " FROM SimilarAircraft INNER JOIN Aircraft ON SimilarAircraft.SimilarAircraftID = Aircraft.AirplaneID " +
                " WHERE (((SimilarAircraft.AircraftID)=" + QString::number(1) + " ))",
            c, adOpenForwardOnly);
    QStringList got;
    for (; !rs.eof(); rs.moveNext()) got << rs.fields(0).text() + (rs.fields(1).value().toBool() ? "+" : "-");
    got.sort();
    QCOMPARE(got, (QStringList{"F2+", "F3-"}));
    QVERIFY_THROWS_EXCEPTION(SkyError, rs.addNew());
}

void tst_dblayer::jetLiteralsAndFunctionsWork() {
    CreateDatabaseFile(path("s.skr"), DbKind::Static);
    Connection c;
    OpenProgramDatabase(c, path("s.skr"));
    c.Execute("INSERT INTO TEXTCONSTANTS (TEXTCONSTANTNAME, TEXTCONSTANTDATA) VALUES ('  LastMod_0 ', 'stamp')");
    Recordset rs;
    rs.Open("SELECT TEXTCONSTANTDATA FROM TEXTCONSTANTS WHERE UCASE(TRIM(TEXTCONSTANTNAME))='LASTMOD_0'", c);
    QVERIFY(!rs.eof());
    QCOMPARE(rs.fields(0).text(), QStringLiteral("stamp"));
    c.Execute(QString::fromUtf8("INSERT INTO TEXTCONSTANTS (TEXTCONSTANTNAME, TEXTCONSTANTDATA) VALUES ('Ту-154 é', 'cyr')"));
    Recordset cyr;
    cyr.Open(QString::fromUtf8("SELECT TEXTCONSTANTDATA FROM TEXTCONSTANTS WHERE UCASE(TRIM(TEXTCONSTANTNAME))='ТУ-154 É'"), c);
    QVERIFY(!cyr.eof());
    makeAircraft(c, 4);
    c.Execute("UPDATE AIRCRAFT SET ISACTIVE=TRUE");
    Recordset inactive;
    inactive.Open("SELECT FOLDER FROM AIRCRAFT WHERE ISACTIVE=FALSE", c);
    QVERIFY(inactive.eof());
    c.Execute("DELETE * FROM AIRCRAFT WHERE AIRPLANEID=2");
    Recordset left;
    left.Open("SELECT FOLDER FROM AIRCRAFT WHERE ISACTIVE=TRUE", c, adOpenKeyset);
    left.moveLast();
    QCOMPARE(left.recordCount(), 3);
}

void tst_dblayer::transactionRollsBack() {
    CreateDatabaseFile(path("u.skr"), DbKind::User);
    Connection c;
    OpenProgramDatabase(c, path("u.skr"));
    makeAircraft(c, 1);
    c.BeginTrans();
    c.Execute("DELETE * FROM AIRCRAFT");
    c.RollbackTrans();
    Recordset rs;
    rs.Open("SELECT FOLDER FROM AIRCRAFT", c);
    QVERIFY(!rs.eof());
}

// The preparation runs on its own thread while the first file opens: the
// open waits for it, asking twice starts nothing more, and the file is
// written encrypted and reads back.
void tst_dblayer::opensWhileEncryptionIsPrepared() {
    PrepareEncryptionInBackground();
    PrepareEncryptionInBackground();
    CreateDatabaseFile(path("p.skr"), DbKind::Static);
    {
        Connection c;
        OpenProgramDatabase(c, path("p.skr"));
        c.Execute("INSERT INTO TEXTCONSTANTS (TEXTCONSTANTNAME, TEXTCONSTANTDATA) VALUES ('FAQ', 'prepared words')");
    }
    PrepareEncryptionInBackground();
    Connection c;
    OpenProgramDatabase(c, path("p.skr"));
    Recordset rs;
    rs.Open("SELECT TEXTCONSTANTDATA FROM TEXTCONSTANTS WHERE TEXTCONSTANTNAME = 'FAQ'", c, adOpenForwardOnly);
    QVERIFY(!rs.eof());
    QCOMPARE(rs.fields("TEXTCONSTANTDATA").value().toString(), QStringLiteral("prepared words"));
    QFile f(path("p.skr"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!f.readAll().contains("prepared words"));
}

void tst_dblayer::fileIsEncrypted() {
    CreateDatabaseFile(path("s.skr"), DbKind::Static);
    {
        Connection c;
        OpenProgramDatabase(c, path("s.skr"));
        c.Execute("INSERT INTO TEXTCONSTANTS (TEXTCONSTANTNAME, TEXTCONSTANTDATA) VALUES ('FAQ', 'plainly readable words')");
    }
    QFile f(path("s.skr"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(!bytes.startsWith("SQLite format 3"));
    QVERIFY(!bytes.contains("plainly readable words"));
    QVERIFY(!bytes.contains("TEXTCONSTANTS"));
}

void tst_dblayer::wrongKeyOrNotADatabaseFails_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("other password") << "password";
    QTest::newRow("not a database") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("truncated") << "truncated";
    QTest::newRow("cut to half") << "half";
}

void tst_dblayer::wrongKeyOrNotADatabaseFails() {
    QFETCH(QString, kind);
    const QString p = path("x.skr");
    if (kind == "password") {
        Connection c;
        c.Create(p, "other9pwd");
        CreateSchema(c, DbKind::User);
    } else if (kind == "text" || kind == "empty") {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == "text") f.write(QByteArray(4096, 'x'));
    } else if (kind == "truncated") {
        CreateDatabaseFile(p, DbKind::User);
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.resize(1500);
    } else {
        // Page one is whole; the pages it counts are not all there.
        CreateDatabaseFile(p, DbKind::User);
        {
            Connection c;
            OpenProgramDatabase(c, p);
            for (int i = 0; i < 40; ++i)
                c.Execute("INSERT INTO AIRCRAFT (AirplaneID, AIRPLANETYPE, FOLDER, LIBRARYHTML) VALUES (" +
                          QString::number(i + 1) + ", 'T', 'F', '" + QString(2000, QChar('a' + i % 26)) + "')");
        }
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.size() > 8 * 8192);
        f.resize(f.size() / 2);
    }
    QFile before(p);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();
    Connection c;
    bool failed = false;
    try {
        OpenProgramDatabase(c, p);
        Recordset rs;
        rs.Open("SELECT * FROM AIRCRAFT", c);
    } catch (const SkyError& e) {
        failed = true;
        // Plainly damaged, naming the file; no talk of passwords.
        QCOMPARE(e.number(), kErrDamagedFile);
        QVERIFY2(e.description().contains(p), qPrintable(e.description()));
        QVERIFY2(e.description().contains("damaged"), qPrintable(e.description()));
        QVERIFY2(!e.description().contains("password", Qt::CaseInsensitive), qPrintable(e.description()));
    }
    QVERIFY(failed);
    QVERIFY(!c.isOpen());
    QFile after(p);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes); // nothing written
}

// A page damaged in the middle of a file that opens: the read or write
// that meets it reports the file as damaged, by name.
void tst_dblayer::damagedPageIsReportedAsDamage_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("execute");
    QTest::addColumn<int>("cursor");
    QTest::newRow("forward-only read") << "SELECT * FROM AIRCRAFT" << false << int(adOpenForwardOnly);
    QTest::newRow("keyset read") << "SELECT * FROM AIRCRAFT" << false << int(adOpenKeyset);
    QTest::newRow("update") << "UPDATE AIRCRAFT SET ISACTIVE=TRUE" << true << 0;
}

void tst_dblayer::damagedPageIsReportedAsDamage() {
    QFETCH(QString, statement);
    QFETCH(bool, execute);
    QFETCH(int, cursor);
    const QString p = path("paged.skr");
    CreateDatabaseFile(p, DbKind::User);
    {
        Connection c;
        OpenProgramDatabase(c, p);
        c.BeginTrans();
        for (int i = 0; i < 60; ++i)
            c.Execute("INSERT INTO AIRCRAFT (AirplaneID, AIRPLANETYPE, FOLDER, LIBRARYHTML) VALUES (" +
                      QString::number(i + 1) + ", 'T', 'F', '" + QString(3000, QChar('a' + i % 26)) + "')");
        c.CommitTrans();
    }
    {
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.size() > 12 * 8192);
        QVERIFY(f.seek(8 * 8192 + 200));
        f.write(QByteArray(64, '\x33'));
    }
    Connection c;
    OpenProgramDatabase(c, p); // page one is whole
    try {
        if (execute) {
            c.Execute(statement);
        } else {
            Recordset rs;
            rs.Open(statement, c, CursorType(cursor));
            for (; !rs.eof(); rs.moveNext()) rs.fields("LIBRARYHTML").value();
        }
        QFAIL("the damaged page went unnoticed");
    } catch (const SkyError& e) {
        QCOMPARE(e.number(), kErrDamagedFile);
        QVERIFY2(e.description().contains(p) && e.description().contains("damaged"), qPrintable(e.description()));
    }
}

void tst_dblayer::missingFileIsNotCreated() {
    Connection c;
    QVERIFY_THROWS_EXCEPTION(SkyError, OpenProgramDatabase(c, path("missing.skr")));
    QVERIFY(!QFile::exists(path("missing.skr")));
    QVERIFY_THROWS_EXCEPTION(SkyError, c.Create(path("missing.skr") + "/../" , DatabasePassword()));
}

void tst_dblayer::builtInKeyMatchesDerivation_data() {
    QTest::addColumn<QString>("password");
    QTest::newRow("the program's own (built in)") << DatabasePassword();
    QTest::newRow("another (derived when asked)") << QStringLiteral("other pw");
    QTest::newRow("not ASCII") << QString::fromUtf8("lentokone ✈ ä");
    QTest::newRow("empty") << QString();
}

// Every key is PBKDF2 with HMAC-SHA1 over the salt, 64000 rounds: the
// program's own key is the one derived once at build time, and any other is
// derived the same way, checked here against a second implementation.
void tst_dblayer::builtInKeyMatchesDerivation() {
    QFETCH(QString, password);
    const QByteArray derived =
        QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1, password.toUtf8(),
                                           QByteArrayLiteral("Skyrendel catalogue key"), 64000, 32)
            .toHex();
    QCOMPARE(RawKeyFor(password), "x'" + derived + "'");
    QCOMPARE(DatabasePassword().size(), 9);
}

void tst_dblayer::connectionString_data() {
    QTest::addColumn<QString>("cs");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("pwd");
    QTest::newRow("as the program writes it") << ConnectionString("/a/b.skr", "pw1") << "/a/b.skr" << "pw1";
    QTest::newRow("semicolon in the path") << ConnectionString("/a;b/c.skr", "pw1") << "/a;b/c.skr" << "pw1";
    QTest::newRow("no password") << "Data Source=/x.skr" << "/x.skr" << "";
    QTest::newRow("other case") << "provider=x;data source=/y.skr;pwd=abc" << "/y.skr" << "abc";
}

void tst_dblayer::connectionString() {
    QFETCH(QString, cs);
    QFETCH(QString, source);
    QFETCH(QString, pwd);
    const ConnectionParts parts = ParseConnectionString(cs);
    QCOMPARE(parts.dataSource, source);
    QCOMPARE(parts.password, pwd);
}

void tst_dblayer::openDatabasesTwiceOpensNothingNew() {
    CreateDatabaseFile(path("skyrendel.skr"), DbKind::Static);
    CreateDatabaseFile(path("skyrendeluserdata.skr"), DbKind::User);
    OpenDatabases();
    Connection* s = StaticDB();
    Connection* u = UserDB();
    QVERIFY(s && u);
    QCOMPARE(s->path(), path("skyrendel.skr"));
    QCOMPARE(u->path(), path("skyrendeluserdata.skr"));
    OpenDatabases();
    QCOMPARE(StaticDB(), s);
    QCOMPARE(UserDB(), u);
    QCOMPARE(PictureDatabasePath("B738"), path("DATA/B738.skr"));
    QCOMPARE(PictureDatabasePath(" B738"), path("DATA/ B738.skr"));
}

void tst_dblayer::closeThenOpenSeesReplacedFile() {
    CreateDatabaseFile(path("skyrendel.skr"), DbKind::Static);
    CreateDatabaseFile(path("skyrendeluserdata.skr"), DbKind::User);
    OpenDatabases();
    CloseDatabases();
    QVERIFY(!StaticDB() && !UserDB());
    QFile::remove(path("skyrendel.skr"));
    CreateDatabaseFile(path("skyrendel.skr"), DbKind::Static);
    {
        Connection c;
        OpenProgramDatabase(c, path("skyrendel.skr"));
        c.Execute("INSERT INTO TEXTCONSTANTS (TEXTCONSTANTNAME, TEXTCONSTANTDATA) VALUES ('LastMod_0', 'new')");
    }
    OpenDatabases();
    Recordset rs;
    rs.Open("SELECT TEXTCONSTANTDATA FROM TEXTCONSTANTS", *StaticDB());
    QCOMPARE(rs.fields(0).text(), QStringLiteral("new"));
}

QTEST_MAIN(tst_dblayer)
#include "tst_dblayer.moc"
