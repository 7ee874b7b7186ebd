// The demo catalogue's manifest as shipped in content/demo: the faults that
// would spoil the demo rather than stop the build. A missing or stub page, a
// set too small to give three answers, a pair naming an unknown or the same
// aircraft, a misspelt set key that silently reads as false, or a look-alike
// pair dropped from the list would all build without complaint.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

namespace {

const QStringList kSetColumns = {"isUSA",      "isEurope",       "isUSSR",        "isLargeJet",
                                 "isSmallJet", "isCorporateJet", "isPropAirline", "isPropOther"};

// A page below this size is a stub, not a description of the type.
constexpr qint64 kMinPageBytes = 2000;

QString demoDir() {
    return QDir(qEnvironmentVariable("SKY_SOURCE_DIR")).filePath(QStringLiteral("content/demo"));
}

QString pairKey(const QString& a, const QString& b) {
    return a < b ? a + QLatin1Char('|') + b : b + QLatin1Char('|') + a;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestDemoCatalog : public QObject {
    Q_OBJECT

    QJsonObject manifest_;
    QHash<QString, QJsonObject> byFolder_;  // trimmed FOLDER -> aircraft entry
    QHash<QString, QString> pairAsk_;       // unordered pair -> "hard" / "never"

private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("SKY_SOURCE_DIR"), "SKY_SOURCE_DIR is not set");
        const QByteArray text = readAll(demoDir() + "/catalog.json");
        QVERIFY2(!text.isEmpty(), qPrintable("cannot read " + demoDir() + "/catalog.json"));
        QJsonParseError err{};
        const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
        QVERIFY2(err.error == QJsonParseError::NoError, qPrintable(err.errorString()));
        QVERIFY(doc.isObject());
        manifest_ = doc.object();
        for (const QJsonValue& v : manifest_.value("aircraft").toArray()) {
            const QJsonObject a = v.toObject();
            byFolder_.insert(a.value("folder").toString().trimmed(), a);
        }
        for (const QJsonValue& v : manifest_.value("pairs").toArray()) {
            const QJsonObject p = v.toObject();
            pairAsk_.insert(pairKey(p.value("a").toString(), p.value("b").toString()), p.value("ask").toString());
        }
    }

    // Every aircraft of the fixed demo list, under its FOLDER and type name,
    // with a real page of its own and photographs taken from its own folder.
    void aircraft_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        const QList<QPair<const char*, const char*>> list = {
            {"B738", "Boeing 737-800"},          {"A320", "Airbus A320"},
            {"B744", "Boeing 747-400"},          {"A388", "Airbus A380-800"},
            {"B77W", "Boeing 777-300ER"},        {"A333", "Airbus A330-300"},
            {"B752", "Boeing 757-200"},          {"B763", "Boeing 767-300"},
            {"MD82", "McDonnell Douglas MD-82"}, {"B712", "Boeing 717-200"},
            {"B722", "Boeing 727-200"},          {"CRJ2", "Bombardier CRJ200"},
            {"E145", "Embraer ERJ 145"},         {"AT72", "ATR 72"},
            {"DH8D", "De Havilland Canada Dash 8-400"},
            {"B190", "Beechcraft 1900D"},        {"LJ45", "Learjet 45"},
            {"C56X", "Cessna Citation Excel"},   {"GLF5", "Gulfstream G550"},
            {"C172", "Cessna 172 Skyhawk"},      {"P28A", "Piper PA-28 Cherokee"},
            {"DC3", "Douglas DC-3"},             {"T154", "Tupolev Tu-154"},
            {"IL62", "Ilyushin Il-62"},          {"VC10", "Vickers VC10"},
            {"AN2", "Antonov An-2"},             {"AN24", "Antonov An-24"},
            {"YK40", "Yakovlev Yak-40"}};
        for (const auto& [folder, name] : list) QTest::newRow(folder) << QString(folder) << QString(name);
    }
    void aircraft() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QVERIFY2(byFolder_.contains(folder), "not in the catalogue");
        const QJsonObject a = byFolder_.value(folder);
        QCOMPARE(a.value("name").toString(), name);
        QCOMPARE(a.value("active").toBool(false), true);
        QCOMPARE(a.value("photos").toString(), folder);

        const QJsonObject sets = a.value("sets").toObject();
        QVERIFY2(!sets.isEmpty(), "belongs to no set");
        for (auto it = sets.begin(); it != sets.end(); ++it) {
            QVERIFY2(kSetColumns.contains(it.key()), qPrintable("unknown set key " + it.key()));
            QVERIFY2(it.value().isBool(), qPrintable(it.key() + " is not true/false"));
        }

        const QString page = a.value("description").toObject().value("file").toString();
        QVERIFY2(!page.isEmpty(), "no description file");
        const QString path = QDir(demoDir()).filePath(page);
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path + " does not exist"));
        QVERIFY2(QFileInfo(path).size() >= kMinPageBytes, qPrintable(path + " is a stub"));
        const QString html = QString::fromUtf8(readAll(path));
        QVERIFY2(html.contains(name), "the page does not name its aircraft");
        QVERIFY2(html.contains("How to recognise it"), "the page has no recognition section");
        // Shown offline in the program's own browser: nothing fetched, nothing run.
        QVERIFY2(!html.contains("<script", Qt::CaseInsensitive), "the page runs a script");
        QVERIFY2(!html.contains("<link", Qt::CaseInsensitive), "the page links an outside resource");
        QVERIFY2(!html.contains("src=", Qt::CaseInsensitive), "the page loads an outside resource");
    }

    void folderAndNameUnique() {
        QSet<QString> folders, names;
        const QJsonArray list = manifest_.value("aircraft").toArray();
        for (const QJsonValue& v : list) {
            const QJsonObject a = v.toObject();
            const QString folder = a.value("folder").toString().trimmed().toUpper();
            const QString name = a.value("name").toString().trimmed();
            QVERIFY2(!folder.isEmpty() && !name.isEmpty(), "an aircraft without folder or name");
            QVERIFY2(!folders.contains(folder), qPrintable("folder twice: " + folder));
            QVERIFY2(!names.contains(name), qPrintable("name twice: " + name));
            folders.insert(folder);
            names.insert(name);
        }
        QCOMPARE(list.size(), 28);
    }

    // A quiz draws its two distractors from the correct aircraft's sets first;
    // a set of fewer than three members cannot fill a question by itself.
    void setHasThreeMembers_data() {
        QTest::addColumn<QString>("column");
        for (const QString& c : kSetColumns) QTest::newRow(qPrintable(c)) << c;
    }
    void setHasThreeMembers() {
        QFETCH(QString, column);
        QStringList members;
        for (auto it = byFolder_.begin(); it != byFolder_.end(); ++it)
            if (it.value().value("sets").toObject().value(column).toBool(false)) members << it.key();
        QVERIFY2(members.size() >= 3, qPrintable(column + " has only: " + members.join(", ")));
    }

    void pairsAreWellFormed() {
        QSet<QString> seen;
        for (const QJsonValue& v : manifest_.value("pairs").toArray()) {
            const QJsonObject p = v.toObject();
            const QString a = p.value("a").toString(), b = p.value("b").toString();
            const QString label = a + "-" + b;
            QVERIFY2(byFolder_.contains(a), qPrintable(label + ": unknown folder " + a));
            QVERIFY2(byFolder_.contains(b), qPrintable(label + ": unknown folder " + b));
            QVERIFY2(a != b, qPrintable(label + ": an aircraft paired with itself"));
            const QString ask = p.value("ask").toString();
            QVERIFY2(ask == "hard" || ask == "never", qPrintable(label + ": ask is '" + ask + "'"));
            QVERIFY2(!seen.contains(pairKey(a, b)), qPrintable(label + ": listed twice"));
            seen.insert(pairKey(a, b));
        }
    }

    // The look-alikes the demo exists to show; each must be a hard pair and
    // both pages must tell the two apart.
    void lookAlikePair_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        const QList<QPair<const char*, const char*>> pairs = {
            {"B738", "A320"}, {"B744", "A388"}, {"B77W", "A333"}, {"B752", "B763"},
            {"MD82", "B712"}, {"CRJ2", "E145"}, {"AT72", "DH8D"}, {"LJ45", "C56X"},
            {"C172", "P28A"}, {"T154", "B722"}, {"IL62", "VC10"}, {"AN24", "AT72"}};
        for (const auto& [a, b] : pairs)
            QTest::newRow(qPrintable(QString("%1-%2").arg(a, b))) << QString(a) << QString(b);
    }
    void lookAlikePair() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QCOMPARE(pairAsk_.value(pairKey(a, b)), QString("hard"));
    }

    // Every hard pair of the manifest, shipped or added later: the page of
    // each aircraft names the other, so learning mode explains the difference.
    void hardPairExplained_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        for (const QJsonValue& v : manifest_.value("pairs").toArray()) {
            const QJsonObject p = v.toObject();
            if (p.value("ask").toString() != "hard") continue;
            const QString a = p.value("a").toString(), b = p.value("b").toString();
            QTest::newRow(qPrintable(a + "-" + b)) << a << b;
        }
    }
    void hardPairExplained() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        for (const auto& [self, other] : {qMakePair(a, b), qMakePair(b, a)}) {
            const QString page = byFolder_.value(self).value("description").toObject().value("file").toString();
            const QString html = QString::fromUtf8(readAll(QDir(demoDir()).filePath(page)));
            const QString otherName = byFolder_.value(other).value("name").toString();
            QVERIFY2(html.contains(otherName), qPrintable(page + " does not mention " + otherName));
        }
    }

    void textConstants() {
        const QJsonObject tc = manifest_.value("textConstants").toObject();
        QVERIFY2(!tc.value("LastMod_0").toObject().value("text").toString().trimmed().isEmpty(),
                 "no LastMod_0 stamp");
        const QString faq = tc.value("FAQ").toObject().value("file").toString();
        QVERIFY2(!faq.isEmpty(), "no FAQ file");
        const QString path = QDir(demoDir()).filePath(faq);
        QVERIFY2(QFileInfo(path).size() >= kMinPageBytes, qPrintable(path + " is missing or a stub"));
        const QString html = QString::fromUtf8(readAll(path));
        QVERIFY2(html.contains("Captain's Challenge"), "the FAQ does not explain the Captain's Challenge");
        QVERIFY2(!html.contains("<script", Qt::CaseInsensitive), "the FAQ runs a script");
    }
};

QTEST_GUILESS_MAIN(TestDemoCatalog)
#include "tst_democatalog.moc"
