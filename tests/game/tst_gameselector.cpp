// The game selector, driven through its controls: the stored choices, the
// faces, the game settings GO writes for each mode, Exit, and the keys.
#include "data/databases.h"
#include "game/frmSkyrendelGameSelector.h"
#include "game/gamesettings.h"
#include "settingsdir.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

using namespace sky;
using sky::game::frmSkyrendelGameSelector;

static gametest::SettingsDir g_settings;

namespace {

template <typename T>
T* child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

// The face element 0 of a picture set shows (1, 2, 3), or 0 when none.
int face(QWidget& w, const QString& set) {
    const QImage shown = child<PictureBox>(w, set + "_0")->picture();
    for (int f = 1; f <= 3; ++f) {
        auto* store = w.findChild<PictureBox*>(set + "_" + QString::number(f));
        if (store && store->picture() == shown) return f;
    }
    return 0;
}

int checkedOf(QWidget& w, const QString& group, int count) {
    int found = -1;
    for (int i = 0; i < count; ++i)
        if (child<QRadioButton>(w, group + "_" + QString::number(i))->isChecked()) {
            if (found >= 0) return -2; // more than one: the group is broken
            found = i;
        }
    return found;
}

// One user action: "click:<control>" clicks a picture, option or box;
// "pick:<list>=<entry>" chooses an entry of a drop-down list as the user does.
void act(QWidget& w, const QString& action) {
    const QString what = action.section(':', 0, 0);
    const QString arg = action.section(':', 1);
    if (what == "click") {
        QWidget* c = child<QWidget>(w, arg);
        if (auto* b = qobject_cast<QAbstractButton*>(c))
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() / 2));
        else
            QTest::mouseClick(c, Qt::LeftButton);
    } else if (what == "pick") {
        auto* list = child<QComboBox>(w, arg.section('=', 0, 0));
        const int at = list->findText(arg.section('=', 1));
        QVERIFY2(at >= 0, qPrintable(action));
        list->setCurrentIndex(at);
        emit list->activated(at);
    } else {
        QFAIL(qPrintable("unknown action " + action));
    }
}

void store(const QStringList& pairs) {
    for (const QString& p : pairs) SaveAppSetting(p.section('=', 0, 0), p.section('=', 1));
}

struct GameSettings {
    int mode, time, questions;
    bool hard, immediately, captain;
};

GameSettings current() {
    return {game::GameMode, game::TimeLimitSeconds, game::QuestionLimit, game::IsHardDifficulty,
            game::GradeImmediately, game::IsCaptainsChallenge};
}

} // namespace

Q_DECLARE_METATYPE(GameSettings)

class TestGameSelector : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void restoresStoredChoices_data();
    void restoresStoredChoices();
    void choosingFollowsClicks_data();
    void choosingFollowsClicks();
    void goWritesGameSettings_data();
    void goWritesGameSettings();
    void captainsChallengeRefusedWhenDataMissing();
    void exitStoresChoicesAndRestoresThem();
    void keysAndWindowClose_data();
    void keysAndWindowClose();
    void goFaceFollowsMouse();
    void centredWithPaintedStrips();
    void modePicturesTakeTheKeyboard_data();
    void modePicturesTakeTheKeyboard();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
};

void TestGameSelector::init() {
    gametest::SettingsDir::clear();
    fake_ = std::make_unique<FakePlatform>();
    data_ = std::make_unique<fixtures::DataFolder>();
    data_->createStaticAndUser();
    // Two installed aircraft, so the Captain's Challenge may start.
    fixtures::InsertAircraft(*db::UserDB(), {{1, "Alpha Jet", "ALPHA"}, {2, "Bravo Liner", "BRAVO"}});
    fixtures::CreatePictureDatabase("ALPHA", {fixtures::MakeJpeg(8, 8, Qt::red)});
    fixtures::CreatePictureDatabase("BRAVO", {fixtures::MakeJpeg(8, 8, Qt::blue)});
    game::GameMode = 0;
    game::TimeLimitSeconds = 0;
    game::QuestionLimit = 0;
    game::IsHardDifficulty = game::GradeImmediately = game::IsCaptainsChallenge = false;
}

void TestGameSelector::cleanup() {
    data_.reset();
    fake_.reset();
}

// Stored texts, the controls they restore, and the faces of the five option
// pictures (SelectCorrect, Difficulty, Grade, TimeLimit, QuestionLimit).
void TestGameSelector::restoresStoredChoices_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVector<int>>("options"); // optCorrect, optDifficulty, optGrade
    QTest::addColumn<bool>("timeChecked");
    QTest::addColumn<bool>("questionsChecked");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("questions");
    QTest::addColumn<QVector<int>>("faces");

    QTest::newRow("first run") << QStringList{} << 0 << QVector<int>{0, 0, 0} << false << false << "10" << "10"
                               << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("custom, every option 1, both limits")
        << QStringList{"optMode=1", "optCorrect=1", "optDifficulty=1", "optGrade=1", "chkTimeLimit=1",
                       "chkQuestionLimit=1", "cmbTimeLimit=60", "cmbQuestionLimit=100"}
        << 1 << QVector<int>{1, 1, 1} << true << true << "60" << "100" << QVector<int>{2, 2, 2, 2, 1};
    QTest::newRow("custom, options 0, no limits")
        << QStringList{"optMode=1", "cmbTimeLimit=1", "cmbQuestionLimit=5"} << 1 << QVector<int>{0, 0, 0} << false
        << false << "1" << "5" << QVector<int>{1, 1, 1, 1, 2};
    QTest::newRow("mode kept though the options pass through custom")
        << QStringList{"optMode=2", "optCorrect=1", "chkTimeLimit=1"} << 2 << QVector<int>{1, 0, 0} << true << false
        << "10" << "10" << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("mode with blanks around it") << QStringList{"optMode=  2 "} << 2 << QVector<int>{0, 0, 0} << false
                                                << false << "10" << "10" << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("unknown mode is learning") << QStringList{"optMode=3"} << 0 << QVector<int>{0, 0, 0} << false
                                              << false << "10" << "10" << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("only an exact 1 counts")
        << QStringList{"optMode=1", "optCorrect= 1", "optDifficulty=01", "optGrade=TRUE", "chkTimeLimit=true",
                       "chkQuestionLimit=-1"}
        << 1 << QVector<int>{0, 0, 0} << false << false << "10" << "10" << QVector<int>{1, 1, 1, 1, 2};
    QTest::newRow("list texts that are no entry leave 10")
        << QStringList{"cmbTimeLimit=7", "cmbQuestionLimit=10 ", "optMode=1"} << 1 << QVector<int>{0, 0, 0} << false
        << false << "10" << "10" << QVector<int>{1, 1, 1, 1, 2};
    QTest::newRow("empty texts") << QStringList{"optMode=", "cmbTimeLimit=", "chkTimeLimit="} << 0
                                 << QVector<int>{0, 0, 0} << false << false << "10" << "10"
                                 << QVector<int>{3, 3, 3, 3, 3};
}

void TestGameSelector::restoresStoredChoices() {
    QFETCH(QStringList, stored);
    QFETCH(int, mode);
    QFETCH(QVector<int>, options);
    QFETCH(bool, timeChecked);
    QFETCH(bool, questionsChecked);
    QFETCH(QString, minutes);
    QFETCH(QString, questions);
    QFETCH(QVector<int>, faces);
    store(stored);

    frmSkyrendelGameSelector w;
    QCOMPARE(w.chosenMode(), mode);
    QCOMPARE(checkedOf(w, "optMode", 3), mode);
    QCOMPARE(checkedOf(w, "optCorrect", 2), options[0]);
    QCOMPARE(checkedOf(w, "optDifficulty", 2), options[1]);
    QCOMPARE(checkedOf(w, "optGrade", 2), options[2]);
    QCOMPARE(child<QCheckBox>(w, "chkTimeLimit")->isChecked(), timeChecked);
    QCOMPARE(child<QCheckBox>(w, "chkQuestionLimit")->isChecked(), questionsChecked);
    QCOMPARE(child<QComboBox>(w, "cmbTimeLimit")->currentText(), minutes);
    QCOMPARE(child<QComboBox>(w, "cmbQuestionLimit")->currentText(), questions);
    QCOMPARE(child<QComboBox>(w, "cmbTimeLimit")->count(), 9);
    QCOMPARE(child<QComboBox>(w, "cmbQuestionLimit")->count(), 5);

    const QStringList sets{"picSelectCorrect", "picDifficulty", "picGrade", "picTimeLimit", "picQuestionLimit"};
    for (int s = 0; s < sets.size(); ++s) QVERIFY2(face(w, sets[s]) == faces[s], qPrintable(sets[s]));
    QCOMPARE(face(w, "picLearningMode"), mode == 0 ? 2 : 1);
    QCOMPARE(face(w, "picChallengeMode"), mode == 1 ? 2 : 1);
    QCOMPARE(face(w, "picCaptainsChallenge"), mode == 2 ? 2 : 1);
    QCOMPARE(child<QWidget>(w, "picLearningModeBox")->isVisibleTo(&w), mode == 0);
    QCOMPARE(child<QWidget>(w, "picCustomChallengeBox")->isVisibleTo(&w), mode == 1);
    QCOMPARE(child<QWidget>(w, "picCaptainsChallengeBox")->isVisibleTo(&w), mode == 2);
    // The panels share one place.
    QCOMPARE(child<QWidget>(w, "picLearningModeBox")->geometry(), child<QWidget>(w, "picCustomChallengeBox")->geometry());
    QCOMPARE(child<QWidget>(w, "picCaptainsChallengeBox")->geometry(),
             child<QWidget>(w, "picCustomChallengeBox")->geometry());
    // Loading stores nothing.
    QVERIFY(gametest::SettingsDir::stored("optMode") == (stored.filter("optMode=").isEmpty()
                                                             ? QString()
                                                             : stored.filter("optMode=").first().section('=', 1)));
}

// Clicks in odd orders, from Learning Mode: the mode, the options and the
// faces that follow.
void TestGameSelector::choosingFollowsClicks_data() {
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVector<int>>("options");
    QTest::addColumn<bool>("timeChecked");
    QTest::addColumn<bool>("questionsChecked");
    QTest::addColumn<QVector<int>>("faces");

    QTest::newRow("the word Hard") << QStringList{"click:imgDifficulty_1"} << 1 << QVector<int>{0, 1, 0} << false
                                   << false << QVector<int>{1, 2, 1, 1, 2};
    QTest::newRow("the option Hard") << QStringList{"click:optDifficulty_1"} << 1 << QVector<int>{0, 1, 0} << false
                                     << false << QVector<int>{1, 2, 1, 1, 2};
    QTest::newRow("words Description and At the End")
        << QStringList{"click:imgSelectCorrect_1", "click:imgGrade_1"} << 1 << QVector<int>{1, 0, 1} << false << false
        << QVector<int>{2, 1, 2, 1, 2};
    QTest::newRow("word of the chosen choice still chooses custom")
        << QStringList{"click:imgSelectCorrect_0"} << 1 << QVector<int>{0, 0, 0} << false << false
        << QVector<int>{1, 1, 1, 1, 2};
    QTest::newRow("picking minutes ticks the box")
        << QStringList{"click:picCaptainsChallenge_0", "pick:cmbTimeLimit=30"} << 1 << QVector<int>{0, 0, 0} << true
        << false << QVector<int>{1, 1, 1, 2, 2};
    QTest::newRow("picking questions ticks the box")
        << QStringList{"pick:cmbQuestionLimit=50"} << 1 << QVector<int>{0, 0, 0} << false << true
        << QVector<int>{1, 1, 1, 1, 1};
    QTest::newRow("box ticked then cleared")
        << QStringList{"click:chkQuestionLimit", "click:chkQuestionLimit"} << 1 << QVector<int>{0, 0, 0} << false
        << false << QVector<int>{1, 1, 1, 1, 2};
    QTest::newRow("options set, then learning mode dims them")
        << QStringList{"click:imgDifficulty_1", "click:chkTimeLimit", "click:picLearningMode_0"} << 0
        << QVector<int>{0, 1, 0} << true << false << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("the mode option itself") << QStringList{"click:optMode_2"} << 2 << QVector<int>{0, 0, 0} << false
                                            << false << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("the heading picture changes nothing")
        << QStringList{"click:picSelectCorrect_0"} << 0 << QVector<int>{0, 0, 0} << false << false
        << QVector<int>{3, 3, 3, 3, 3};
    QTest::newRow("custom chosen by its picture") << QStringList{"click:picChallengeMode_0"} << 1
                                                  << QVector<int>{0, 0, 0} << false << false
                                                  << QVector<int>{1, 1, 1, 1, 2};
}

void TestGameSelector::choosingFollowsClicks() {
    QFETCH(QStringList, actions);
    QFETCH(int, mode);
    QFETCH(QVector<int>, options);
    QFETCH(bool, timeChecked);
    QFETCH(bool, questionsChecked);
    QFETCH(QVector<int>, faces);

    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const QString& a : actions) act(w, a);
    QCOMPARE(w.chosenMode(), mode);
    QCOMPARE(checkedOf(w, "optCorrect", 2), options[0]);
    QCOMPARE(checkedOf(w, "optDifficulty", 2), options[1]);
    QCOMPARE(checkedOf(w, "optGrade", 2), options[2]);
    QCOMPARE(child<QCheckBox>(w, "chkTimeLimit")->isChecked(), timeChecked);
    QCOMPARE(child<QCheckBox>(w, "chkQuestionLimit")->isChecked(), questionsChecked);
    const QStringList sets{"picSelectCorrect", "picDifficulty", "picGrade", "picTimeLimit", "picQuestionLimit"};
    for (int s = 0; s < sets.size(); ++s) QVERIFY2(face(w, sets[s]) == faces[s], qPrintable(sets[s]));
    QCOMPARE(child<QWidget>(w, "picCustomChallengeBox")->isVisible(), mode == 1);
    QVERIFY(w.isVisible()); // none of these closes the window
}

void TestGameSelector::goWritesGameSettings_data() {
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<GameSettings>("expected");
    QTest::addColumn<QString>("storedMode");

    QTest::newRow("learning mode") << QStringList{} << GameSettings{1, -1, -1, false, false, false} << "0";
    QTest::newRow("learning mode ignores custom options")
        << QStringList{"click:imgDifficulty_1", "pick:cmbTimeLimit=5", "click:picLearningMode_0"}
        << GameSettings{1, -1, -1, false, false, false} << "0";
    QTest::newRow("custom: image, easy, immediately, no limits")
        << QStringList{"click:picChallengeMode_0"} << GameSettings{2, -1, -1, false, true, false} << "1";
    QTest::newRow("custom: description, hard, at the end, 5 minutes, 20 questions")
        << QStringList{"click:imgSelectCorrect_1", "click:optDifficulty_1", "click:imgGrade_1",
                       "pick:cmbTimeLimit=5", "pick:cmbQuestionLimit=20"}
        << GameSettings{3, 300, 20, true, false, false} << "1";
    QTest::newRow("custom: time limit box with the list's 10")
        << QStringList{"click:chkTimeLimit"} << GameSettings{2, 600, -1, false, true, false} << "1";
    QTest::newRow("custom: question limit box with the list's 10")
        << QStringList{"click:chkQuestionLimit"} << GameSettings{2, -1, 10, false, true, false} << "1";
    QTest::newRow("custom: 60 minutes and 100 questions")
        << QStringList{"pick:cmbTimeLimit=60", "pick:cmbQuestionLimit=100"}
        << GameSettings{2, 3600, 100, false, true, false} << "1";
    QTest::newRow("custom: a list changed, then its box cleared")
        << QStringList{"pick:cmbTimeLimit=2", "click:chkTimeLimit"} << GameSettings{2, -1, -1, false, true, false}
        << "1";
    QTest::newRow("captain's challenge ignores custom options")
        << QStringList{"click:imgSelectCorrect_1", "click:imgGrade_1", "pick:cmbTimeLimit=1", "click:picCaptainsChallenge_0"}
        << GameSettings{2, 1800, 50, true, false, true} << "2";
    QTest::newRow("captain's, then 30 minutes picked: custom")
        << QStringList{"click:picCaptainsChallenge_0", "pick:cmbTimeLimit=30"}
        << GameSettings{2, 1800, -1, false, true, false} << "1";
}

void TestGameSelector::goWritesGameSettings() {
    QFETCH(QStringList, actions);
    QFETCH(GameSettings, expected);
    QFETCH(QString, storedMode);
    game::IsCaptainsChallenge = true; // left from an earlier game: GO replaces it

    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const QString& a : actions) act(w, a);
    act(w, "click:picGo_0");

    const GameSettings got = current();
    QCOMPARE(got.mode, expected.mode);
    QCOMPARE(got.time, expected.time);
    QCOMPARE(got.questions, expected.questions);
    QCOMPARE(got.hard, expected.hard);
    QCOMPARE(got.immediately, expected.immediately);
    QCOMPARE(got.captain, expected.captain);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(fake_->messageBox.shown.isEmpty());
    // GO stores every choice, the custom ones included.
    QCOMPARE(gametest::SettingsDir::stored("optMode"), storedMode);
    QCOMPARE(gametest::SettingsDir::stored("cmbTimeLimit"), child<QComboBox>(w, "cmbTimeLimit")->currentText());
    QCOMPARE(gametest::SettingsDir::stored("chkQuestionLimit"),
             QString(child<QCheckBox>(w, "chkQuestionLimit")->isChecked() ? "1" : "0"));
    QCOMPARE(gametest::SettingsDir::stored("optCorrect"),
             QString(child<QRadioButton>(w, "optCorrect_1")->isChecked() ? "1" : "0"));
}

void TestGameSelector::captainsChallengeRefusedWhenDataMissing() {
    fixtures::InsertAircraft(*db::UserDB(), {{3, "Charlie Prop", "CHARLIE"}}); // no picture database
    game::TimeLimitSeconds = 77;
    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    act(w, "click:picCaptainsChallenge_0");
    act(w, "click:picGo_0");

    QCOMPARE(fake_->messageBox.shown.size(), 1);
    const ShownMessage& m = fake_->messageBox.shown.first();
    QCOMPARE(m.title, QString("Some Aircraft Not Insstalled Yet."));
    QCOMPARE(m.text, QString("I show that not all possible aircraft data is currently installed on this PC. It's "
                             "not possible to do the Captain's Challenge until this data is installed.  Fortunately, "
                             "this is easy to do.  From the main menu, click on the 'updates' button.  This will take "
                             "you to a screen which will allow you to easily get all of the current aircraft data "
                             "from our servers."));
    QCOMPARE(m.icon, MsgIcon::Exclamation);
    QCOMPARE(m.buttons, MsgButtons::OkOnly);
    QVERIFY(w.isVisible());
    QCOMPARE(game::GameMode, std::int16_t(0));
    QCOMPARE(game::TimeLimitSeconds, 77);
    QVERIFY(gametest::SettingsDir::stored("optMode").isNull());

    // The user stays and picks another mode.
    act(w, "click:picLearningMode_0");
    act(w, "click:picGo_0");
    QCOMPARE(game::GameMode, std::int16_t(1));
    QVERIFY(!w.isVisible());
}

void TestGameSelector::exitStoresChoicesAndRestoresThem() {
    game::GameMode = 2;
    {
        frmSkyrendelGameSelector w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (const QString& a : {"click:imgSelectCorrect_1", "click:imgDifficulty_1", "pick:cmbQuestionLimit=50",
                                 "pick:cmbTimeLimit=15", "click:chkTimeLimit", "click:picCaptainsChallenge_0"})
            act(w, a);
        act(w, "click:cmdExit");
        QVERIFY(!w.isVisible());
        QCOMPARE(game::GameMode, std::int16_t(0));
    }
    const QStringList expected{"optMode=2",      "optCorrect=1",       "optDifficulty=1",   "optGrade=0",
                               "chkTimeLimit=0", "chkQuestionLimit=1", "cmbTimeLimit=15", "cmbQuestionLimit=50"};
    for (const QString& e : expected)
        QCOMPARE(e.section('=', 0, 0) + "=" + gametest::SettingsDir::stored(e.section('=', 0, 0)), e);

    frmSkyrendelGameSelector again;
    QCOMPARE(again.chosenMode(), 2);
    QCOMPARE(checkedOf(again, "optCorrect", 2), 1);
    QCOMPARE(checkedOf(again, "optDifficulty", 2), 1);
    QCOMPARE(child<QComboBox>(again, "cmbTimeLimit")->currentText(), QString("15"));
    QCOMPARE(child<QComboBox>(again, "cmbQuestionLimit")->currentText(), QString("50"));
    QVERIFY(!child<QCheckBox>(again, "chkTimeLimit")->isChecked());
    QVERIFY(child<QCheckBox>(again, "chkQuestionLimit")->isChecked());
    QCOMPARE(face(again, "picCaptainsChallenge"), 2);
}

// Enter is GO, Escape is Exit; Enter and Space on a focused Exit are Exit;
// closing the window by its frame stores nothing and leaves GameMode at 0.
void TestGameSelector::keysAndWindowClose_data() {
    QTest::addColumn<QString>("focusOn");
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("gameMode");
    QTest::addColumn<bool>("stores");
    QTest::newRow("Enter") << "cmbTimeLimit" << "enter" << 2 << true;
    QTest::newRow("keypad Enter") << "cmbTimeLimit" << "keypad" << 2 << true;
    QTest::newRow("Enter on an option button") << "optGrade_1" << "enter" << 2 << true;
    QTest::newRow("Escape") << "cmbTimeLimit" << "escape" << 0 << true;
    QTest::newRow("Enter on Exit") << "cmdExit" << "enter" << 0 << true;
    QTest::newRow("keypad Enter on Exit") << "cmdExit" << "keypad" << 0 << true;
    QTest::newRow("Space on Exit") << "cmdExit" << "space" << 0 << true;
    QTest::newRow("Space on GO") << "picGo_0" << "space" << 2 << true;
    QTest::newRow("Enter on GO") << "picGo_0" << "enter" << 2 << true;
    QTest::newRow("window closed") << "cmbTimeLimit" << "close" << 0 << false;
}

void TestGameSelector::keysAndWindowClose() {
    QFETCH(QString, focusOn);
    QFETCH(QString, how);
    QFETCH(int, gameMode);
    QFETCH(bool, stores);
    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    act(w, "click:imgGrade_1"); // Custom Challenge, graded at the end
    QWidget* focus = child<QWidget>(w, focusOn);
    if (focusOn == "cmdExit" || focusOn == "picGo_0") {
        // Reach Exit as a keyboard user does: Tab until it has the focus.
        child<QWidget>(w, "cmbTimeLimit")->setFocus();
        for (int k = 0; k < 40 && QApplication::focusWidget() != focus; ++k)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), focus);
    } else {
        focus->setFocus();
    }
    if (how == "enter")
        QTest::keyClick(focus, Qt::Key_Return);
    else if (how == "keypad")
        QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
    else if (how == "space")
        QTest::keyClick(focus, Qt::Key_Space);
    else if (how == "escape")
        QTest::keyClick(focus, Qt::Key_Escape);
    else
        w.close();
    QVERIFY(!w.isVisible());
    QCOMPARE(int(game::GameMode), gameMode);
    QCOMPARE(gametest::SettingsDir::stored("optGrade"), stores ? QString("1") : QString());
    if (focusOn == "picGo_0") QCOMPARE(game::GradeImmediately, false);
    QCOMPARE(gametest::SettingsDir::stored("optMode"), stores ? QString("1") : QString());
}

void TestGameSelector::goFaceFollowsMouse() {
    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto move = [&w](const QString& name) {
        QWidget* c = name.isEmpty() ? static_cast<QWidget*>(&w) : child<QWidget>(w, name);
        const QPointF at(c->width() / 2.0, c->height() / 2.0);
        QMouseEvent e(QEvent::MouseMove, at, c->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(c, &e);
    };
    QCOMPARE(face(w, "picGo"), 1);
    // Each of these gives GO back its normal face.
    for (const QString& resetter : {"picLearningMode_0", "picChallengeMode_0", "picCaptainsChallenge_0",
                                    "picLearningModeBox", "picCustomChallengeBox", "picCaptainsChallengeBox",
                                    "Picture2_0", "Picture2_1", ""}) {
        move("picGo_0");
        QVERIFY2(face(w, "picGo") == 2, qPrintable(resetter));
        move(resetter);
        QVERIFY2(face(w, "picGo") == 1, qPrintable(resetter));
    }
    // Leaving GO by a way the handlers do not see.
    move("picGo_0");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(child<QWidget>(w, "picGo_0"), &leave);
    QCOMPARE(face(w, "picGo"), 1);
    // The faces are drawn for the screen's pixel density.
    const QImage go = child<PictureBox>(w, "picGo_1")->picture();
    QCOMPARE(go.devicePixelRatio(), w.devicePixelRatioF());
    QCOMPARE(go.size(), child<QWidget>(w, "picGo_0")->size() * w.devicePixelRatioF());
}

// Tab reaches the mode pictures, which show a ring while they have the
// focus; Space chooses the mode, as a click does.
void TestGameSelector::modePicturesTakeTheKeyboard_data() {
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("mode");
    QTest::newRow("custom") << "picChallengeMode_0" << 1;
    QTest::newRow("captain's") << "picCaptainsChallenge_0" << 2;
    QTest::newRow("learning") << "picLearningMode_0" << 0;
}

void TestGameSelector::modePicturesTakeTheKeyboard() {
    QFETCH(QString, picture);
    QFETCH(int, mode);
    store({"optMode=1"});
    frmSkyrendelGameSelector w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    auto* target = child<PictureBox>(w, picture);
    child<QWidget>(w, "optMode_0")->setFocus();
    for (int k = 0; k < 40 && QApplication::focusWidget() != target; ++k)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(target));
    QCOMPARE(target->grab().toImage().pixelColor(1, target->height() / 2), PictureBox::focusRingColor());
    QTest::keyClick(target, Qt::Key_Space);
    QCOMPARE(w.chosenMode(), mode);
    QVERIFY(w.isVisible());
}

// The window opens in the middle of the screen, and the strips between its
// columns show the window's own background colour.
void TestGameSelector::centredWithPaintedStrips() {
    QWidget owner;
    owner.setGeometry(10, 10, 200, 100);
    owner.show();
    frmSkyrendelGameSelector w(&owner);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint off = w.frameGeometry().center() - w.screen()->geometry().center();
    QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1, qPrintable(QString("off by %1,%2 frame %3,%4 %5x%6 screen %7x%8").arg(off.x()).arg(off.y()).arg(w.frameGeometry().x()).arg(w.frameGeometry().y()).arg(w.frameGeometry().width()).arg(w.frameGeometry().height()).arg(w.screen()->geometry().width()).arg(w.screen()->geometry().height())));
    for (const char* strip : {"Picture2_0", "Picture2_1"}) {
        auto* s = child<PictureBox>(w, strip);
        QVERIFY(s->isVisible());
        QCOMPARE(s->backColor(), w.palette().color(QPalette::Window));
        // Drawn on its own, the strip is that colour, not see-through.
        QImage alone(s->size(), QImage::Format_ARGB32);
        alone.fill(Qt::transparent);
        s->render(&alone, QPoint(), QRegion(), QWidget::DrawChildren);
        QCOMPARE(alone.pixelColor(s->width() / 2, s->height() / 2), w.palette().color(QPalette::Window));
    }
}

QTEST_MAIN(TestGameSelector)
#include "tst_gameselector.moc"
