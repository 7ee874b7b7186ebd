// The settings store: text values under the application title, section
// "SETTINGS", read back exactly as stored.
#include "shell/appstate.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/stat.h>
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
    void storedValueThatIsNoText_data();
    void storedValueThatIsNoText();
    void savingLeavesOtherLinesAsTheyWere();
    void savingTheSameValueLeavesTheFileAlone_data();
    void savingTheSameValueLeavesTheFileAlone();

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

namespace {

QString storePath(const QTemporaryDir& config) { return config.path() + "/Skyrendel/Skyrendel.conf"; }

void writeStore(const QTemporaryDir& config, const QByteArray& text) {
    QDir().mkpath(config.path() + "/Skyrendel");
    QFile f(storePath(config));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

QByteArray readStore(const QTemporaryDir& config) {
    QFile f(storePath(config));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// A stored value that is not one of the texts the program writes reads as
// what it is, never as the default: "PlaySound" is then off.
void tst_settings::storedValueThatIsNoText_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("read");
    QTest::newRow("cannot be decoded") << QByteArray("PlaySound=@Invalid()") << "";
    QTest::newRow("damaged typed value") << QByteArray("PlaySound=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\nzz)") << "";
    QTest::newRow("bytes, not text") << QByteArray("PlaySound=@ByteArray(TRUE)") << "";
    QTest::newRow("a list") << QByteArray("PlaySound=TRUE, FALSE") << "";
    QTest::newRow("empty") << QByteArray("PlaySound=") << "";
    QTest::newRow("lower case") << QByteArray("PlaySound=true") << "true";
    QTest::newRow("quoted text") << QByteArray("PlaySound=\"TRUE\"") << "TRUE";
    QTest::newRow("plain") << QByteArray("PlaySound=FALSE") << "FALSE";
}

void tst_settings::storedValueThatIsNoText() {
    QFETCH(QByteArray, line);
    writeStore(config_, "[SETTINGS]\nAutoAdvance=FALSE\n" + line + "\n");
    QTEST(GetAppSetting("PlaySound", "TRUE"), "read");
    QCOMPARE(GetAppSetting("AutoAdvance", "TRUE"), QStringLiteral("FALSE"));
    QCOMPARE(GetAppSetting("optMode", "0"), QStringLiteral("0"));
}

// Saving one key rewrites its own line only: a value the program cannot
// read is never replaced by "@Invalid()" or anything else.
void tst_settings::savingLeavesOtherLinesAsTheyWere() {
    const QByteArray undecodable = "PlaySound=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\nzz)";
    writeStore(config_, "[General]\nother=1\n\n[SETTINGS]\nAutoAdvance=TRUE\n" + undecodable +
                            "\nList=a, b\n\n[Later]\nx=@Invalid()\n");
    SaveAppSetting("AutoAdvance", "FALSE");
    SaveAppSetting("optMode", "2");
    SaveAppSetting("UserFirstName", QString::fromUtf8("Zoë, \"Ace\""));
    const QByteArray text = readStore(config_);
    QVERIFY2(text.contains("\n" + undecodable + "\n"), text.constData());
    QVERIFY2(text.contains("\nList=a, b\n"), text.constData());
    QVERIFY2(text.contains("[Later]\nx=@Invalid()\n"), text.constData());
    QVERIFY2(text.contains("[General]\nother=1\n"), text.constData());
    QCOMPARE(text.count("@Invalid()"), 1);
    QCOMPARE(GetAppSetting("AutoAdvance", "TRUE"), QStringLiteral("FALSE"));
    QCOMPARE(GetAppSetting("optMode", "0"), QStringLiteral("2"));
    QCOMPARE(GetAppSetting("UserFirstName", ""), QString::fromUtf8("Zoë, \"Ace\""));
    QCOMPARE(GetAppSetting("PlaySound", "TRUE"), QStringLiteral(""));
    // The new keys sit in the SETTINGS section, where the store's own
    // reader finds them.
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Skyrendel", "Skyrendel");
    QCOMPARE(s.value("SETTINGS/optMode").toString(), QStringLiteral("2"));
    QCOMPARE(s.value("SETTINGS/UserFirstName").toString(), QString::fromUtf8("Zoë, \"Ace\""));
}

ino_t InodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The window's placement is saved at every resize: a value already stored
// is not written again (the file is not replaced), a changed one is.
void tst_settings::savingTheSameValueLeavesTheFileAlone_data() {
    QTest::addColumn<QString>("again");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("same value") << QStringLiteral("1000") << false;
    QTest::newRow("changed value") << QStringLiteral("1001") << true;
    QTest::newRow("a blank more") << QStringLiteral("1000 ") << true;
}
void tst_settings::savingTheSameValueLeavesTheFileAlone() {
    QFETCH(QString, again);
    QFETCH(bool, rewritten);
    writeStore(config_, "[SETTINGS]\nWindowState=Normal\n");
    SaveAppSetting("WindowWidth", "1000");
    const ino_t inode = InodeOf(storePath(config_));
    SaveAppSetting("WindowWidth", again);
    // A rewrite goes through a new file renamed over the store.
    QCOMPARE(InodeOf(storePath(config_)) != inode, rewritten);
    QCOMPARE(GetAppSetting("WindowWidth", ""), again);
}

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"
