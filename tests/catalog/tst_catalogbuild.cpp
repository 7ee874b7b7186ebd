// The catalogue builder: what it writes is read back through the database
// layer exactly (photographs byte for byte, every column, pairs, text
// constants, an empty user database); a rebuild into an install folder
// replaces only the builder's own files; every fault in the source is
// refused with a message naming the file and field, leaving OUT as it was.
#include "catalog.h"
#include "catalogfixture.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace sky::catalog;
using sky::db::Connection;
using sky::db::Recordset;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below `root` with a hash of its bytes.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(QDir(root).relativeFilePath(p),
                     QFileInfo(p).isDir() ? QByteArray("<dir>")
                                          : QCryptographicHash::hash(readAll(p), QCryptographicHash::Sha1));
    }
    return files;
}

QStringList rows(Connection& c, const QString& sql, const QStringList& columns) {
    QStringList out;
    Recordset rs;
    rs.Open(sql, c);
    for (; !rs.eof(); rs.moveNext()) {
        QStringList v;
        for (const QString& col : columns) v << rs[col].text();
        out << v.join('|');
    }
    return out;
}

} // namespace

class TestCatalogBuild : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString source_, photos_;
    QByteArray photoA1_, photoA2_, photoB1_, photoB2_, photoB3_, logoA_;
    QJsonObject manifest_;

    // The hand-made source: A388 lists its photographs and brings its own
    // logo; B738 takes a folder of --photos and gets a drawn logo; C172 is
    // inactive with an address for a description.
    QJsonObject goodManifest() const {
        QJsonObject a388{{"id", 4},
                         {"folder", "A388"},
                         {"name", "Airbus A380-800"},
                         {"active", true},
                         {"sets", QJsonObject{{"isEurope", true}, {"isLargeJet", true}}},
                         {"description", QJsonObject{{"file", "pages/A388.html"}}},
                         {"photos", QJsonArray{"pics/a388-second.jpg", "pics/a388-first.jpg"}},
                         {"logo", "logos/A388.jpg"}};
        QJsonObject b738{{"id", 9},
                         {"folder", "B738"},
                         {"name", "Boeing 737-800"},
                         {"sets", QJsonObject{{"isUSA", true}, {"isLargeJet", true}, {"isEurope", false}}},
                         {"description", QJsonObject{{"file", "pages/B738.html"}}},
                         {"photos", "B738"}};
        QJsonObject c172{{"id", 30},
                         {"folder", "C172"},
                         {"name", "Cessna 172 Skyhawk"},
                         {"active", false},
                         {"sets", QJsonObject{{"isUSA", true}, {"isPropOther", true}}},
                         {"description", QJsonObject{{"url", "https://example.com/c172"}}},
                         {"photos", QJsonArray{"pics/c172.jpg"}}};
        return QJsonObject{
            {"textConstants", QJsonObject{{"FAQ", QJsonObject{{"file", "faq.html"}}},
                                          {"LastMod_0", QJsonObject{{"text", "2026-12-11 1"}}},
                                          {"Motto", QJsonObject{{"text", QString::fromUtf8("Pilot's «café» rule")}}}}},
            {"aircraft", QJsonArray{a388, b738, c172}},
            {"retiredIds", QJsonArray{1, 3}},
            {"pairs", QJsonArray{QJsonObject{{"a", "B738"}, {"b", "A388"}, {"ask", "hard"}},
                                 QJsonObject{{"a", "C172"}, {"b", "A388"}, {"ask", "never"}}}}};
    }

    void writeManifest(const QJsonObject& m) { writeFile(source_ + "/catalog.json", QJsonDocument(m).toJson()); }

    QString freshOut() {
        static int n = 0;
        return dir_.filePath(QStringLiteral("out%1/app").arg(++n));
    }

private slots:
    void initTestCase() {
        source_ = dir_.filePath("source");
        photos_ = dir_.filePath("rendered");
        photoA1_ = sky::fixture::MakeJpeg(1);
        photoA2_ = sky::fixture::MakeJpeg(2);
        photoB1_ = sky::fixture::MakeJpeg(3, QSize(320, 200));
        photoB2_ = sky::fixture::MakeJpeg(4, QSize(320, 200));
        photoB3_ = sky::fixture::MakeJpeg(5, QSize(320, 200));
        logoA_ = sky::fixture::MakeJpeg(6, QSize(300, 60));
        writeFile(source_ + "/pics/a388-first.jpg", photoA1_);
        writeFile(source_ + "/pics/a388-second.jpg", photoA2_);
        writeFile(source_ + "/pics/c172.jpg", photoB3_);
        writeFile(source_ + "/logos/A388.jpg", logoA_);
        // Taken in file-name order, whatever order they were written in.
        writeFile(photos_ + "/B738/02.jpg", photoB2_);
        writeFile(photos_ + "/B738/01.jpg", photoB1_);
        writeFile(photos_ + "/B738/notes.txt", "not a photograph");
        writeFile(source_ + "/pages/A388.html", QString::fromUtf8("<h1>A380</h1><p>Double-deck, «quad» jet; it's big.</p>").toUtf8());
        writeFile(source_ + "/pages/B738.html", "\xEF\xBB\xBF<h1>737</h1>");
        writeFile(source_ + "/faq.html", "<h1>FAQ</h1><p>Don't panic.</p>");
        // Faulty inputs for the error cases.
        writeFile(source_ + "/pics/text.jpg", "this is plain text, not a picture\n");
        writeFile(source_ + "/pics/cut.jpg", photoA1_.left(photoA1_.size() / 2));
        writeFile(source_ + "/pics/empty.jpg", QByteArray());
        QImage png(16, 16, QImage::Format_RGB32);
        png.fill(Qt::red);
        png.save(source_ + "/pics/png.jpg", "PNG");
        QDir().mkpath(photos_ + "/EMPTY");
        writeManifest(goodManifest());
    }

    void init() { writeManifest(goodManifest()); }

    void roundTrip() {
        const QString out = freshOut();
        const BuildReport r = BuildCatalog({source_, out, photos_});
        QCOMPARE(r.aircraft, 3);
        QCOMPARE(r.photographs, 5);
        QCOMPARE(r.pairs, 2);
        QCOMPARE(r.renderedLogos, 2);

        Connection c;
        sky::db::OpenProgramDatabase(c, out + "/skyrendel.skr");
        QStringList columns = {"AirplaneID", "AIRPLANETYPE", "FOLDER", "ISACTIVE"};
        columns += sky::db::AircraftSetColumns();
        columns << "LIBRARYHTML";
        QCOMPARE(rows(c, "SELECT * FROM AIRCRAFT ORDER BY AirplaneID", columns),
                 QStringList({QString::fromUtf8("4|Airbus A380-800|A388|true|false|true|false|true|false|false|false|false|"
                                                "<h1>A380</h1><p>Double-deck, «quad» jet; it's big.</p>"),
                              "9|Boeing 737-800|B738|true|true|false|false|true|false|false|false|false|<h1>737</h1>",
                              "30|Cessna 172 Skyhawk|C172|false|true|false|false|false|false|false|false|true|"
                              "https://example.com/c172"}));
        // Statements as the program writes them find the rows.
        QCOMPARE(rows(c, "SELECT AirplaneID FROM AIRCRAFT WHERE TRIM(FOLDER) = 'B738' AND ISACTIVE = TRUE", {"AirplaneID"}),
                 QStringList{"9"});
        // Each pair in both directions, so a read of either aircraft's rows
        // finds it.
        QCOMPARE(rows(c, "SELECT * FROM SIMILARAIRCRAFT", {"AIRCRAFTID", "SIMILARAIRCRAFTID", "ASK"}),
                 QStringList({"9|4|true", "4|9|true", "30|4|false", "4|30|false"}));
        QCOMPARE(rows(c, "SELECT * FROM TEXTCONSTANTS", {"TEXTCONSTANTNAME", "TEXTCONSTANTDATA"}),
                 QStringList({"FAQ|<h1>FAQ</h1><p>Don't panic.</p>", "LastMod_0|2026-12-11 1",
                              QString::fromUtf8("Motto|Pilot's «café» rule")}));

        // Name logos: the given one as it was, the others drawn.
        Recordset rs;
        rs.Open("SELECT FOLDER, NameImage FROM AIRCRAFT ORDER BY AirplaneID", c);
        QCOMPARE(rs["NameImage"].value().toByteArray(), logoA_);
        rs.moveNext();
        const QImage drawn = QImage::fromData(rs["NameImage"].value().toByteArray(), "JPEG");
        QCOMPARE(drawn.size(), kNameLogoSize);
        rs.close();
        c.Close();

        // Photographs: byte for byte, in the manifest's order (or file-name
        // order of a folder), with their identifiers.
        const QVector<QPair<QString, QVector<QPair<int, QByteArray>>>> expected = {
            {"A388", {{4001, photoA2_}, {4002, photoA1_}}},
            {"B738", {{9001, photoB1_}, {9002, photoB2_}}},
            {"C172", {{30001, photoB3_}}}};
        for (const auto& [folder, pictures] : expected) {
            Connection p;
            sky::db::OpenProgramDatabase(p, out + "/DATA/" + folder + ".skr");
            Recordset images;
            images.Open("SELECT * FROM IMAGES", p, sky::db::adOpenKeyset);
            QCOMPARE(images.recordCount(), pictures.size());
            for (const auto& [id, bytes] : pictures) {
                QCOMPARE(images["ID"].value().toInt(), id);
                QCOMPARE(images["Image"].actualSize(), qint64(bytes.size()));
                QVERIFY(images["Image"].getChunk(images["Image"].actualSize()) == bytes);
                images.moveNext();
            }
            QVERIFY(images.eof());
        }

        // The user database: the same tables and columns, no rows.
        Connection u;
        sky::db::OpenProgramDatabase(u, out + "/skyrendeluserdata.skr");
        for (const char* table : {"AIRCRAFT", "SIMILARAIRCRAFT", "TEXTCONSTANTS"}) {
            Recordset t;
            t.Open(QStringLiteral("SELECT * FROM ") + table, u);
            QCOMPARE(t.recordCount(), 0);
            if (QByteArray(table) == "AIRCRAFT") {
                for (const QString& col : columns + QStringList{"NameImage"}) QVERIFY(t.fields(col).name() == col);
            }
        }

        // Nothing is left behind beside OUT.
        QCOMPARE(QDir(QFileInfo(out).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"app"});
    }

    void rebuildReplacesOnlyItsOwnFiles() {
        const QString out = freshOut();
        writeFile(out + "/skyrendel", "#!/bin/sh\n");
        writeFile(out + "/skrcert.fdp", "template");
        writeFile(out + "/skyrendel.skr", "an older catalogue");
        writeFile(out + "/DATA/OLD1.skr", "an aircraft the catalogue dropped");
        writeFile(out + "/DATA/b738.skr", "older pictures, other case");
        writeFile(out + "/SOUND/correct.wav", "RIFF");
        BuildCatalog({source_, out, photos_});
        QCOMPARE(readAll(out + "/skyrendel"), QByteArray("#!/bin/sh\n"));
        QCOMPARE(readAll(out + "/skrcert.fdp"), QByteArray("template"));
        QCOMPARE(readAll(out + "/DATA/OLD1.skr"), QByteArray("an aircraft the catalogue dropped"));
        QCOMPARE(readAll(out + "/SOUND/correct.wav"), QByteArray("RIFF"));
        // The same aircraft's file under another case is replaced, not doubled.
        QCOMPARE(QDir(out + "/DATA").entryList(QDir::Files, QDir::Name | QDir::IgnoreCase),
                 QStringList({"A388.skr", "b738.skr", "C172.skr", "OLD1.skr"}));
        Connection c;
        sky::db::OpenProgramDatabase(c, out + "/DATA/b738.skr");
        QCOMPARE(rows(c, "SELECT ID FROM IMAGES", {"ID"}), QStringList({"9001", "9002"}));
        sky::db::OpenProgramDatabase(c, out + "/skyrendel.skr");
        QCOMPARE(rows(c, "SELECT FOLDER FROM AIRCRAFT", {"FOLDER"}), QStringList({"A388", "B738", "C172"}));
        c.Close();
        // Building again over its own output works and gives the same rows.
        BuildCatalog({source_, out, photos_});
        sky::db::OpenProgramDatabase(c, out + "/skyrendel.skr");
        QCOMPARE(rows(c, "SELECT FOLDER FROM AIRCRAFT", {"FOLDER"}), QStringList({"A388", "B738", "C172"}));
    }

    // A rebuild over an installed catalogue: every aircraft that stays keeps
    // its AirplaneID and no ID passes to another aircraft; a source that
    // would do either is refused and the install folder is left as it was.
    void rebuildKeepsAirplaneIds_data() {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("field");   // "" = the build succeeds
        QTest::addColumn<QString>("problem");
        const QJsonObject good = goodManifest();
        auto json = [](const QJsonObject& o) { return QJsonDocument(o).toJson(); };
        auto changed = [&](const std::function<void(QJsonArray&, QJsonArray&)>& edit) {
            QJsonObject m = good;
            QJsonArray list = m["aircraft"].toArray(), retired = m["retiredIds"].toArray();
            edit(list, retired);
            m["aircraft"] = list;
            m["retiredIds"] = retired;
            m.remove("pairs");
            return json(m);
        };
        auto withId = [](QJsonArray& list, int i, int id) {
            QJsonObject a = list[i].toObject();
            a["id"] = id;
            list[i] = a;
        };
        auto newcomer = [&](int id) {
            QJsonObject a = good["aircraft"].toArray()[2].toObject();
            a["id"] = id;
            a["folder"] = "DH8D";
            a["name"] = "Dash 8-400";
            return a;
        };
        QTest::newRow("same source") << json(good) << "" << "";
        QTest::newRow("an aircraft renumbered") << changed([&](QJsonArray& l, QJsonArray&) { withId(l, 1, 10); })
                                                << "aircraft[1].id" << "would change the AirplaneID of \"B738\", which is 9";
        QTest::newRow("renumbered by position") << changed([&](QJsonArray& l, QJsonArray&) {
            l.removeAt(0);
            withId(l, 0, 2);
            withId(l, 1, 5);
        }) << "aircraft[0].id" << "would change the AirplaneID";
        QTest::newRow("a leaving aircraft's ID given to a newcomer") << changed([&](QJsonArray& l, QJsonArray&) {
            l.removeAt(2);
            l.append(newcomer(30));
        }) << "aircraft[2].id" << "30 belongs to \"C172\"";
        QTest::newRow("a newcomer with a new ID, the old one retired") << changed([&](QJsonArray& l, QJsonArray& r) {
            l.removeAt(2);
            l.append(newcomer(31));
            r.append(30);
        }) << "" << "";
        QTest::newRow("folder in other case keeps its ID") << changed([&](QJsonArray& l, QJsonArray&) {
            QJsonObject a = l[1].toObject();
            a["folder"] = "b738";
            a["id"] = 12;
            l[1] = a;
        }) << "aircraft[1].id" << "which is 9";
    }

    void rebuildKeepsAirplaneIds() {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, field);
        QFETCH(QString, problem);
        const QString out = freshOut();
        BuildCatalog({source_, out, photos_});
        writeFile(source_ + "/catalog.json", manifest);
        const QMap<QString, QByteArray> before = snapshot(QFileInfo(out).absolutePath());
        if (field.isEmpty()) {
            BuildCatalog({source_, out, photos_});
            return;
        }
        try {
            BuildCatalog({source_, out, photos_});
            QFAIL("the build succeeded");
        } catch (const CatalogError& e) {
            QCOMPARE(e.field(), field);
            QVERIFY2(e.message().contains(problem), qPrintable(e.message()));
            QVERIFY2(e.message().contains(out + "/skyrendel.skr"), qPrintable(e.message()));
        }
        QCOMPARE(snapshot(QFileInfo(out).absolutePath()), before);
    }

    void badInputIsRefusedAndOutIsUntouched_data() {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QString>("file");    // the end of the file named
        QTest::addColumn<QString>("field");   // the field named ("" = none)
        QTest::addColumn<QString>("problem"); // a part of the message

        const QJsonObject good = goodManifest();
        auto json = [](const QJsonObject& o) { return QJsonDocument(o).toJson(); };
        auto withAircraft = [&](int i, const char* key, const QJsonValue& v) {
            QJsonObject m = good;
            QJsonArray list = m["aircraft"].toArray();
            QJsonObject a = list[i].toObject();
            if (v.isUndefined()) a.remove(key);
            else a[key] = v;
            list[i] = a;
            m["aircraft"] = list;
            return json(m);
        };
        auto withPair = [&](const QJsonObject& p) {
            QJsonObject m = good;
            QJsonArray pairs = m["pairs"].toArray();
            pairs.append(p);
            m["pairs"] = pairs;
            return json(m);
        };

        QByteArray broken = json(good);
        broken.insert(broken.indexOf("\"aircraft\""), "\n  \"oops\" ");
        QTest::newRow("malformed JSON") << broken << "catalog.json" << "" << "malformed JSON at line";
        QTest::newRow("not an object") << QByteArray("[1, 2]") << "catalog.json" << "" << "JSON object";
        QTest::newRow("missing photograph") << withAircraft(0, "photos", QJsonArray{"pics/a388-first.jpg", "pics/nope.jpg"})
                                            << "pics/nope.jpg" << "aircraft[0].photos[1] (A388)" << "does not exist";
        QTest::newRow("text as photograph") << withAircraft(2, "photos", QJsonArray{"pics/text.jpg"}) << "pics/text.jpg"
                                            << "aircraft[2].photos[0] (C172)" << "not a usable JPEG";
        QTest::newRow("truncated photograph") << withAircraft(2, "photos", QJsonArray{"pics/cut.jpg"}) << "pics/cut.jpg"
                                              << "aircraft[2].photos[0] (C172)" << "cut short";
        QTest::newRow("empty photograph") << withAircraft(2, "photos", QJsonArray{"pics/empty.jpg"}) << "pics/empty.jpg"
                                          << "aircraft[2].photos[0] (C172)" << "not a JPEG";
        QTest::newRow("PNG as photograph") << withAircraft(2, "photos", QJsonArray{"pics/png.jpg"}) << "pics/png.jpg"
                                           << "aircraft[2].photos[0] (C172)" << "not a JPEG";
        QTest::newRow("undecodable logo") << withAircraft(0, "logo", "pics/text.jpg") << "pics/text.jpg"
                                          << "aircraft[0].logo (A388)" << "not a usable JPEG";
        QTest::newRow("no photographs") << withAircraft(1, "photos", QJsonArray{}) << "catalog.json" << "aircraft[1].photos"
                                        << "no photographs";
        QTest::newRow("photos missing") << withAircraft(1, "photos", QJsonValue::Undefined) << "catalog.json"
                                        << "aircraft[1].photos" << "no photographs";
        QTest::newRow("empty photo folder") << withAircraft(1, "photos", "EMPTY") << "rendered/EMPTY"
                                            << "aircraft[1].photos" << "no photographs";
        QTest::newRow("absent photo folder") << withAircraft(1, "photos", "B7X8") << "rendered/B7X8"
                                             << "aircraft[1].photos" << "does not exist";
        QTest::newRow("duplicate folder") << withAircraft(2, "folder", "A388") << "catalog.json" << "aircraft[2].folder"
                                          << "already used by aircraft[0]";
        QTest::newRow("duplicate folder, other case") << withAircraft(2, "folder", "a388") << "catalog.json"
                                                      << "aircraft[2].folder" << "already used by aircraft[0]";
        QTest::newRow("duplicate name") << withAircraft(2, "name", "Boeing 737-800") << "catalog.json"
                                        << "aircraft[2].name" << "already used by aircraft[1]";
        QTest::newRow("duplicate name, blanks") << withAircraft(2, "name", " Boeing 737-800 ") << "catalog.json"
                                                << "aircraft[2].name" << "already used by aircraft[1]";
        QTest::newRow("folder with slash") << withAircraft(0, "folder", "A3/88") << "catalog.json" << "aircraft[0].folder"
                                           << "cannot be a file name";
        QTest::newRow("folder with backslash") << withAircraft(0, "folder", "A3\\88") << "catalog.json"
                                               << "aircraft[0].folder" << "cannot be a file name";
        QTest::newRow("folder ..") << withAircraft(0, "folder", "..") << "catalog.json" << "aircraft[0].folder"
                                   << "cannot be a file name";
        QTest::newRow("folder with ..") << withAircraft(0, "folder", "A..388") << "catalog.json" << "aircraft[0].folder"
                                        << "cannot be a file name";
        QTest::newRow("folder control char") << withAircraft(0, "folder", "A38\t8") << "catalog.json"
                                             << "aircraft[0].folder" << "control character";
        QTest::newRow("folder empty") << withAircraft(0, "folder", "") << "catalog.json" << "aircraft[0].folder"
                                      << "is empty";
        QTest::newRow("folder blank-edged") << withAircraft(0, "folder", "A388 ") << "catalog.json"
                                            << "aircraft[0].folder" << "blanks";
        QTest::newRow("folder missing") << withAircraft(0, "folder", QJsonValue::Undefined) << "catalog.json"
                                        << "aircraft[0].folder" << "missing";
        QTest::newRow("unknown set column") << withAircraft(1, "sets", QJsonObject{{"isAsia", true}}) << "catalog.json"
                                            << "aircraft[1].sets.isAsia" << "unknown set column";
        QTest::newRow("set column case") << withAircraft(1, "sets", QJsonObject{{"isusa", true}}) << "catalog.json"
                                         << "aircraft[1].sets.isusa" << "unknown set column";
        QTest::newRow("set not boolean") << withAircraft(1, "sets", QJsonObject{{"isUSA", "yes"}}) << "catalog.json"
                                         << "aircraft[1].sets.isUSA" << "true or false";
        QTest::newRow("missing page") << withAircraft(1, "description", QJsonObject{{"file", "pages/none.html"}})
                                      << "pages/none.html" << "aircraft[1].description.file" << "does not exist";
        QTest::newRow("address not web") << withAircraft(1, "description", QJsonObject{{"url", "ftp://x/y"}})
                                         << "catalog.json" << "aircraft[1].description.url" << "not an http";
        QTest::newRow("id missing") << withAircraft(1, "id", QJsonValue::Undefined) << "catalog.json" << "aircraft[1].id"
                                    << "fixed AirplaneID";
        QTest::newRow("id used twice") << withAircraft(2, "id", 4) << "catalog.json" << "aircraft[2].id"
                                       << "4 is already used by aircraft[0]";
        QTest::newRow("id of a retired aircraft") << withAircraft(1, "id", 3) << "catalog.json" << "aircraft[1].id"
                                                  << "never given to another";
        QTest::newRow("id zero") << withAircraft(1, "id", 0) << "catalog.json" << "aircraft[1].id" << "whole number";
        QTest::newRow("id fraction") << withAircraft(1, "id", 2.5) << "catalog.json" << "aircraft[1].id" << "whole number";
        QTest::newRow("id as text") << withAircraft(1, "id", "9") << "catalog.json" << "aircraft[1].id" << "whole number";
        QTest::newRow("id too large") << withAircraft(1, "id", 2000001) << "catalog.json" << "aircraft[1].id"
                                      << "whole number";
        QTest::newRow("misspelt field") << withAircraft(1, "photo", "B738") << "catalog.json" << "aircraft[1].photo"
                                        << "unknown field";
        QTest::newRow("pair unknown aircraft") << withPair({{"a", "B738"}, {"b", "ZZZZ"}, {"ask", "hard"}})
                                               << "catalog.json" << "pairs[2].b" << "not an aircraft";
        QTest::newRow("pair with itself") << withPair({{"a", "B738"}, {"b", "B738"}, {"ask", "hard"}}) << "catalog.json"
                                          << "pairs[2]" << "with itself";
        QTest::newRow("pair twice, reversed") << withPair({{"a", "A388"}, {"b", "B738"}, {"ask", "never"}})
                                              << "catalog.json" << "pairs[2]" << "same pair as pairs[0]";
        QTest::newRow("pair bad ask") << withPair({{"a", "A388"}, {"b", "C172"}, {"ask", "sometimes"}}) << "catalog.json"
                                      << "pairs[2].ask" << "\"hard\" or \"never\"";
        QJsonObject noFaq = good;
        noFaq["textConstants"] = QJsonObject{{"LastMod_0", QJsonObject{{"text", "1"}}}};
        QTest::newRow("no FAQ") << json(noFaq) << "catalog.json" << "textConstants.FAQ" << "missing";
        QJsonObject missingFaqFile = good;
        missingFaqFile["textConstants"] = QJsonObject{{"FAQ", QJsonObject{{"file", "nofaq.html"}}},
                                                      {"LastMod_0", QJsonObject{{"text", "1"}}}};
        QTest::newRow("FAQ file missing") << json(missingFaqFile) << "nofaq.html" << "textConstants.FAQ.file"
                                          << "does not exist";
    }

    void badInputIsRefusedAndOutIsUntouched() {
        QFETCH(QByteArray, manifest);
        QFETCH(QString, file);
        QFETCH(QString, field);
        QFETCH(QString, problem);
        writeFile(source_ + "/catalog.json", manifest);
        const QString out = freshOut();
        // An install folder with an older catalogue in it.
        writeFile(out + "/skyrendel", "program");
        writeFile(out + "/skyrendel.skr", "older catalogue");
        writeFile(out + "/DATA/A388.skr", "older pictures");
        const QMap<QString, QByteArray> before = snapshot(QFileInfo(out).absolutePath());
        try {
            BuildCatalog({source_, out, photos_});
            QFAIL("the build succeeded");
        } catch (const CatalogError& e) {
            QVERIFY2(QDir::cleanPath(e.file()).endsWith(file), qPrintable(e.message()));
            QCOMPARE(e.field(), field);
            QVERIFY2(e.message().contains(problem), qPrintable(e.message()));
            QVERIFY(e.message().startsWith(e.file() + ": "));
        }
        QCOMPARE(snapshot(QFileInfo(out).absolutePath()), before);
    }

    void commandLineReportsAndInspects() {
        const QString tool = qEnvironmentVariable("SKY_BINARY_DIR") + "/bin/skyrendel-catalog";
        QVERIFY2(QFileInfo(tool).isExecutable(), qPrintable(tool));
        const QString out = freshOut();

        QProcess p;
        p.start(tool, {"build", source_, out, "--photos", photos_});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError());

        p.start(tool, {"inspect", out + "/skyrendel.skr"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.contains("Aircraft: 3"), qPrintable(text));
        for (const char* s : {"A388", "Airbus A380-800", "2 pictures", "1 picture;", "inactive",
                              "isEurope, isLargeJet", "B738   - A388    hard", "C172   - A388    never",
                              "LastMod_0 = 2026-12-11 1", "https://example.com/c172", "300 x 60"})
            QVERIFY2(text.contains(QString::fromUtf8(s)), qPrintable(QString::fromUtf8(s) + " in:\n" + text));

        p.start(tool, {"inspect", out + "/DATA/B738.skr"});
        QVERIFY(p.waitForFinished(60000));
        const QString pics = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(pics.contains("Images: 2") && pics.contains("ID    9001") && pics.contains("320 x 200") &&
                     pics.contains(QString::number(photoB1_.size()) + " bytes"),
                 qPrintable(pics));

        writeManifest(QJsonObject{{"aircraft", 7}});
        p.start(tool, {"build", source_, out});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains("catalog.json: ") && err.contains("textConstants"), qPrintable(err));
        QCOMPARE(err.count("skyrendel-catalog: error"), 1); // one message
    }

    void drawnLogoIsAJpegOfTheButtonSize_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << "DC-3";
        QTest::newRow("typical") << "Boeing 737-800";
        QTest::newRow("long") << "De Havilland Canada Dash 8-400";
        QTest::newRow("very long") << "McDonnell Douglas MD-82 Super Eighty Long Range Freighter Conversion";
        QTest::newRow("accents") << QString::fromUtf8("Aérospatiale Caravelle Ⅲ");
    }
    void drawnLogoIsAJpegOfTheButtonSize() {
        QFETCH(QString, name);
        const QByteArray bytes = RenderNameLogo(name);
        QVERIFY(IsCompleteJpeg(bytes));
        QImage image;
        QVERIFY(image.loadFromData(bytes, "JPEG"));
        QCOMPARE(image.size(), QSize(300, 60));
        // Light lettering on a dark band, kept clear of the edges.
        int letterPixels = 0, edgePixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool light = qGray(image.pixel(x, y)) > 200;
                letterPixels += light;
                if (light && (x < 4 || x >= image.width() - 4)) ++edgePixels;
            }
        QVERIFY2(letterPixels > 150, qPrintable(QString::number(letterPixels)));
        QCOMPARE(edgePixels, 0);
        QVERIFY(qGray(image.pixel(2, 2)) < 110);
        QVERIFY(RenderNameLogo(name) == bytes); // drawn the same way every time
    }

    // Plates look alike: a name that fits on one line is set at the one
    // standard size, a longer one on two lines at the two-line size, and
    // only a name too long for two lines goes smaller.
    void nameLogoLayout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("size"); // "one", "two" or "smaller"
        QTest::newRow("short") << "DC-3" << 1 << "one";
        QTest::newRow("typical") << "Boeing 737-800" << 1 << "one";
        QTest::newRow("blanks around") << "  Airbus  A320 " << 1 << "one";
        QTest::newRow("long") << "De Havilland Canada Dash 8-400" << 2 << "two";
        QTest::newRow("very long") << "McDonnell Douglas MD-82 Super Eighty Long Range Freighter Conversion" << 2
                                   << "smaller";
        QTest::newRow("one long word") << "Supercalifragilisticexpialidocious" << 1 << "smaller";
    }
    void nameLogoLayout() {
        QFETCH(QString, name);
        QFETCH(int, lines);
        QFETCH(QString, size);
        const NameLogoLayout layout = LayOutNameLogo(name);
        QCOMPARE(layout.lines.size(), lines);
        QCOMPARE(layout.lines.join(' '), name.simplified());
        if (size == "one") QCOMPARE(layout.pixelSize, NameLogoOneLinePixels());
        if (size == "two") QCOMPARE(layout.pixelSize, NameLogoTwoLinePixels());
        if (size == "smaller") QVERIFY(layout.pixelSize < NameLogoTwoLinePixels());
        QVERIFY(NameLogoTwoLinePixels() * 2 <= kNameLogoSize.height());
    }

    // Every type of the demo catalogue is set at one of the two sizes.
    void demoNamesUseTheTwoSizes() {
        QFile f(qEnvironmentVariable("SKY_SOURCE_DIR") + "/content/demo/catalog.json");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonArray aircraft = QJsonDocument::fromJson(f.readAll()).object()["aircraft"].toArray();
        QVERIFY(aircraft.size() > 20);
        for (const QJsonValue& a : aircraft) {
            const QString name = a.toObject()["name"].toString();
            const int px = LayOutNameLogo(name).pixelSize;
            QVERIFY2(px == NameLogoOneLinePixels() || px == NameLogoTwoLinePixels(), qPrintable(name));
        }
    }

    void jpegCheck_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("complete");
        const QByteArray jpeg = sky::fixture::MakeJpeg(9, QSize(64, 48));
        QTest::newRow("whole") << jpeg << true;
        QTest::newRow("tagged") << sky::fixture::TagJpeg(jpeg, "G001/3") << true;
        QTest::newRow("trailing zeros") << jpeg + QByteArray(16, '\0') << true;
        QTest::newRow("no end marker") << jpeg.left(jpeg.size() - 2) << false;
        QTest::newRow("headers only") << jpeg.left(300) << false;
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8\xFF\xD9", 4) << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("hello world, not a jpeg") << false;
    }
    void jpegCheck() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, complete);
        QCOMPARE(IsCompleteJpeg(bytes), complete);
    }
};

QTEST_MAIN(TestCatalogBuild)
#include "tst_catalogbuild.moc"
