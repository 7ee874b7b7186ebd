// skyrendel-publish as the maker runs it: a complete publish switched in at
// the end, and refusals that leave the publish in force untouched.
#include "serverfixture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky::servertest;

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// What a refusal must leave as it was: the link, the manifest, the folders.
struct Snapshot {
    QString link;
    QByteArray manifest;
    QStringList entries;
    bool operator==(const Snapshot& o) const { return link == o.link && manifest == o.manifest && entries == o.entries; }
};

Snapshot Take(const QString& root) {
    return {QFileInfo(root + "/current").symLinkTarget(), ReadFile(root + "/current/manifest.json"),
            QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)};
}

const QVector<CatalogAircraft> kFirst = {{1, "B738", "Boeing 737-800", 1}, {2, "A320", "Airbus A320", 2}};

} // namespace

class TestPublish : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString root_;

    RunResult publish(const QString& catalog, const QStringList& extra = {}) {
        return Run(Tool("skyrendel-publish"), QStringList{"publish", catalog, root_} + extra);
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        root_ = tmp_.filePath("root");
        WriteCatalog(tmp_.filePath("first"), kFirst, "2026-12-11 1");
        const RunResult r = publish(tmp_.filePath("first"));
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    }

    void publishHoldsFilesSizesDigestsAndIds() {
        const QString dir = QFileInfo(root_ + "/current").canonicalFilePath();
        QVERIFY(QFileInfo(root_ + "/current").isSymLink());
        const QJsonObject m = QJsonDocument::fromJson(ReadFile(dir + "/manifest.json")).object();
        QCOMPARE(m.value("lastMod").toString(), QString("2026-12-11 1"));
        QMap<QString, QJsonObject> files;
        for (const QJsonValue& v : m.value("files").toArray()) files[v.toObject().value("name").toString()] = v.toObject();
        QCOMPARE(files.keys(), (QStringList{"A320.skr", "B738.skr", "skyrendel.skr"}));
        for (const QString& n : files.keys()) {
            const QByteArray bytes = ReadFile(dir + "/files/" + n);
            const QByteArray source =
                ReadFile(tmp_.filePath(n == "skyrendel.skr" ? "first/skyrendel.skr" : "first/DATA/" + n));
            QCOMPARE(bytes, source);
            QCOMPARE(files[n].value("size").toInteger(), qint64(bytes.size()));
            QCOMPARE(files[n].value("sha256").toString(), Sha256(bytes));
        }
        QMap<int, QString> ids;
        for (const QJsonValue& v : m.value("aircraft").toArray())
            ids[v.toObject().value("id").toInt()] = v.toObject().value("file").toString();
        QCOMPARE(ids.value(1), QString("B738.skr"));
        QCOMPARE(ids.value(2), QString("A320.skr"));
        // The photographs for the report page, by picture ID.
        QCOMPARE(QDir(dir + "/photos").entryList(QDir::Files).size(), 3);
    }

    void refusals_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder with a new AirplaneID") << "changed-id" << "B738 the AirplaneID 40, but it was published as 1";
        QTest::newRow("AirplaneID moved to another folder") << "moved-id" << "AirplaneID 2 to A20N, but it was published for A320";
        QTest::newRow("id of a dropped aircraft reused") << "reused-id" << "AirplaneID 2 to C172";
        QTest::newRow("unreadable catalogue") << "garbage" << "cannot be read";
        QTest::newRow("no catalogue") << "missing" << "no catalogue at";
        QTest::newRow("unreadable picture database") << "bad-pictures" << "the picture database";
        QTest::newRow("no LastMod_0") << "no-stamp" << "has no LastMod_0 stamp";
        QTest::newRow("archive without key") << "no-key" << "needs the secret key";
        QTest::newRow("archive with a bad version") << "bad-version" << "dotted numbers";
    }
    void refusals() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString cat = tmp_.filePath("refused-" + kind);
        QStringList extra;
        if (kind == "changed-id") {
            WriteCatalog(cat, {{40, "B738", "Boeing 737-800", 1}, {2, "A320", "Airbus A320", 1}}, "2026-12-12 1");
        } else if (kind == "moved-id") {
            WriteCatalog(cat, {{1, "B738", "Boeing 737-800", 1}, {2, "A20N", "Airbus A320neo", 1}}, "2026-12-12 1");
        } else if (kind == "reused-id") {
            WriteCatalog(cat, {{1, "B738", "Boeing 737-800", 1}, {2, "C172", "Cessna 172", 1}}, "2026-12-12 1");
        } else if (kind == "garbage") {
            QDir().mkpath(cat + "/DATA");
            QFile f(cat + "/skyrendel.skr");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (kind == "bad-pictures") {
            WriteCatalog(cat, kFirst, "2026-12-12 1");
            QFile f(cat + "/DATA/A320.skr");
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'y'));
        } else if (kind == "missing") {
            QDir().mkpath(cat);
        } else if (kind == "no-stamp") {
            WriteCatalog(cat, kFirst, "");
        } else {
            WriteCatalog(cat, kFirst, "2026-12-12 1");
            QFile zip(cat + "/Skyrendel.zip");
            QVERIFY(zip.open(QIODevice::WriteOnly));
            zip.write("PK");
            zip.close();
            extra << "--program" << zip.fileName() << "--version" << (kind == "no-key" ? "1.4" : "1.4beta");
            if (kind == "bad-version") extra << "--key" << zip.fileName();
        }
        const Snapshot before = Take(root_);
        const RunResult r = publish(cat, extra);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.err.startsWith("skyrendel-publish: "), qPrintable(r.err));
        QVERIFY(Take(root_) == before);
    }

    void aNewPublishSwitchesAndOldOnesArePruned() {
        const Snapshot before = Take(root_);
        // Aircraft may leave and come back; only their ids are fixed.
        WriteCatalog(tmp_.filePath("second"), {{1, "B738", "Boeing 737-800", 1}, {3, "B752", "Boeing 757-200", 1}},
                     "2026-12-13 1");
        for (int i = 0; i < 4; ++i) {
            const RunResult r = publish(tmp_.filePath("second"), {"--keep", "2"});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        }
        const Snapshot after = Take(root_);
        QVERIFY(after.link != before.link);
        QVERIFY(!after.link.isEmpty());
        QCOMPARE(QDir(root_).entryList({"publish-*"}, QDir::Dirs).size(), 3); // current and two before it
        QCOMPARE(QDir(root_).entryList({".*partial*", ".current*"}, QDir::AllEntries | QDir::Hidden).size(), 0);
        const QJsonObject m = QJsonDocument::fromJson(after.manifest).object();
        QCOMPARE(m.value("lastMod").toString(), QString("2026-12-13 1"));
        // Each published catalogue's aircraft, by stamp.
        const QJsonObject cats = m.value("catalogues").toObject();
        QCOMPARE(cats.value("2026-12-11 1").toArray(), (QJsonArray{1, 2}));
        QCOMPARE(cats.value("2026-12-13 1").toArray(), (QJsonArray{1, 3}));
        // A320 is no longer published, but its id stays taken.
        QCOMPARE(m.value("knownIds").toObject().value("A320").toInt(), 2);
        WriteCatalog(tmp_.filePath("third"), {{2, "E190", "Embraer E190", 1}}, "2026-12-14 1");
        const RunResult r = publish(tmp_.filePath("third"));
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("published for A320"));
    }

    // Publishes of one second are numbered 1, 2, ... 10: pruning goes by
    // that number, not by the folder name's letters.
    void pruningKeepsTheNewestByNumber() {
        const QString root = tmp_.filePath("numbered");
        RunResult r = Run(Tool("skyrendel-publish"), {"publish", tmp_.filePath("first"), root});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList real = QDir(root).entryList({"publish-*"}, QDir::Dirs);
        QCOMPARE(real.size(), 1);
        for (const char* old : {"publish-20000101-000000-2", "publish-20000101-000000-10"})
            QVERIFY(QDir().mkpath(root + "/" + old));
        r = Run(Tool("skyrendel-publish"), {"publish", tmp_.filePath("first"), root, "--keep", "2"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList left = QDir(root).entryList({"publish-*"}, QDir::Dirs);
        QCOMPARE(left.size(), 3);
        QVERIFY2(!left.contains("publish-20000101-000000-2"), qPrintable(left.join(' ')));
        QVERIFY2(left.contains("publish-20000101-000000-10"), qPrintable(left.join(' ')));
        QVERIFY(left.contains(real[0]));
    }

    // A new publish is numbered after every publish of its second still
    // there: a running server reloads only when the folder's name changes.
    void aPublishNeverTakesAnOlderOnesNumber() {
        const QString root = tmp_.filePath("renumbered");
        bool sameSecond = false;
        for (int attempt = 0; attempt < 5 && !sameSecond; ++attempt) {
            QDir(root).removeRecursively();
            const QString stamp = QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
            QVERIFY(QDir().mkpath(root + "/publish-" + stamp + "-7"));
            const RunResult r = Run(Tool("skyrendel-publish"), {"publish", tmp_.filePath("first"), root, "--keep", "5"});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            const QString current = QFileInfo(root + "/current").symLinkTarget();
            if (!QFileInfo(current).fileName().startsWith("publish-" + stamp + "-")) continue; // the second passed
            sameSecond = true;
            QCOMPARE(QFileInfo(current).fileName(), "publish-" + stamp + "-8");
        }
        QVERIFY(sameSecond);
    }

    void keygenNeverOverwritesAKey() {
        const QString dir = tmp_.filePath("keys");
        const RunResult first = Run(Tool("skyrendel-publish"), {"keygen", dir});
        QCOMPARE(first.exitCode, 0);
        QVERIFY(QRegularExpression("public key [0-9a-f]{64}").match(first.out).hasMatch());
        const QByteArray secret = ReadFile(dir + "/skyrendel-sign.key");
        QCOMPARE(secret.size(), 64);
        QCOMPARE(QFileInfo(dir + "/skyrendel-sign.key").permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());
        const RunResult second = Run(Tool("skyrendel-publish"), {"keygen", dir});
        QCOMPARE(second.exitCode, 1);
        QVERIFY(second.err.contains("already exists"));
        QCOMPARE(ReadFile(dir + "/skyrendel-sign.key"), secret);
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
