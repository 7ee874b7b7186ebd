// The update protocol against a real test server: the change request, the
// change list and its hostile names, the downloads with their captions and
// checks, the catalogue backup, cancel, and signed program versions.
#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "shell/appstate.h"
#include "shell/platform.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "updates/frmUpdates.h"
#include "updates/inet.h"
#include "updates/modUpdates.h"
#include "updatesfixture.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <sodium.h>

using namespace sky;
using namespace sky::updates;
using namespace updatestest;

namespace {

QStringList Column(const QString& table, const QString& column, db::Connection* c) {
    db::Recordset rs;
    rs.Open("SELECT " + column + " FROM " + table + " ORDER BY " + column, *c);
    QStringList out;
    while (!rs.eof()) {
        out << rs.fields(0).text().trimmed();
        rs.moveNext();
    }
    return out;
}

QStringList FileRequests(const TestServer& s) {
    QStringList out;
    for (const QString& r : s.requests())
        if (r.contains("filename=")) out << r.section("filename=", 1);
    return out;
}

} // namespace

class tst_updates : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void isValidReply_data();
    void isValidReply();
    void readNonBlankLines();
    void localFileName_data();
    void localFileName();
    void updatePlan_data();
    void updatePlan();
    void missingAircraftIds();
    void pictureFolderInAnyCase_data();
    void pictureFolderInAnyCase();

    void nothingChanged_data();
    void nothingChanged();
    void requestNamesMissingAircraft();
    void catalogueIsFetchedInPlace();
    void pictureCaptionsCount();
    void failedCatalogueLeavesItWhole_data();
    void failedCatalogueLeavesItWhole();
    void rejectedPictureIsRequestedAgain_data();
    void rejectedPictureIsRequestedAgain();
    void badChangeList_data();
    void badChangeList();
    void hostileNamesWriteNothingOutside();
    void cancelQuestion_data();
    void cancelQuestion();
    void progressWindowRefusesToClose();
    void programVersion_data();
    void programVersion();
    void missingRenameProgramKeepsRunning_data();
    void missingRenameProgramKeepsRunning();
    void killedDuringCatalogueDownload();
    void selfUpdateEndsProcessAndStartsRename();

private:
    void serve(const QByteArray& reply, const QVector<QPair<QString, QByteArray>>& files);
    QTemporaryDir config_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<TestServer> server_;
    std::unique_ptr<Installed> installed_;
    FileMaker maker_;
    QStringList captions_;
    unsigned char pk_[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk_[crypto_sign_SECRETKEYBYTES];
};

void tst_updates::initTestCase() {
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    SetAppTitleLive("SkyrendelUpdatesTest");
    qputenv("SKY_TEST_APP_TITLE", "SkyrendelUpdatesTest");
    AppTitle = "SkyrendelUpdatesTest";
    SetProgramNameForTests("skyrendel");
    QVERIFY(sodium_init() >= 0);
    crypto_sign_keypair(pk_, sk_);
    SetUpdatePublicKeyForTests(QByteArray(reinterpret_cast<const char*>(pk_), sizeof pk_));
}

void tst_updates::init() {
    fake_ = std::make_unique<FakePlatform>();
    server_ = std::make_unique<TestServer>();
    SaveAppSetting("UpdateServer", server_->base());
    installed_ = std::make_unique<Installed>(
        QVector<Aircraft>{{1, "B747"}, {2, "A320"}, {12, "F16", false}, {40, "MIG29", false}}, "2024-05-01");
    captions_.clear();
    fake_->clock.onProcessEvents = [this] {
        if (ProgressWindow() && (captions_.isEmpty() || captions_.last() != ProgressWindow()->windowTitle()))
            captions_ << ProgressWindow()->windowTitle();
    };
    g_extractEmbeddedFile = [](const QString&) { return true; };
}

void tst_updates::cleanup() {
    // A restart for a new version leaves its progress window up, as the
    // ended process would.
    delete ProgressWindow();
    installed_.reset();
    server_.reset();
    fake_.reset();
}

void tst_updates::serve(const QByteArray& reply, const QVector<QPair<QString, QByteArray>>& files) {
    server_->setReply(reply);
    for (const auto& f : files) server_->setFile(f.first, f.second);
}

// ---------------------------------------------------------------- pieces

void tst_updates::isValidReply_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("plain list") << QByteArray("nodata\r\nB747.skr;100") << true;
    QTest::newRow("title marker mixed case") << QByteArray("<html><Title>Error</TITLE>") << false;
    QTest::newRow("file marker") << QByteArray("xx COULD NOT FIND FILE yy") << false;
    QTest::newRow("unavailable lower") << QByteArray("service unavailable") << false;
    QTest::newRow("not found mixed") << QByteArray("The Page Cannot Be Found") << false;
    QTest::newRow("marker split is no marker") << QByteArray("THE PAGE CANNOT BE\r\nFOUND") << true;
}

void tst_updates::isValidReply() {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QCOMPARE(IsValidReply(text), valid);
}

void tst_updates::readNonBlankLines() {
    const QString path = installed_->path() + "/lines.txt";
    QCOMPARE(ReadNonBlankLines(path), QString());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\r\n  \r\nnodata\r\n   \r\n A.skr;5 \r\n\r\n");
    f.close();
    QCOMPARE(ReadNonBlankLines(path), QString("nodata\r\n A.skr;5 "));
}

void tst_updates::localFileName_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("local");
    QTest::newRow("plain") << "B747.skr" << 1 << "B747.skr";
    QTest::newRow("server path with backslashes") << "data\\planes\\B747.skr" << 1 << "B747.skr";
    QTest::newRow("climbing backslashes") << "..\\..\\x.skr" << 1 << "x.skr";
    QTest::newRow("climbing slashes") << "a/../../b.skr" << 1 << "b.skr";
    QTest::newRow("absolute path, not .skr") << "/etc/passwd" << 1 << "";
    QTest::newRow("dot dot") << ".." << 1 << "";
    QTest::newRow("ends in a separator") << "data\\" << 1 << "";
    QTest::newRow("control character") << QString("ev\x01il.skr") << 1 << "";
    QTest::newRow("newline") << QString("a\nb.skr") << 1 << "";
    QTest::newRow("only the extension") << ".skr" << 1 << "";
    QTest::newRow("upper-case extension") << "F16.SKR" << 1 << "F16.SKR";
    QTest::newRow("program archive") << "setup\\skyrendel.zip" << 0 << "skyrendel.zip";
    QTest::newRow("another archive") << "other.zip" << 0 << "";
    QTest::newRow("archive name in another case") << "Skyrendel.zip" << 0 << "";
    QTest::newRow("data file at line 0") << "B747.skr" << 0 << "";
}

void tst_updates::localFileName() {
    QFETCH(QString, entry);
    QFETCH(int, line);
    QFETCH(QString, local);
    QCOMPARE(LocalFileName(entry, line), local);
}

void tst_updates::updatePlan_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("aircraftCount");
    QTest::addColumn<bool>("program");
    QTest::addColumn<QString>("version");
    QTest::newRow("nothing") << "" << false << QStringList() << 0 << false << "";
    QTest::newRow("nodata") << "nodata" << false << QStringList() << 0 << false << "";
    QTest::newRow("catalogue") << "nodata\r\nskyrendel.skr;5000" << true << QStringList{"", "skyrendel.skr"} << 0
                               << false << "";
    QTest::newRow("three fields at line 1 ignored")
        << "nodata\r\nA380.skr;5000;x\r\nB747.skr;10" << true << QStringList{"", "", "B747.skr"} << 1 << false << "";
    QTest::newRow("two fields at line 0 is no program")
        << "skyrendel.zip;5000\r\nB747.skr;10" << true << QStringList{"", "B747.skr"} << 1 << true << "";
    QTest::newRow("program version") << "skyrendel.zip;5000;1.4 beta" << true << QStringList{"skyrendel.zip"} << 0
                                     << true << "1.4 beta";
    QTest::newRow("catalogue not counted as aircraft")
        << "nodata\r\nA.skr;1\r\nSKYRENDEL.SKR;2\r\nB.skr;3" << true << QStringList{"", "A.skr", "SKYRENDEL.SKR", "B.skr"}
        << 2 << false << "";
    QTest::newRow("hostile names not counted")
        << "nodata\r\n/etc/passwd;5\r\nok.skr;5" << true << QStringList{"", "", "ok.skr"} << 1 << false << "";
}

void tst_updates::updatePlan() {
    QFETCH(QString, reply);
    QFETCH(bool, changes);
    QFETCH(QStringList, files);
    QFETCH(int, aircraftCount);
    QFETCH(bool, program);
    QFETCH(QString, version);
    QCOMPARE(FillUpdatePlan(reply), changes);
    QCOMPARE(Plan().UpdateFiles, files);
    QCOMPARE(Plan().AircraftFileCount, aircraftCount);
    QCOMPARE(Plan().HasProgramUpdate, program);
    QCOMPARE(Plan().NewProgramVersion, version);
}

void tst_updates::missingAircraftIds() {
    QCOMPARE(MissingAircraftIDs(), QString("12,40"));
    QVERIFY(IsAircraftFileInstalled("  b747 "));
    QVERIFY(IsAircraftFileInstalled("A320.skr"));
    QVERIFY(!IsAircraftFileInstalled("F16"));
    fixtures::CreatePictureDatabase("F16", {fixtures::MakeJpeg(8, 8, Qt::red)});
    QCOMPARE(MissingAircraftIDs(), QString("40"));
}

void tst_updates::pictureFolderInAnyCase_data() {
    QTest::addColumn<QString>("spelling");
    QTest::newRow("DATA") << "DATA";
    QTest::newRow("Data") << "Data";
    QTest::newRow("data") << "data";
}

void tst_updates::pictureFolderInAnyCase() {
    QFETCH(QString, spelling);
    // However the picture folder is spelled on disk, it is the one folder
    // the updater reads and writes.
    if (spelling != "DATA") QVERIFY(QDir(installed_->path()).rename("DATA", spelling));
    QCOMPARE(MissingAircraftIDs(), QString("12,40"));
    const QByteArray pic = maker_.pictures(7);
    serve("nodata\r\nF16.skr;" + QByteArray::number(pic.size()), {{"F16.skr", pic}});
    UpdateAll(nullptr);
    QCOMPARE(ReadAll(installed_->path() + "/" + spelling + "/F16.skr"), pic);
    QCOMPARE(QDir(installed_->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{spelling});
    if (spelling != "DATA") QVERIFY(QDir(installed_->path()).rename(spelling, "DATA"));
}

// ----------------------------------------------------------- whole update

void tst_updates::nothingChanged_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("nodata") << QByteArray("nodata");
    QTest::newRow("nodata between blank lines") << QByteArray("\r\n  \r\nnodata\r\n\r\n");
    QTest::newRow("only blank lines") << QByteArray("\r\n   \r\n");
}

void tst_updates::nothingChanged() {
    QFETCH(QByteArray, reply);
    serve(reply, {});
    db::Connection* before = db::StaticDB();
    UpdateAll(nullptr);
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, QString(kNoChangesMessage));
    QCOMPARE(fake_->messageBox.shown[0].icon, MsgIcon::Information);
    QCOMPARE(db::StaticDB(), before); // never closed
    QVERIFY(!QFile::exists(installed_->backup()));
    QVERIFY(captions_.isEmpty()); // no progress window
    QVERIFY(!QFile::exists(installed_->path() + "/p.html"));
}

void tst_updates::requestNamesMissingAircraft() {
    serve("nodata", {});
    UpdateAll(nullptr);
    QCOMPARE(server_->requests(), QStringList{"/quillan/app/getupdates.asp?lu=2024-05-01&mids=12,40&ver=1.3"});
    QCOMPARE(BuildChangeRequest("2024-05-01", "12,40"),
             server_->base() + "/quillan/app/getupdates.asp?lu=2024-05-01&ver=1.3&mids=12,40");
    QCOMPARE(BuildChangeRequest("s", ""), server_->base() + "/quillan/app/getupdates.asp?lu=s&ver=1.3");
}

void tst_updates::catalogueIsFetchedInPlace() {
    const QByteArray cat = maker_.catalogue({{1, "B747"}, {2, "A320"}, {12, "F16"}, {40, "MIG29"}, {77, "C130"}},
                                            "2024-06-01");
    serve("nodata\r\nskyrendel.skr;" + QByteArray::number(cat.size()), {{"skyrendel.skr", cat}});
    UpdateAll(nullptr);
    QCOMPARE(fake_->messageBox.shown.size(), 0);
    QCOMPARE(captions_, QStringList{"Downloading Main Database..."});
    QVERIFY(!QFile::exists(installed_->backup()));
    QVERIFY(!ProgressWindow());
    QVERIFY(db::StaticDB() && db::UserDB());
    QCOMPARE(data::GetTextConstant("LastMod_0"), QString("2024-06-01"));
    QVERIFY(Column("AIRCRAFT", "FOLDER", db::UserDB()).contains("C130")); // synchronised
    QCOMPARE(FilesUnder(installed_->path()).filter(".part"), QStringList());
}

void tst_updates::pictureCaptionsCount() {
    QVector<QPair<QString, QByteArray>> files;
    QByteArray reply = "nodata";
    for (const char* name : {"F16.skr", "MIG29.skr", "C130.skr"}) {
        const QByteArray bytes = maker_.pictures(files.size());
        files << qMakePair(QString(name), bytes);
        reply += "\r\nplanes\\" + QByteArray(name) + ";" + QByteArray::number(bytes.size());
    }
    serve(reply, {});
    for (const auto& f : files) server_->setFile("planes\\" + f.first, f.second);
    UpdateAll(nullptr);
    QCOMPARE(captions_, (QStringList{"Downloading F16 (1 of 3)...", "Downloading MIG29 (2 of 3)...",
                                     "Downloading C130 (3 of 3)..."}));
    for (const auto& f : files) QCOMPARE(ReadAll(installed_->dataPath() + "/" + f.first), f.second);
    QCOMPARE(MissingAircraftIDs(), QString());
    QVERIFY(!QFile::exists(installed_->backup()));
}

void tst_updates::failedCatalogueLeavesItWhole_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("message"); // 2 connection, 3 server
    QTest::newRow("one byte short") << "short" << "normal" << 3;
    QTest::newRow("one byte long") << "long" << "normal" << 3;
    QTest::newRow("not a database") << "garbage" << "normal" << 3;
    QTest::newRow("a picture database") << "pictures" << "normal" << 3;
    QTest::newRow("error page") << "errorpage" << "normal" << 3;
    QTest::newRow("HTTP 500") << "good" << "status:500" << 3;
    QTest::newRow("dropped half way") << "good" << "drop" << 2;
    QTest::newRow("wrong content length") << "good" << "cl_long" << 2;
}

void tst_updates::failedCatalogueLeavesItWhole() {
    QFETCH(QString, kind);
    QFETCH(QString, mode);
    QFETCH(int, message);
    const QByteArray before = installed_->catalogueBytes();
    QByteArray cat = maker_.catalogue({{1, "B747"}, {99, "NEW"}}, "2025-01-01");
    const int announced = cat.size();
    if (kind == "short") cat.chop(1);
    if (kind == "long") cat.append('x');
    if (kind == "garbage") cat = QByteArray(announced, 'g');
    if (kind == "pictures") cat = maker_.pictures(1);
    if (kind == "errorpage") cat = "<html><title>Error</title>" + QByteArray(announced - 26, ' ');
    serve("nodata\r\nskyrendel.skr;" + QByteArray::number(kind == "pictures" ? cat.size() : announced) +
              "\r\nF16.skr;10",
          {{"skyrendel.skr", cat}});
    server_->setMode("skyrendel.skr", mode);
    const QStringList tablesBefore = fixtures::DumpTable(*db::StaticDB(), "AIRCRAFT");
    UpdateAll(nullptr);
    // The synchronisation that follows every update writes nothing to a
    // catalogue whose aircraft are all active already.
    const QByteArray after = ReadAll(installed_->catalogue());
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, message == 3 ? ServerErrorMessage() : QString(kConnectionErrorMessage));
    QVERIFY(!after.isNull());
    QVERIFY(after == before);
    QCOMPARE(fixtures::DumpTable(*db::StaticDB(), "AIRCRAFT"), tablesBefore);
    QVERIFY(!QFile::exists(installed_->backup()));
    QCOMPARE(FileRequests(*server_), QStringList{"skyrendel.skr"}); // nothing after it
    QVERIFY(!ProgressWindow());
    QVERIFY(db::StaticDB() && db::UserDB()); // reopened
    QCOMPARE(data::GetTextConstant("LastMod_0"), QString("2024-05-01"));
    QCOMPARE(FilesUnder(installed_->path()).filter(".part"), QStringList());
}

void tst_updates::rejectedPictureIsRequestedAgain_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a database") << "garbage";
    QTest::newRow("a catalogue in its place") << "catalogue";
    QTest::newRow("one byte short") << "short";
}

void tst_updates::rejectedPictureIsRequestedAgain() {
    QFETCH(QString, kind);
    QByteArray pic = maker_.pictures(2);
    int announced = pic.size();
    if (kind == "garbage") pic = QByteArray(announced, 'z');
    if (kind == "catalogue") {
        pic = maker_.catalogue({{5, "X"}}, "s");
        announced = pic.size();
    }
    if (kind == "short") pic.chop(1);
    serve("nodata\r\nF16.skr;" + QByteArray::number(announced), {{"F16.skr", pic}});
    UpdateAll(nullptr);
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, ServerErrorMessage());
    QVERIFY(!QFile::exists(installed_->dataPath() + "/F16.skr"));
    QCOMPARE(FilesUnder(installed_->dataPath()), (QStringList{"A320.skr", "B747.skr"}));

    server_->clearRequests();
    serve("nodata", {});
    UpdateAll(nullptr);
    QVERIFY2(server_->requests().value(0).contains("mids=12,40"), qPrintable(server_->requests().join(" ")));
}

void tst_updates::badChangeList_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("message");
    QTest::newRow("page cannot be found, lower case") << QByteArray("<p>the page cannot be found</p>") << "normal" << 3;
    QTest::newRow("page cannot be found, mixed case") << QByteArray("The Page Cannot Be Found") << "normal" << 3;
    QTest::newRow("service unavailable") << QByteArray("Service Unavailable") << "normal" << 3;
    QTest::newRow("could not find file") << QByteArray("could Not Find File x") << "normal" << 3;
    QTest::newRow("error title") << QByteArray("<TITLE>error</title>") << "normal" << 3;
    QTest::newRow("empty reply") << QByteArray() << "normal" << 3;
    QTest::newRow("HTTP 404 without marker") << QByteArray("nodata\r\nF16.skr;5") << "status:404" << 3;
    QTest::newRow("HTTP 500 without marker") << QByteArray("nodata\r\nF16.skr;5") << "status:500" << 3;
    QTest::newRow("connection dropped") << QByteArray(4000, 'n') << "drop" << 2;
}

void tst_updates::badChangeList() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, mode);
    QFETCH(int, message);
    serve(reply, {{"F16.skr", "12345"}});
    server_->setMode("reply", mode);
    db::Connection* before = db::StaticDB();
    UpdateAll(nullptr);
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, message == 3 ? ServerErrorMessage() : QString(kConnectionErrorMessage));
    QCOMPARE(fake_->messageBox.shown[0].icon, MsgIcon::Exclamation);
    QCOMPARE(FileRequests(*server_), QStringList());
    QCOMPARE(db::StaticDB(), before);
    QVERIFY(!QFile::exists(installed_->path() + "/p.html"));
}

void tst_updates::hostileNamesWriteNothingOutside() {
    // The program folder sits in a folder of its own, so that anything
    // written beside it shows.
    QTemporaryDir sandbox;
    const QByteArray previousTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", sandbox.path().toLocal8Bit());
    installed_.reset();
    installed_ = std::make_unique<Installed>(
        QVector<Aircraft>{{1, "B747"}, {2, "A320"}, {12, "F16", false}, {40, "MIG29", false}}, "2024-05-01");
    if (previousTmp.isEmpty()) qunsetenv("TMPDIR");
    else qputenv("TMPDIR", previousTmp);
    const QString outside = QFileInfo(installed_->path()).absolutePath();
    QCOMPARE(QDir(outside).canonicalPath(), QDir(sandbox.path()).canonicalPath());
    const QStringList outsideBefore = QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    const QStringList insideBefore = FilesUnder(installed_->path());
    const QByteArray pic = maker_.pictures(3);
    const QByteArray n = QByteArray::number(pic.size());
    const QByteArray reply = "nodata\r\n..\\..\\x.skr;" + n + "\r\n/etc/passwd;" + n + "\r\na/../../b.skr;" + n +
                             "\r\nev\x01il.skr;" + n + "\r\n..;" + n + "\r\nplanes\\;" + n;
    serve(reply, {{"..\\..\\x.skr", pic}, {"/etc/passwd", pic}, {"a/../../b.skr", pic}, {"ev\x01il.skr", pic}});
    UpdateAll(nullptr);
    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), outsideBefore);
    QStringList added = FilesUnder(installed_->path());
    for (const QString& f : insideBefore) added.removeAll(f);
    QCOMPARE(added, (QStringList{"DATA/b.skr", "DATA/x.skr"}));
    QCOMPARE(FileRequests(*server_), (QStringList{"..\\..\\x.skr", "a/../../b.skr"}));
}

void tst_updates::cancelQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("No goes on") << int(MsgResult::No);
    QTest::newRow("Yes stops") << int(MsgResult::Yes);
}

void tst_updates::cancelQuestion() {
    QFETCH(int, answer);
    const QByteArray pic = maker_.pictures(4);
    serve("nodata\r\nF16.skr;" + QByteArray::number(pic.size()), {{"F16.skr", pic}});
    server_->setMode("F16.skr", "trickle:5");
    bool clicked = false;
    QString labelSeen;
    fake_->clock.onProcessEvents = [&] {
        frmUpdates* w = ProgressWindow();
        if (!w || clicked || w->lblBottom()->text().isEmpty()) return;
        clicked = true;
        labelSeen = w->lblBottom()->text();
        fake_->messageBox.setNextAnswer(MsgResult(answer));
        QTest::mouseClick(w->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
    };
    UpdateAll(nullptr);
    QVERIFY(clicked);
    QVERIFY2(labelSeen.contains(" / " + QString::number(pic.size()) + " bytes "), qPrintable(labelSeen));
    QVERIFY(fake_->messageBox.shown.size() >= 1);
    const ShownMessage& q = fake_->messageBox.shown[0];
    QCOMPARE(q.text, QString(kCancelQuestion));
    QCOMPARE(q.title, QString("Downloading F16 (1 of 1)..."));
    QCOMPARE(q.buttons, MsgButtons::YesNo);
    QCOMPARE(q.icon, MsgIcon::Question);
    QCOMPARE(fake_->messageBox.shown.size(), 1); // no error message after a cancel
    if (MsgResult(answer) == MsgResult::No) {
        QCOMPARE(ReadAll(installed_->dataPath() + "/F16.skr"), pic);
    } else {
        QVERIFY(!QFile::exists(installed_->dataPath() + "/F16.skr"));
        QCOMPARE(FilesUnder(installed_->dataPath()), (QStringList{"A320.skr", "B747.skr"}));
    }
    QVERIFY(!ProgressWindow());
    QVERIFY(!QFile::exists(installed_->backup()));
}

void tst_updates::progressWindowRefusesToClose() {
    const QByteArray pic = maker_.pictures(5);
    serve("nodata\r\nF16.skr;" + QByteArray::number(pic.size()), {{"F16.skr", pic}});
    server_->setMode("F16.skr", "trickle:2");
    int tries = 0;
    bool stayed = true;
    fake_->clock.onProcessEvents = [&] {
        frmUpdates* w = ProgressWindow();
        if (!w || tries >= 3) return;
        ++tries;
        w->close();
        if (!w->isVisible()) stayed = false;
    };
    UpdateAll(nullptr);
    QCOMPARE(tries, 3);
    QVERIFY(stayed);
    QCOMPARE(ReadAll(installed_->dataPath() + "/F16.skr"), pic);
    QVERIFY(!ProgressWindow());
}

void tst_updates::programVersion_data() {
    QTest::addColumn<QString>("signature");
    QTest::addColumn<bool>("installed");
    QTest::newRow("signed by the maker") << "good" << true;
    QTest::newRow("no signature") << "none" << false;
    QTest::newRow("signature of other bytes") << "wrong" << false;
    QTest::newRow("signed by another key") << "otherkey" << false;
    QTest::newRow("signature cut short") << "short" << false;
}

void tst_updates::programVersion() {
    QFETCH(QString, signature);
    QFETCH(bool, installed);
    const QByteArray archive = "PK\x03\x04 pretend archive " + QByteArray(5000, 'a');
    QByteArray sig(crypto_sign_BYTES, '\0');
    auto sign = [&](const QByteArray& bytes, const unsigned char* key) {
        crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                             reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size(), key);
    };
    sign(archive, sk_);
    if (signature == "wrong") sign(archive + "x", sk_);
    if (signature == "otherkey") {
        unsigned char pk2[crypto_sign_PUBLICKEYBYTES], sk2[crypto_sign_SECRETKEYBYTES];
        crypto_sign_keypair(pk2, sk2);
        sign(archive, sk2);
    }
    if (signature == "short") sig.chop(1);
    const QByteArray pic = maker_.pictures(6);
    serve("setup\\skyrendel.zip;" + QByteArray::number(archive.size()) + ";1.4\r\nF16.skr;" +
              QByteArray::number(pic.size()),
          {{"setup\\skyrendel.zip", archive}, {"F16.skr", pic}});
    if (signature != "none") server_->setFile("setup\\skyrendel.zip.sig", sig);
    QStringList extracted;
    g_extractEmbeddedFile = [&](const QString& name) {
        extracted << name;
        return true;
    };
    int exitCode = -1;
    try {
        UpdateAll(nullptr);
    } catch (const ProcessExited& e) {
        exitCode = e.code;
    }
    QCOMPARE(captions_.value(1), QString("Downloading New Program Version 1.4..."));
    QCOMPARE(ReadAll(installed_->dataPath() + "/F16.skr"), pic); // data comes first
    const QString zip = installed_->path() + "/skyrendel.zip";
    if (installed) {
        QCOMPARE(exitCode, 0);
        QCOMPARE(extracted, QStringList{"Rename"});
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        QCOMPARE(fake_->messageBox.shown[0].text, QString(kRestartMessage));
        QCOMPARE(fake_->process.started.size(), 1);
        QCOMPARE(fake_->process.started[0].program, installed_->path() + "/Rename");
        QCOMPARE(fake_->process.started[0].args, QStringList{installed_->path() + "/skyrendel"});
        QCOMPARE(ReadAll(zip), archive);
    } else {
        QCOMPARE(exitCode, -1);
        QVERIFY(extracted.isEmpty());
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        QCOMPARE(fake_->messageBox.shown[0].text, QString(kNotVerifiedMessage));
        QVERIFY(fake_->process.started.isEmpty());
        QVERIFY(!QFile::exists(zip));
        QVERIFY(db::StaticDB() && db::UserDB()); // running on, databases back
        QVERIFY(!QFile::exists(installed_->backup()));
        QVERIFY(!ProgressWindow());
    }
    QCOMPARE(FilesUnder(installed_->path()).filter(".part"), QStringList());
    QCOMPARE(FilesUnder(installed_->path()).filter(".sig"), QStringList());
}

void tst_updates::missingRenameProgramKeepsRunning_data() {
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("messages");
    QTest::newRow("cannot be written out") << false << true << 1;
    QTest::newRow("cannot be started") << true << false << 2;
}

void tst_updates::missingRenameProgramKeepsRunning() {
    QFETCH(bool, written);
    QFETCH(bool, starts);
    QFETCH(int, messages);
    const QByteArray archive = "PK\x03\x04 archive";
    QByteArray sig(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(archive.constData()), archive.size(), sk_);
    serve("skyrendel.zip;" + QByteArray::number(archive.size()) + ";2.0", {{"skyrendel.zip", archive}, {"skyrendel.zip.sig", sig}});
    g_extractEmbeddedFile = [written](const QString&) { return written; };
    fake_->process.startSucceeds = starts;
    UpdateAll(nullptr); // must not end the process
    QVERIFY(fake_->process.exitCodes.isEmpty());
    QVERIFY(!QFile::exists(installed_->path() + "/skyrendel.zip"));
    QCOMPARE(fake_->messageBox.shown.size(), messages);
    QCOMPARE(fake_->messageBox.shown.last().text, QString(kNotInstalledMessage));
    QVERIFY(db::StaticDB());
    QVERIFY(!ProgressWindow());
}

void tst_updates::killedDuringCatalogueDownload() {
    const QStringList tableBefore = fixtures::DumpTable(*db::StaticDB(), "AIRCRAFT");
    const QByteArray cat = maker_.catalogue({{1, "B747"}, {2, "A320"}, {77, "C130"}}, "2024-07-01");
    serve("nodata\r\nskyrendel.skr;" + QByteArray::number(cat.size()), {{"skyrendel.skr", cat}});
    server_->setMode("skyrendel.skr", "trickle:40");
    db::CloseDatabases();

    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedChannels);
    helper.start(qEnvironmentVariable("SKY_BINARY_DIR") + "/tests/updates_killhelper", {installed_->path()});
    QVERIFY(helper.waitForStarted(5000));
    const QString part = installed_->catalogue() + ".part";
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(part) && t.elapsed() < 20000 && helper.state() == QProcess::Running) QTest::qWait(10);
    QTest::qWait(300);
    QVERIFY2(QFile::exists(part) && helper.state() == QProcess::Running, "the download was not under way");
    helper.kill(); // SIGKILL: no clean-up of any kind
    QVERIFY(helper.waitForFinished(5000));

    // The catalogue under its real name is whole and opens.
    QVERIFY(IsUsableDatabaseFile(installed_->catalogue(), SkrKind::Catalogue));
    db::OpenDatabases();
    QCOMPARE(fixtures::DumpTable(*db::StaticDB(), "AIRCRAFT"), tableBefore);

    // The next start updates normally and leaves nothing behind.
    server_->setMode("skyrendel.skr", "normal");
    UpdateAll(nullptr);
    QCOMPARE(fake_->messageBox.shown.size(), 0);
    QCOMPARE(data::GetTextConstant("LastMod_0"), QString("2024-07-01"));
    QVERIFY(!QFile::exists(installed_->backup()));
    QVERIFY(!QFile::exists(part));
}

void tst_updates::selfUpdateEndsProcessAndStartsRename() {
    const QByteArray archive = "PK\x03\x04 the new version " + QByteArray(3000, 'v');
    QByteArray sig(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(archive.constData()), archive.size(), sk_);
    serve("skyrendel.zip;" + QByteArray::number(archive.size()) + ";1.4",
          {{"skyrendel.zip", archive}, {"skyrendel.zip.sig", sig}});
    db::CloseDatabases();

    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SKY_TEST_UPDATE_KEY", QByteArray(reinterpret_cast<const char*>(pk_), sizeof pk_).toHex());
    env.insert("SKY_TEST_PROGRAM_NAME", "skyrendel");
    helper.setProcessEnvironment(env);
    helper.start(qEnvironmentVariable("SKY_BINARY_DIR") + "/tests/updates_killhelper", {installed_->path()});
    QVERIFY(helper.waitForFinished(30000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    // The rename program was started with the program's path and runs on
    // after the program has ended.
    const QString ran = installed_->path() + "/rename-ran.txt";
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ran) && QFileInfo(ran).size() > 0, 10000);
    QCOMPARE(ReadAll(ran).trimmed(), (installed_->path() + "/skyrendel").toUtf8());
    QCOMPARE(ReadAll(installed_->path() + "/skyrendel.zip"), archive);
    db::OpenDatabases();
}

QTEST_MAIN(tst_updates)
#include "tst_updates.moc"
