// The demo catalogue as built: in the Captain's Challenge (the catalogue's
// own pairs, hard difficulty) every aircraft with a look-alike is asked
// against it, from whichever end the manifest lists the pair.
#include "data/catalog.h"
#include "data/databases.h"
#include "data/sync.h"
#include "quiz/questions.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace sky;

namespace {

QString builtApp() { return qEnvironmentVariable("SKY_BINARY_DIR") + "/app"; }

// FOLDER -> its hard partners, from both ends of every hard pair.
QMap<QString, QStringList> hardPartnersInManifest() {
    QFile f(qEnvironmentVariable("SKY_SOURCE_DIR") + "/content/demo/catalog.json");
    if (!f.open(QIODevice::ReadOnly)) return {};
    QMap<QString, QStringList> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(f.readAll()).object().value("pairs").toArray()) {
        const QJsonObject p = v.toObject();
        if (p.value("ask").toString() != "hard") continue;
        const QString a = p.value("a").toString(), b = p.value("b").toString();
        out[a] << b;
        out[b] << a;
    }
    return out;
}

} // namespace

class TestDemoChallenge : public QObject {
    Q_OBJECT
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
    data::CatalogLists lists_;

private slots:
    void initTestCase() {
        const QString app = builtApp();
        QVERIFY2(QFile::exists(app + "/skyrendel.skr"), qPrintable("no demo catalogue built in " + app));
        fake_ = std::make_unique<FakePlatform>();
        data_ = std::make_unique<fixtures::DataFolder>();
        for (const char* name : {"skyrendel.skr", "skyrendeluserdata.skr"})
            QVERIFY(QFile::copy(app + "/" + name, data_->path() + "/" + name));
        // Installed aircraft are those with a picture file; its content is
        // not read here.
        for (const QString& f : QDir(app + "/DATA").entryList({"*.skr"}, QDir::Files)) {
            QFile touch(data_->dataPath() + "/" + f);
            QVERIFY(touch.open(QIODevice::WriteOnly));
        }
        db::OpenDatabases();
        data::SynchronizeUserDataWithStaticDB();
        QVERIFY(lists_.resetLstAircraftNamesAndFolders(true) >= 3);
    }

    void cleanupTestCase() {
        data_.reset();
        fake_.reset();
    }

    void lookAlikeAskedInChallenge_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("lookAlikes");
        const QMap<QString, QStringList> pairs = hardPartnersInManifest();
        QVERIFY(!pairs.isEmpty());
        for (auto it = pairs.begin(); it != pairs.end(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key() << it.value();
    }

    void lookAlikeAskedInChallenge() {
        QFETCH(QString, folder);
        QFETCH(QStringList, lookAlikes);
        quiz::QuestionGenerator gen(lists_, &fake_->random);
        gen.LoadHardAndDontAskPartners(folder, true);
        QStringList hard = gen.partners().lstHardPartners;
        hard.sort();
        lookAlikes.sort();
        QCOMPARE(hard, lookAlikes);
        // At hard difficulty the first distractor is one of them.
        QSet<QString> drawn;
        for (int k = 0; k < 60; ++k) drawn << gen.drawDistractor(false, true, folder, QString());
        QCOMPARE(drawn, QSet<QString>(lookAlikes.begin(), lookAlikes.end()));
    }
};

QTEST_MAIN(TestDemoChallenge)
#include "tst_demochallenge.moc"
