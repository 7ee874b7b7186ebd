// The settings store: text values under the application title, section
// "SETTINGS", read back exactly as stored.
#include "shell/appstate.h"
#include "shell/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;

class tst_settings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", config_.path().toUtf8()); }
    void defaultsWhenAbsent();
    void roundTripIsText_data();
    void roundTripIsText();
    void storedUnderTitleAndSection();

private:
    QTemporaryDir config_;
};

void tst_settings::defaultsWhenAbsent() {
    QCOMPARE(GetAppSetting("AutoAdvance", "TRUE"), QStringLiteral("TRUE"));
    QCOMPARE(GetAppSetting("cmbTimeLimit", "10"), QStringLiteral("10"));
    QCOMPARE(GetAppSetting("nothing", QString()), QString());
}

void tst_settings::roundTripIsText_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("lower-case true stays as it is") << "true";
    QTest::newRow("leading zero") << "010";
    QTest::newRow("blank around") << " 2 ";
    QTest::newRow("empty") << "";
    QTest::newRow("looks like a list") << "a,b";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Zürich");
}

void tst_settings::roundTripIsText() {
    QFETCH(QString, value);
    SaveAppSetting("PlaySound", value);
    QCOMPARE(GetAppSetting("PlaySound", "TRUE"), value);
}

void tst_settings::storedUnderTitleAndSection() {
    SaveAppSetting("optMode", "2");
    QFile f(config_.path() + "/Skyrendel/Skyrendel.conf");
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("[SETTINGS]"));
    QVERIFY(text.contains("optMode=2"));
}

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"
