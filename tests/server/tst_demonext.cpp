// The next demo catalogue against the demo it updates: the same AirplaneID
// for every aircraft both hold, new aircraft with fresh ids, their drawings
// and pages, look-alike pairs, and a later stamp.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

namespace {

QJsonObject Load(const QString& relative) {
    QFile f(qEnvironmentVariable("SKY_SOURCE_DIR") + "/" + relative);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QMap<QString, int> IdsByFolder(const QJsonObject& catalog) {
    QMap<QString, int> ids;
    for (const QJsonValue& v : catalog.value("aircraft").toArray())
        ids[v.toObject().value("folder").toString()] = v.toObject().value("id").toInt();
    return ids;
}

} // namespace

class TestDemoNext : public QObject {
    Q_OBJECT

    QJsonObject demo_, next_;

private slots:
    void initTestCase() {
        demo_ = Load("content/demo/catalog.json");
        next_ = Load("content/demo-next/catalog.json");
        QVERIFY(!demo_.isEmpty());
        QVERIFY(!next_.isEmpty());
    }

    void existingAircraftKeepTheirIds() {
        const QMap<QString, int> before = IdsByFolder(demo_), after = IdsByFolder(next_);
        for (auto it = before.begin(); it != before.end(); ++it) {
            QVERIFY2(after.contains(it.key()), qPrintable(it.key() + " left the catalogue"));
            QCOMPARE(after.value(it.key()), it.value());
        }
        QSet<int> seen;
        for (int id : after) {
            QVERIFY2(!seen.contains(id), qPrintable(QString("id %1 twice").arg(id)));
            seen.insert(id);
        }
    }

    void atLeastFourNewTypesWithDrawingsPagesAndLookAlikes() {
        const QMap<QString, int> before = IdsByFolder(demo_), after = IdsByFolder(next_);
        QSet<QString> drawn;
        for (const QJsonValue& v : Load("content/demo-next/shapes.json").value("types").toArray())
            drawn << v.toObject().value("folder").toString();
        QMap<QString, QStringList> partners;
        for (const QJsonValue& v : next_.value("pairs").toArray()) {
            const QJsonObject p = v.toObject();
            if (p.value("ask").toString() != "hard") continue;
            partners[p.value("a").toString()] << p.value("b").toString();
            partners[p.value("b").toString()] << p.value("a").toString();
        }
        int added = 0;
        for (const QJsonValue& v : next_.value("aircraft").toArray()) {
            const QJsonObject a = v.toObject();
            const QString folder = a.value("folder").toString();
            if (before.contains(folder)) continue;
            ++added;
            QVERIFY2(a.value("id").toInt() >= 29, qPrintable(folder));
            QVERIFY2(drawn.contains(folder), qPrintable(folder + " has no drawing"));
            const QString page = a.value("description").toObject().value("file").toString();
            QVERIFY2(QFile::exists(qEnvironmentVariable("SKY_SOURCE_DIR") + "/content/demo-next/" + page),
                     qPrintable(folder + ": no page " + page));
            // A look-alike among the aircraft the user already knows.
            bool knownPartner = false;
            for (const QString& b : partners.value(folder)) knownPartner |= before.contains(b);
            QVERIFY2(knownPartner, qPrintable(folder + " has no look-alike in the demo"));
        }
        QVERIFY(added >= 4);
    }

    void stampIsLater() {
        const QString before = demo_.value("textConstants").toObject().value("LastMod_0").toObject().value("text").toString();
        const QString after = next_.value("textConstants").toObject().value("LastMod_0").toObject().value("text").toString();
        QVERIFY(!before.isEmpty());
        QVERIFY2(after > before, qPrintable(before + " / " + after));
    }
};

QTEST_GUILESS_MAIN(TestDemoNext)
#include "tst_demonext.moc"
