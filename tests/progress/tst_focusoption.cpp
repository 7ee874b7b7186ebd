// The "Focus on my weak spots" choice of the game selector: a Custom
// Challenge option, stored with the selector's other choices, that reaches
// the game settings only for a Custom Challenge.
#include "game/frmSkyrendelGameSelector.h"
#include "game/gamesettings.h"
#include "game/settingsdir.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QStyleHints>
#include <QtTest>

using namespace sky;
using sky::game::frmSkyrendelGameSelector;

static gametest::SettingsDir g_settings;

namespace {

void click(QWidget& w, const QString& name) {
    QWidget* c = w.findChild<QWidget*>(name);
    QVERIFY2(c, qPrintable(name));
    // Clicks far enough apart that none is taken for a double click.
    QTest::mouseClick(c, Qt::LeftButton, {}, c->rect().center(), QGuiApplication::styleHints()->mouseDoubleClickInterval() + 1);
}

} // namespace

class tst_focusoption : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void choosingAndGo_data();
    void choosingAndGo();
    void restoresStoredChoice_data();
    void restoresStoredChoice();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
};

void tst_focusoption::init() {
    gametest::SettingsDir::clear();
    fake_ = std::make_unique<FakePlatform>();
    data_ = std::make_unique<fixtures::DataFolder>();
    data_->createStaticAndUser();
    game::FocusOnWeakSpots = true; // GO must set it either way
}

void tst_focusoption::cleanup() {
    data_.reset();
    fake_.reset();
    game::FocusOnWeakSpots = false;
}

void tst_focusoption::choosingAndGo_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("gameMode");
    QTest::newRow("ticking it chooses the Custom Challenge") << QStringList{"chkFocusWeakSpots"} << true << "1" << 2;
    QTest::newRow("ticked twice is off") << QStringList{"chkFocusWeakSpots", "chkFocusWeakSpots"} << false << "0"
                                         << 2;
    QTest::newRow("with Description") << QStringList{"chkFocusWeakSpots", "optCorrect_1"} << true << "1" << 3;
    QTest::newRow("then Learning Mode: stored, not in force")
        << QStringList{"chkFocusWeakSpots", "picLearningMode_0"} << false << "1" << 1;
}

void tst_focusoption::choosingAndGo() {
    QFETCH(QStringList, clicks);
    QFETCH(bool, focus);
    QFETCH(QString, stored);
    QFETCH(int, gameMode);
    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* box = w.findChild<QCheckBox*>("chkFocusWeakSpots");
    QVERIFY(box);
    QVERIFY(!box->isVisible()); // Learning Mode first: the custom options are hidden
    click(w, "picChallengeMode_0");
    QVERIFY(box->isVisible());
    QVERIFY(!box->isChecked());
    click(w, "picLearningMode_0");
    for (const QString& c : clicks) {
        if (c == "chkFocusWeakSpots" && !box->isVisible()) click(w, "picChallengeMode_0");
        click(w, c);
    }
    click(w, "picGo_0");
    QVERIFY(!w.isVisible());
    QCOMPARE(int(game::GameMode), gameMode);
    QCOMPARE(game::FocusOnWeakSpots, focus);
    QCOMPARE(GetAppSetting("chkFocusWeakSpots", "absent"), stored);
}

void tst_focusoption::restoresStoredChoice_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("anything else") << "TRUE" << false;
    QTest::newRow("missing") << QString() << false;
}

void tst_focusoption::restoresStoredChoice() {
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    SaveAppSetting("optMode", "1");
    if (!stored.isNull()) SaveAppSetting("chkFocusWeakSpots", stored);
    {
        frmSkyrendelGameSelector w;
        w.show();
        auto* box = w.findChild<QCheckBox*>("chkFocusWeakSpots");
        QCOMPARE(box->isChecked(), checked);
        // The mode stays as stored.
        QVERIFY(w.findChild<QRadioButton*>("optMode_1")->isChecked());
        // Exit keeps a change.
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        click(w, "chkFocusWeakSpots");
        QCOMPARE(box->isChecked(), !checked);
        click(w, "cmdExit");
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(GetAppSetting("chkFocusWeakSpots", "absent"), checked ? QString("0") : QString("1"));
    frmSkyrendelGameSelector again;
    QCOMPARE(again.findChild<QCheckBox*>("chkFocusWeakSpots")->isChecked(), !checked);
}

QTEST_MAIN(tst_focusoption)
#include "tst_focusoption.moc"
