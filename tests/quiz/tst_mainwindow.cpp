// The main window's quiz, driven offscreen through its controls: starting
// a game, answering with marks, colours and sounds, the pauses, the limits,
// the countdown, the grade and review buttons, the keyboard, the rollovers,
// the close rules, the menu and the learning panel's tabs.
#include "game/frmSkyrendelGameSelector.h"
#include "game/gamesettings.h"
#include "learning/reports.h"
#include "data/pictures.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "quiz/quizartwork.h"
#include "shell/appstate.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "quizfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QPushButton>
#include <QTimer>
#include <QComboBox>
#include <QtTest>

using namespace sky;
using sky::quiz::frmSkyrendelMainMenu;
using quiztest::Plane;

namespace {

const QColor kWhite(0xff, 0xff, 0xff);
const QColor kGrey(0xe0, 0xe0, 0xe0);
const QColor kGreen(0x00, 0xc0, 0x00);
const QColor kRed(0xff, 0x00, 0x00);
const QColor kYellow(0xff, 0xff, 0x00);

void setGame(int mode, int timeLimit, int questionLimit, bool hard, bool immediate, bool captain = false) {
    game::GameMode = static_cast<std::int16_t>(mode);
    game::TimeLimitSeconds = timeLimit;
    game::QuestionLimit = questionLimit;
    game::IsHardDifficulty = hard;
    game::GradeImmediately = immediate;
    game::IsCaptainsChallenge = captain;
}

QColor textColour(const QLabel* l) { return l->palette().color(QPalette::WindowText); }

} // namespace

class tst_mainwindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tooFewActiveAircraft_data();
    void tooFewActiveAircraft();
    void firstQuestion_data();
    void firstQuestion();
    void answerMarksColoursAndSounds_data();
    void answerMarksColoursAndSounds();
    void scoreAfterRightWrongRight();
    void endGradingShowsNoRunningScore();
    void clickDuringPauseIsIgnored_data();
    void clickDuringPauseIsIgnored();
    void gradedQuestionWaitsForNextButton();
    void largePictureRecordsNothing();
    void questionLimitEndsWithoutMessage();
    void noLimitEndsAfter20001Answers_data();
    void noLimitEndsAfter20001Answers();
    void countdownTicksAndTimeUp();
    void noTimeLimit();
    void timeUpDuringPauseEndsQuizThere();
    void captainsWarning_data();
    void captainsWarning();
    void captainsChallengeAtFiftyGoesToResults();
    void gradeBeforeFirstAnswerOnlyCloses();
    void gradeAndReviewFaces();
    void reviewShowsPreviousQuestion_data();
    void reviewShowsPreviousQuestion();
    void endGradingNeverShowsReview();
    void closeDuringQuizGrades();
    void closeDuringPauseDrawsNoFurtherQuestion();
    void keys_data();
    void keys();
    void enterAndSpaceActAsNextButton_data();
    void enterAndSpaceActAsNextButton();
    void nameRolloversKeepGradedColours();
    void menuRollovers();
    void pictureRolloversAndWhatResetsThem_data();
    void pictureRolloversAndWhatResetsThem();
    void menuKeyboard_data();
    void menuKeyboard();
    void menuEnterOpensTheFocusedItem_data();
    void menuEnterOpensTheFocusedItem();
    void initMainWindowPreparesControls();
    void arrangePanelsPlacesPanelsAndMarks();
    void tabHeadsAndCoversStackOverTheirPage_data();
    void tabHeadsAndCoversStackOverTheirPage();
    void checkBoxesFollowEachOtherAndStore();
    void storedLowerCaseTrueCountsAsOff();
    void playItemWithoutChoosingLeavesMenu();
    void playItemStartsChosenGame();
    void unavailableMenuItemsDoNothing();
    void handedInMenuItemsBecomeAvailable();
    void progressItemBelowStartTraining_data();
    void progressItemBelowStartTraining();
    void seeProblemLinksGiveTheAdvice();
    void learningModeShowsTabZero();
    void tabsSwitch();
    void wideViewSurvivesTabsAndANewStart();
    void windowScalesAsAWhole_data();
    void windowScalesAsAWhole();
    void learningModeScalesWithTheWindow_data();
    void learningModeScalesWithTheWindow();
    void sizeAndStateAreRemembered();
    void menuCaptionsClearOfTheHoverArrow_data();
    void menuCaptionsClearOfTheHoverArrow();
    void longNamesFitTheirLabels_data();
    void longNamesFitTheirLabels();
    void listsPanelTogglesAndMarksSource();
    void aircraftWithoutPicturesOrBrokenOnes();

private:
    void makeWindow();
    void startQuiz(int mode, int time, int limit, bool hard, bool immediate, bool captain = false);
    int correctSlot() const;
    template <typename T = QWidget>
    T* child(const QString& name) const {
        T* w = window_->findChild<T*>(name);
        if (!w) qFatal("no control %s", qPrintable(name));
        return w;
    }
    PictureBox* box(const QString& name) const { return child<PictureBox>(name); }
    QLabel* label(const QString& name) const { return child<QLabel>(name); }
    void clickSlot(int slot) { window_->ClickABC(slot); }
    // Moves the mouse onto a control (the window itself for an empty name),
    // to its middle or to `at`.
    void hover(const QString& name, QPoint at = QPoint(-1, -1)) {
        QWidget* w = name.isEmpty() ? window_.get() : child<QWidget>(name);
        QVERIFY2(w->isVisible(), qPrintable(name + " is not on screen"));
        if (at == QPoint(-1, -1)) at = w->rect().center();
        QTest::mouseMove(w, at);
        QVERIFY2(QApplication::widgetAt(w->mapToGlobal(at)) == w || name.startsWith("picControlBox"),
                 qPrintable(name + " is covered where the mouse goes"));
    }

    QTemporaryDir config_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<quiztest::Catalogue> catalogue_;
    std::unique_ptr<frmSkyrendelMainMenu> window_;
    QTimer modalWatcher_;
    QStringList modalsSeen_;
    std::function<void(QDialog*)> onModal_;
};

void tst_mainwindow::initTestCase() {
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    SetAppTitleLive(QStringLiteral("SkyrendelQuizTest"));
    AppTitle = QStringLiteral("SkyrendelQuizTest");
    // Any modal window (results, selector) is noted and closed, or handed
    // to the test.
    modalWatcher_.setInterval(5);
    connect(&modalWatcher_, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("seenByTest").toBool()) return;
        dialog->setProperty("seenByTest", true);
        modalsSeen_ << dialog->objectName();
        if (onModal_) onModal_(dialog);
        else dialog->reject();
    });
    modalWatcher_.start();
}

void tst_mainwindow::init() {
    fake_ = std::make_unique<FakePlatform>();
    fake_->random.reseed(7);
    modalsSeen_.clear();
    onModal_ = nullptr;
    SaveAppSetting("AutoAdvance", "TRUE");
    SaveAppSetting("PlaySound", "TRUE");
}

void tst_mainwindow::cleanup() {
    window_.reset();
    catalogue_.reset();
    fake_.reset();
}

void tst_mainwindow::makeWindow() {
    if (!catalogue_)
        catalogue_ = std::make_unique<quiztest::Catalogue>(
            QVector<Plane>{{"A"}, {"B"}, {"C"}, {"D"}, {"E"}});
    for (const char* clip : {"correct.wav", "wrong.wav", "projctor.wav"}) {
        QDir().mkpath(ProgramFolder + "/SOUND");
        QFile f(ProgramFolder + "/SOUND/" + clip);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    window_ = std::make_unique<frmSkyrendelMainMenu>();
    window_->InitMainWindow();
    window_->ArrangePanels();
    window_->ResetRollovers();
    window_->show();
}

void tst_mainwindow::startQuiz(int mode, int time, int limit, bool hard, bool immediate, bool captain) {
    if (!window_) makeWindow();
    setGame(mode, time, limit, hard, immediate, captain);
    window_->StartGame();
}

int tst_mainwindow::correctSlot() const {
    return window_->records().lstCorrectAnswer.last().at(0).unicode() - 'A';
}

// ------------------------------------------------------------------ start

void tst_mainwindow::tooFewActiveAircraft_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("refused");
    QTest::newRow("pictures quiz") << 2 << true;
    QTest::newRow("names quiz") << 3 << true;
    QTest::newRow("learning mode starts anyway") << 1 << false;
}

void tst_mainwindow::tooFewActiveAircraft() {
    QFETCH(int, mode);
    QFETCH(bool, refused);
    catalogue_ = std::make_unique<quiztest::Catalogue>(
        QVector<Plane>{{"A"}, {"B"}, {"C", {}, false}, {"D", {}, true, false}});
    makeWindow();
    window_->records().lstUsersInput << "A";
    window_->records().lstCorrectAnswer << "B!1";
    setGame(mode, -1, -1, false, true);
    window_->StartGame();
    if (refused) {
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        const ShownMessage& m = fake_->messageBox.shown[0];
        QCOMPARE(m.title, QString("Not Enough Active Aircraft."));
        QCOMPARE(m.text, QString("Sorry - you don't have enough active Aircraft to make a meaningful quiz.  Please "
                                 "visit the options screen and set more aircraft to active."));
        QCOMPARE(m.icon, MsgIcon::Exclamation);
        QCOMPARE(m.buttons, MsgButtons::OkOnly);
        QVERIFY(!window_->isQuizInProgress());
        QCOMPARE(window_->records().lstUsersInput, QStringList{"A"});
        QCOMPARE(window_->records().lstCorrectAnswer, QStringList{"B!1"});
    } else {
        QVERIFY(fake_->messageBox.shown.isEmpty());
        QVERIFY(!window_->learningPanel()->isHidden());
        QVERIFY(!window_->learningPage(0)->isHidden());
        QVERIFY(window_->learningPage(1)->isHidden());
        // The learning controls list the installed aircraft.
        QVERIFY(child<QComboBox>("cmbComparisonAircraft_0")->count() > 0);
    }
}

void tst_mainwindow::firstQuestion_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("immediate");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("score");
    QTest::newRow("pictures, no limit, graded at once")
        << 2 << -1 << true << "Question #1" << "0 of 0 correct.  Current streak: 0";
    QTest::newRow("names, limit of 20, graded at the end") << 3 << 20 << false << "Question #1 of 20" << "";
}

void tst_mainwindow::firstQuestion() {
    QFETCH(int, mode);
    QFETCH(int, limit);
    QFETCH(bool, immediate);
    startQuiz(mode, -1, limit, false, immediate);
    const int shown = mode == 2 ? 0 : 1;
    QVERIFY(!window_->quizPanel(shown)->isHidden());
    QVERIFY(window_->quizPanel(1 - shown)->isHidden());
    for (int c = 0; c < 2; ++c) {
        QTEST(label(QString("lblQuestionNofN_%1").arg(c))->text(), "number");
        QTEST(label(QString("lblCurrentScore_%1").arg(c))->text(), "score");
        QCOMPARE(label(QString("lblTimeLeft_%1").arg(c))->text(), QString("No Time Limit"));
        QCOMPARE(box(QString("imgGrade_%1").arg(c))->property("Tag").toString(), QString("EXIT"));
        QCOMPARE(box(QString("imgGrade_%1").arg(c))->picture(), box("imgGrade_2")->picture());
        QVERIFY(box(QString("imgReviewQuestion_%1").arg(c))->isHidden());
        QVERIFY(box(QString("imgCaptainsChallenge_%1").arg(c))->isHidden());
        QCOMPARE(child<QCheckBox>(QString("chkAutoAdvance_%1").arg(c))->isHidden(), !immediate);
    }
    const quiz::QuestionRecords& r = window_->records();
    QCOMPARE(r.lstCorrectAnswer.size(), 1);
    QVERIFY(r.lstUsersInput.isEmpty());
    // Each slot shows its recorded aircraft; the correct one is on the
    // large picture and its logo above the pictures.
    const QStringList* answers[3] = {&r.lstAnswerA, &r.lstAnswerB, &r.lstAnswerC};
    QStringList folders;
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(answers[s]->size(), 1);
        const QString folder = answers[s]->at(0).section('!', 0, 0);
        const int number = answers[s]->at(0).section('!', 1).toInt();
        QVERIFY(number == 0 || number == 1);
        QCOMPARE(catalogue_->folderShownBy(box(QString("picAircraftSelection_%1").arg(s))->picture()), folder);
        QCOMPARE(catalogue_->folderShownBy(box(QString("cmdNameSelector_%1").arg(s))->picture()), folder);
        QCOMPARE(label(QString("lblAircraftLabel_%1").arg(s))->text(), quiztest::NameOf(folder));
        QVERIFY(label(QString("lblAircraftLabel_%1").arg(s))->isHidden());
        folders << folder;
    }
    QCOMPARE(QSet<QString>(folders.begin(), folders.end()).size(), 3);
    const QString correct = folders[correctSlot()];
    QCOMPARE(r.lstCorrectAnswer[0], QString(QChar('A' + correctSlot())) + "!" +
                                        answers[correctSlot()]->at(0).section('!', 1));
    QCOMPARE(catalogue_->folderShownBy(box("picAircraftSelection_3")->picture()), correct);
    QCOMPARE(catalogue_->folderShownBy(box("imgAircraftNameForPicSelection")->picture()), correct);
    QCOMPARE(label("lblAircraftLabel_3")->text(), quiztest::NameOf(correct));
}

// ---------------------------------------------------------------- answers

void tst_mainwindow::answerMarksColoursAndSounds_data() {
    QTest::addColumn<bool>("right");
    QTest::newRow("right answer") << true;
    QTest::newRow("wrong answer") << false;
}

void tst_mainwindow::answerMarksColoursAndSounds() {
    QFETCH(bool, right);
    SaveAppSetting("AutoAdvance", "FALSE");
    startQuiz(3, -1, -1, false, true);
    const int slot = right ? correctSlot() : (correctSlot() + 1) % 3;
    QTest::mouseClick(box(QString("cmdNameSelector_%1").arg(slot)), Qt::LeftButton);
    QCOMPARE(window_->records().lstUsersInput, QStringList{QString(QChar('A' + slot))});
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(child(QString("shpO_%1").arg(s))->isHidden(), !(right && s == slot));
        QCOMPARE(child(QString("shpX1_%1").arg(s))->isHidden(), !(!right && s == slot));
        QCOMPARE(child(QString("shpX2_%1").arg(s))->isHidden(), !(!right && s == slot));
        QCOMPARE(box(QString("picSelectedName_%1").arg(s))->backColor(),
                 s == slot ? (right ? kGreen : kRed) : kWhite);
    }
    for (int l = 0; l < 4; ++l) QVERIFY(!label(QString("lblAircraftLabel_%1").arg(l))->isHidden());
    for (int c = 0; c < 2; ++c) {
        QLabel* verdict = label(QString("lblCorrectOrIncorrect_%1").arg(c));
        QVERIFY(!verdict->isHidden());
        QCOMPARE(verdict->text(), right ? QString("Correct!") : QString("Incorrect"));
        QCOMPARE(textColour(verdict), right ? kGreen : kRed);
        PictureBox* next = box(QString("picNextQuestion_%1").arg(c));
        QVERIFY(!next->isHidden());
        // Without auto-advance the verdict stops at the next-question button.
        QCOMPARE(verdict->width(), next->x() - verdict->x());
    }
    QCOMPARE(fake_->sound.played.size(), 1);
    QVERIFY(fake_->sound.played[0].endsWith(right ? "/SOUND/correct.wav" : "/SOUND/wrong.wav"));

    // The sound switch off: nothing is played.
    child<QCheckBox>("chkPlaySound_0")->click();
    QTest::mouseClick(box("picNextQuestion_1"), Qt::LeftButton);
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 2);
    clickSlot(correctSlot());
    QCOMPARE(fake_->sound.played.size(), 1);
}

void tst_mainwindow::scoreAfterRightWrongRight() {
    startQuiz(2, -1, -1, false, true);
    clickSlot(correctSlot());
    clickSlot((correctSlot() + 2) % 3);
    clickSlot(correctSlot());
    // Auto-advance: the fourth question is on screen.
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 4);
    for (int c = 0; c < 2; ++c) {
        QCOMPARE(label(QString("lblCurrentScore_%1").arg(c))->text(),
                 QString("2 of 3 (67%)  correct.  Current streak: 1"));
        QCOMPARE(label(QString("lblQuestionNofN_%1").arg(c))->text(), QString("Question #4"));
        // The verdict label reaches over the next button's place.
        QLabel* verdict = label(QString("lblCorrectOrIncorrect_%1").arg(c));
        PictureBox* next = box(QString("picNextQuestion_%1").arg(c));
        QCOMPARE(verdict->width(), next->x() + next->width() - verdict->x());
    }
    QCOMPARE(label("lblCurrentScore_0")->property("Tag").toString(), QString("67%"));
    QCOMPARE(label("lblCurrentScore_1")->property("Tag").toString(), QString("2 of 3 correct"));
    QCOMPARE(window_->records().scorePercentTag, QString("67%"));
    QCOMPARE(window_->records().scoreCountTag, QString("2 of 3 correct"));
    QCOMPARE(window_->records().CorrectCount, 2);
    QCOMPARE(window_->records().AnsweredCount, 3);
    // The auto-advance pause handed control to the window each time.
    QVERIFY(fake_->clock.processEventsCalls >= 3 * 50);
}

void tst_mainwindow::endGradingShowsNoRunningScore() {
    startQuiz(2, -1, -1, false, false);
    clickSlot(correctSlot());
    clickSlot((correctSlot() + 1) % 3);
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 3);
    for (int c = 0; c < 2; ++c) QCOMPARE(label(QString("lblCurrentScore_%1").arg(c))->text(), QString());
    QCOMPARE(window_->records().scorePercentTag, QString("50%"));
    QCOMPARE(window_->records().scoreCountTag, QString("1 of 2 correct"));
    // No marks, no verdict; the projector sound each time.
    for (int s = 0; s < 3; ++s) QVERIFY(child(QString("shpO_%1").arg(s))->isHidden());
    QVERIFY(label("lblCorrectOrIncorrect_0")->isHidden());
    QCOMPARE(fake_->sound.played.size(), 2);
    QVERIFY(fake_->sound.played[1].endsWith("/SOUND/projctor.wav"));
}

void tst_mainwindow::clickDuringPauseIsIgnored_data() {
    QTest::addColumn<bool>("immediate");
    QTest::newRow("500 ms auto-advance pause") << true;
    QTest::newRow("150 ms pause of end grading") << false;
}

void tst_mainwindow::clickDuringPauseIsIgnored() {
    QFETCH(bool, immediate);
    startQuiz(2, -1, -1, false, immediate);
    int inner = 0;
    fake_->clock.onProcessEvents = [&] {
        if (inner++ < 3) {
            QVERIFY(window_->AnswerInProgress);
            QTest::mouseClick(box("picAircraftSelection_1"), Qt::LeftButton);
            QTest::keyClick(window_->quizPanel(0), Qt::Key_3);
        }
    };
    const std::uint32_t before = fake_->clock.now;
    clickSlot(0);
    fake_->clock.onProcessEvents = nullptr;
    QCOMPARE(window_->records().lstUsersInput, QStringList{"A"});
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 2);
    QVERIFY(!window_->AnswerInProgress);
    QVERIFY(fake_->clock.now - before >= (immediate ? 500u : 150u));
}

void tst_mainwindow::gradedQuestionWaitsForNextButton() {
    SaveAppSetting("AutoAdvance", "FALSE");
    startQuiz(2, -1, -1, false, true);
    clickSlot(0);
    clickSlot(1);
    QTest::mouseClick(box("picAircraftSelection_2"), Qt::LeftButton);
    QCOMPARE(window_->records().lstUsersInput, QStringList{"A"});
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 1);
    QTest::mouseClick(box("picNextQuestion_0"), Qt::LeftButton);
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 2);
    QVERIFY(box("picNextQuestion_0")->isHidden());
    clickSlot(2);
    QCOMPARE(window_->records().lstUsersInput, (QStringList{"A", "C"}));
}

void tst_mainwindow::largePictureRecordsNothing() {
    startQuiz(3, -1, -1, false, true);
    QTest::mouseClick(box("picAircraftSelection_3"), Qt::LeftButton);
    QVERIFY(window_->records().lstUsersInput.isEmpty());
    QVERIFY(fake_->sound.played.isEmpty());
}

// ----------------------------------------------------------------- limits

void tst_mainwindow::questionLimitEndsWithoutMessage() {
    startQuiz(2, -1, 3, false, false);
    clickSlot(0);
    clickSlot(1);
    QVERIFY(modalsSeen_.isEmpty());
    clickSlot(2);
    // The call after the third answer went to the grade action.
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
    QVERIFY(fake_->messageBox.shown.isEmpty());
    QVERIFY(!window_->isQuizInProgress());
    QCOMPARE(window_->records().lstUsersInput.size(), 3);
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 3);
    QCOMPARE(label("lblQuestionNofN_0")->text(), QString("Question #4 of 3"));
}

void tst_mainwindow::noLimitEndsAfter20001Answers_data() {
    QTest::addColumn<int>("answered");
    QTest::addColumn<bool>("ends");
    QTest::newRow("20000 answers: one more question") << 20000 << false;
    QTest::newRow("20001 answers: the limit") << 20001 << true;
}

void tst_mainwindow::noLimitEndsAfter20001Answers() {
    QFETCH(int, answered);
    QFETCH(bool, ends);
    startQuiz(2, -1, -1, false, true);
    quiz::QuestionRecords& r = window_->records();
    r.ClearQuestionRecords();
    for (int k = 0; k < answered; ++k) {
        r.lstAnswerA << "A!0";
        r.lstAnswerB << "B!0";
        r.lstAnswerC << "C!0";
        r.lstCorrectAnswer << "A!0";
        r.lstUsersInput << "A";
    }
    window_->NewQuestion();
    if (ends) {
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        QCOMPARE(fake_->messageBox.shown[0].text, QString("Question Limit Reached!"));
        QCOMPARE(fake_->messageBox.shown[0].title, AppTitle);
        QCOMPARE(fake_->messageBox.shown[0].icon, MsgIcon::Information);
        QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
        QVERIFY(!window_->isQuizInProgress());
        QCOMPARE(r.lstCorrectAnswer.size(), answered);
    } else {
        QVERIFY(fake_->messageBox.shown.isEmpty());
        QVERIFY(window_->isQuizInProgress());
        QCOMPARE(r.lstCorrectAnswer.size(), answered + 1);
    }
}

void tst_mainwindow::countdownTicksAndTimeUp() {
    startQuiz(2, 1800, -1, false, true);
    const std::uint32_t start = fake_->clock.now;
    QVERIFY(child<QTimer>("Timer1")->isActive());
    QCOMPARE(child<QTimer>("Timer1")->interval(), 200);
    window_->Timer1_Timer();
    QCOMPARE(label("lblTimeLeft_0")->text(), QString("Time Left: 30:00"));
    QCOMPARE(textColour(label("lblTimeLeft_1")), QColor(0, 0, 0));
    fake_->clock.now = start + 1800000 - 59000;
    window_->Timer1_Timer();
    for (int c = 0; c < 2; ++c) {
        QCOMPARE(label(QString("lblTimeLeft_%1").arg(c))->text(), QString("Time Left: 00:59"));
        QCOMPARE(textColour(label(QString("lblTimeLeft_%1").arg(c))), kRed);
    }
    clickSlot(0);
    QVERIFY(fake_->messageBox.shown.isEmpty());
    fake_->clock.now = start + 1800000;
    window_->Timer1_Timer();
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, QString("Time Limit Reached!"));
    QCOMPARE(fake_->messageBox.shown[0].title, QString("Time Limit Reached"));
    QCOMPARE(fake_->messageBox.shown[0].icon, MsgIcon::Information);
    QVERIFY(!child<QTimer>("Timer1")->isActive());
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
    QVERIFY(!window_->isQuizInProgress());
}

void tst_mainwindow::noTimeLimit() {
    startQuiz(3, -1, -1, false, true);
    QVERIFY(!child<QTimer>("Timer1")->isActive());
    fake_->clock.now += 100000000;
    window_->Timer1_Timer();
    QCOMPARE(label("lblTimeLeft_1")->text(), QString("No Time Limit"));
    QVERIFY(fake_->messageBox.shown.isEmpty());
    QVERIFY(window_->isQuizInProgress());
}

void tst_mainwindow::timeUpDuringPauseEndsQuizThere() {
    startQuiz(2, 60, -1, false, true);
    clickSlot(0);
    bool ticked = false;
    fake_->clock.onProcessEvents = [&] {
        if (ticked) return;
        ticked = true;
        fake_->clock.advance(70000);
        window_->Timer1_Timer();
    };
    clickSlot(1);
    fake_->clock.onProcessEvents = nullptr;
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
    QVERIFY(!window_->isQuizInProgress());
    // No question was drawn after the quiz ended.
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 2);
    QCOMPARE(window_->records().lstUsersInput.size(), 2);
    QVERIFY(!window_->AnswerInProgress);
}

void tst_mainwindow::captainsWarning_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No: the challenge goes on") << false;
    QTest::newRow("Yes: the results") << true;
}

void tst_mainwindow::captainsWarning() {
    QFETCH(bool, yes);
    startQuiz(2, 1800, 50, true, false, true);
    for (int c = 0; c < 2; ++c) QVERIFY(!box(QString("imgCaptainsChallenge_%1").arg(c))->isHidden());
    for (int k = 0; k < 30; ++k) clickSlot(k % 3);
    QCOMPARE(window_->records().lstUsersInput.size(), 30);
    fake_->messageBox.setNextAnswer(yes ? MsgResult::Yes : MsgResult::No);
    QTest::mouseClick(box("imgGrade_0"), Qt::LeftButton);
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    const ShownMessage& m = fake_->messageBox.shown[0];
    QCOMPARE(m.title, QString("Captain's Challenge Warning"));
    QCOMPARE(m.text, QString("Warning: you are undertaking the Captain's Challenge.  However, I show that you have not "
                             "yet completed the necessary 50 questions.  Are you sure you want to stop working on "
                             "this challenge now and continue to the 'grade' screen?"));
    QCOMPARE(m.icon, MsgIcon::Exclamation);
    QCOMPARE(m.buttons, MsgButtons::YesNo);
    QCOMPARE(window_->isQuizInProgress(), !yes);
    QCOMPARE(child<QTimer>("Timer1")->isActive(), !yes);
    QCOMPARE(modalsSeen_, yes ? QStringList{"frmSkyrendelResults"} : QStringList{});
}

void tst_mainwindow::captainsChallengeAtFiftyGoesToResults() {
    startQuiz(2, 1800, 50, true, false, true);
    for (int k = 0; k < 50; ++k) clickSlot(k % 3);
    QVERIFY(fake_->messageBox.shown.isEmpty());
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
    QCOMPARE(window_->records().lstUsersInput.size(), 50);
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 50);
    QVERIFY(!child<QTimer>("Timer1")->isActive());
}

void tst_mainwindow::gradeBeforeFirstAnswerOnlyCloses() {
    startQuiz(2, 1800, 50, true, false, true);
    QTest::mouseClick(box("imgGrade_0"), Qt::LeftButton);
    QVERIFY(fake_->messageBox.shown.isEmpty());
    QVERIFY(modalsSeen_.isEmpty());
    QVERIFY(!window_->isQuizInProgress());
    QVERIFY(!child<QTimer>("Timer1")->isActive());
}

// ----------------------------------------------------------------- review

void tst_mainwindow::gradeAndReviewFaces() {
    startQuiz(2, -1, -1, false, true);
    PictureBox* grade = box("imgGrade_0");
    PictureBox* review = box("imgReviewQuestion_0");
    QCOMPARE(grade->picture(), box("imgGrade_2")->picture());
    hover("imgGrade_0");
    QCOMPARE(grade->picture(), box("imgGrade_3")->picture());
    hover("picChallengeMode", QPoint(3, 3));
    QCOMPARE(grade->picture(), box("imgGrade_2")->picture());

    clickSlot(0);
    QCOMPARE(grade->property("Tag").toString(), QString("GRADE"));
    QCOMPARE(grade->picture(), box("imgGrade_4")->picture());
    QCOMPARE(box("imgGrade_1")->picture(), box("imgGrade_4")->picture());
    hover("imgGrade_0");
    QCOMPARE(grade->picture(), box("imgGrade_5")->picture());
    QVERIFY(!review->isHidden());
    hover("imgReviewQuestion_0");
    QCOMPARE(review->picture(), box("imgReviewQuestion_3")->picture());
    QCOMPARE(grade->picture(), box("imgGrade_4")->picture());
    hover("imgGrade_0");
    QCOMPARE(review->picture(), box("imgReviewQuestion_2")->picture());
    hover("lblCurrentScore_0");
    QCOMPARE(grade->picture(), box("imgGrade_4")->picture());
    // The faces are distinct pictures.
    QVERIFY(box("imgGrade_2")->picture() != box("imgGrade_4")->picture());
    QVERIFY(box("imgReviewQuestion_2")->picture() != box("imgReviewQuestion_4")->picture());
}

void tst_mainwindow::reviewShowsPreviousQuestion_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("right");
    QTest::newRow("pictures panel, right answer") << 2 << true;
    QTest::newRow("pictures panel, wrong answer") << 2 << false;
    QTest::newRow("names panel, right answer") << 3 << true;
    QTest::newRow("names panel, wrong answer") << 3 << false;
}

void tst_mainwindow::reviewShowsPreviousQuestion() {
    QFETCH(int, mode);
    QFETCH(bool, right);
    startQuiz(mode, -1, -1, false, true);
    const int c = mode == 2 ? 0 : 1;
    QImage firstPictures[4], firstLogos[3];
    QString firstNames[4];
    for (int i = 0; i < 4; ++i) {
        firstPictures[i] = box(QString("picAircraftSelection_%1").arg(i))->picture();
        firstNames[i] = label(QString("lblAircraftLabel_%1").arg(i))->text();
    }
    for (int i = 0; i < 3; ++i) firstLogos[i] = box(QString("cmdNameSelector_%1").arg(i))->picture();
    const QImage firstLogo = box("imgAircraftNameForPicSelection")->picture();
    const int correct = correctSlot();
    const int chosen = right ? correct : (correct + 1) % 3;
    clickSlot(chosen);
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 2);
    QImage secondPictures[4];
    QString secondNames[4];
    for (int i = 0; i < 4; ++i) {
        secondPictures[i] = box(QString("picAircraftSelection_%1").arg(i))->picture();
        secondNames[i] = label(QString("lblAircraftLabel_%1").arg(i))->text();
    }

    PictureBox* review = box(QString("imgReviewQuestion_%1").arg(c));
    QVERIFY(!review->isHidden());
    QTest::mousePress(review, Qt::LeftButton);
    QCOMPARE(review->picture(), box("imgReviewQuestion_4")->picture());
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(box(QString("picAircraftSelection_%1").arg(i))->picture(), firstPictures[i]);
        QLabel* name = label(QString("lblAircraftLabel_%1").arg(i));
        QCOMPARE(name->text(), firstNames[i]);
        QVERIFY(!name->isHidden());
    }
    for (int i = 0; i < 3; ++i) QCOMPARE(box(QString("cmdNameSelector_%1").arg(i))->picture(), firstLogos[i]);
    QCOMPARE(box("imgAircraftNameForPicSelection")->picture(), firstLogo);
    for (int s = 0; s < 3; ++s) {
        const QColor expected = s == correct ? kGreen : (s == chosen ? kRed : kGrey);
        QCOMPARE(box(QString("picOuterChoice_%1").arg(s))->backColor(), expected);
        QCOMPARE(box(QString("picSelectedName_%1").arg(s))->backColor(), expected);
    }
    for (int p = 0; p < 2; ++p) QCOMPARE(window_->quizPanel(p)->palette().color(QPalette::Window), kGrey);
    QVERIFY(box("imgQuestionMark")->isHidden());
    QVERIFY(!label("lblCorrectOrIncorrect_0")->isHidden());
    QCOMPARE(label("lblCorrectOrIncorrect_1")->text(), right ? QString("Correct!") : QString("Incorrect"));

    QTest::mouseRelease(review, Qt::LeftButton);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(box(QString("picAircraftSelection_%1").arg(i))->picture(), secondPictures[i]);
        QLabel* name = label(QString("lblAircraftLabel_%1").arg(i));
        QCOMPARE(name->text(), secondNames[i]);
        QVERIFY(name->isHidden());
    }
    for (int s = 0; s < 3; ++s) {
        QCOMPARE(box(QString("picOuterChoice_%1").arg(s))->backColor(), kWhite);
        QCOMPARE(box(QString("picSelectedName_%1").arg(s))->backColor(), kWhite);
    }
    for (int p = 0; p < 2; ++p) QCOMPARE(window_->quizPanel(p)->palette().color(QPalette::Window), kWhite);
    QVERIFY(!box("imgQuestionMark")->isHidden());
    QVERIFY(label("lblCorrectOrIncorrect_0")->isHidden());
    QCOMPARE(review->picture(), box("imgReviewQuestion_3")->picture());
    QCOMPARE(window_->records().lstUsersInput.size(), 1);
}

void tst_mainwindow::endGradingNeverShowsReview() {
    startQuiz(2, -1, -1, false, false);
    clickSlot(0);
    clickSlot(0);
    for (int c = 0; c < 2; ++c) QVERIFY(box(QString("imgReviewQuestion_%1").arg(c))->isHidden());
}

// ------------------------------------------------------------- close rules

void tst_mainwindow::closeDuringQuizGrades() {
    startQuiz(2, -1, -1, false, true);
    clickSlot(0);
    QVERIFY(!window_->close());
    QVERIFY(fake_->process.exitCodes.isEmpty());
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
    QVERIFY(!window_->isQuizInProgress());
    QVERIFY(window_->isVisible());
}

void tst_mainwindow::closeDuringPauseDrawsNoFurtherQuestion() {
    startQuiz(3, -1, -1, false, false);
    bool closed = false;
    fake_->clock.onProcessEvents = [&] {
        if (closed) return;
        closed = true;
        window_->close();
    };
    clickSlot(1);
    fake_->clock.onProcessEvents = nullptr;
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelResults"});
    QVERIFY(!window_->isQuizInProgress());
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 1);
    QVERIFY(fake_->process.exitCodes.isEmpty());
}

// --------------------------------------------------------------- keyboard

void tst_mainwindow::keys_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("letter");
    QTest::newRow("pictures: 1") << 2 << int(Qt::Key_1) << "A";
    QTest::newRow("pictures: 2") << 2 << int(Qt::Key_2) << "B";
    QTest::newRow("pictures: C") << 2 << int(Qt::Key_C) << "C";
    QTest::newRow("names: 3") << 3 << int(Qt::Key_3) << "C";
    QTest::newRow("names: A") << 3 << int(Qt::Key_A) << "A";
    QTest::newRow("names: B") << 3 << int(Qt::Key_B) << "B";
}

void tst_mainwindow::keys() {
    QFETCH(int, mode);
    QFETCH(int, key);
    SaveAppSetting("AutoAdvance", "FALSE");
    startQuiz(mode, -1, -1, false, true);
    QWidget* panel = window_->quizPanel(mode == 2 ? 0 : 1);
    QTest::keyClick(panel, Qt::Key(key));
    QCOMPARE(window_->records().lstUsersInput.size(), 1);
    QTEST(window_->records().lstUsersInput[0], "letter");
    // Graded and waiting: further answer keys do nothing.
    QTest::keyClick(panel, Qt::Key_1);
    QCOMPARE(window_->records().lstUsersInput.size(), 1);
    // A key that reaches a check box on the panel still answers.
    QTest::mouseClick(box(QString("picNextQuestion_%1").arg(mode == 2 ? 0 : 1)), Qt::LeftButton);
    QTest::keyClick(child(QString("chkPlaySound_%1").arg(mode == 2 ? 0 : 1)), Qt::Key(key));
    QCOMPARE(window_->records().lstUsersInput.size(), 2);
}

void tst_mainwindow::enterAndSpaceActAsNextButton_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void tst_mainwindow::enterAndSpaceActAsNextButton() {
    QFETCH(int, key);
    SaveAppSetting("AutoAdvance", "FALSE");
    startQuiz(3, -1, -1, false, true);
    QWidget* panel = window_->quizPanel(1);
    // Before an answer there is no next button: nothing happens.
    QTest::keyClick(panel, Qt::Key(key));
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 1);
    QTest::keyClick(panel, Qt::Key_2);
    QTest::keyClick(panel, Qt::Key(key));
    QCOMPARE(window_->records().lstCorrectAnswer.size(), 2);
    QVERIFY(box("picNextQuestion_1")->isHidden());
}

// -------------------------------------------------------------- rollovers

void tst_mainwindow::nameRolloversKeepGradedColours() {
    SaveAppSetting("AutoAdvance", "FALSE");
    startQuiz(3, -1, -1, false, true);
    hover("cmdNameSelector_1");
    QCOMPARE(box("picSelectedName_1")->backColor(), kYellow);
    QCOMPARE(box("picSelectedName_0")->backColor(), kWhite);
    hover("cmdNameSelector_2");
    QCOMPARE(box("picSelectedName_1")->backColor(), kWhite);
    QCOMPARE(box("picSelectedName_2")->backColor(), kYellow);
    hover("picChallengeMode2", QPoint(3, 3));
    QCOMPARE(box("picSelectedName_2")->backColor(), kWhite);

    const int wrong = (correctSlot() + 1) % 3;
    QTest::mouseClick(box(QString("cmdNameSelector_%1").arg(wrong)), Qt::LeftButton);
    const int other = (wrong + 1) % 3;
    hover(QString("cmdNameSelector_%1").arg(other));
    QCOMPARE(box(QString("picSelectedName_%1").arg(wrong))->backColor(), kRed);
    QCOMPARE(box(QString("picSelectedName_%1").arg(other))->backColor(), kWhite);
    hover("picChallengeMode2", QPoint(3, 3));
    QCOMPARE(box(QString("picSelectedName_%1").arg(wrong))->backColor(), kRed);
}

void tst_mainwindow::menuRollovers() {
    makeWindow();
    PictureBox* play = box("imgMenuItem_3");
    PictureBox* exit = box("imgMenuItem_4");
    PictureBox* faq = box("imgMenuItem_0");
    hover("imgMenuItem_3");
    QCOMPARE(play->picture(), box("imgMenuItem_8")->picture());
    QCOMPARE(exit->picture(), box("imgMenuItem_14")->picture());
    // Straight from one item onto the next.
    hover("imgMenuItem_4");
    QCOMPARE(play->picture(), box("imgMenuItem_13")->picture());
    QCOMPARE(exit->picture(), box("imgMenuItem_9")->picture());
    hover("imgMenuItem_0");
    QCOMPARE(faq->picture(), box("imgMenuItem_5")->picture());
    QCOMPARE(exit->picture(), box("imgMenuItem_14")->picture());
    // Off the menu: the window's background and the emblem.
    hover("", QPoint(5, 5));
    QCOMPARE(faq->picture(), box("imgMenuItem_10")->picture());
    hover("imgMenuItem_4");
    hover("imgEmblem");
    QCOMPARE(exit->picture(), box("imgMenuItem_14")->picture());
    // Hover and normal faces differ, so a user sees the change.
    QVERIFY(box("imgMenuItem_8")->picture() != box("imgMenuItem_13")->picture());
}

// Moving onto a picture lights its frame; moving onto any of these parts
// of the panel puts every highlight back.
void tst_mainwindow::pictureRolloversAndWhatResetsThem_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("resetter");
    QTest::addColumn<QPoint>("at"); // (-1,-1): the control's middle
    for (const char* r : {"lblCurrentScore_0", "lblQuestionNofN_0", "chkAutoAdvance_0", "lblPicturesPrompt"})
        QTest::newRow(r) << 2 << QString(r) << QPoint(-1, -1);
    QTest::newRow("control box") << 2 << "picControlBox_0" << QPoint(700, 190);
    QTest::newRow("pictures panel") << 2 << "picChallengeMode" << QPoint(3, 3);
    QTest::newRow("names panel") << 3 << "picChallengeMode2" << QPoint(3, 3);
    QTest::newRow("names prompt") << 3 << "lblNamesPrompt" << QPoint(-1, -1);
    QTest::newRow("names control box") << 3 << "picControlBox_1" << QPoint(700, 190);
}

void tst_mainwindow::pictureRolloversAndWhatResetsThem() {
    QFETCH(int, mode);
    QFETCH(QString, resetter);
    QFETCH(QPoint, at);
    startQuiz(mode, -1, -1, false, true);
    if (mode == 2) {
        hover("picAircraftSelection_2");
        QCOMPARE(box("picOuterChoice_2")->backColor(), kYellow);
        QCOMPARE(box("picOuterChoice_0")->backColor(), kWhite);
        hover("picAircraftSelection_0");
        QCOMPARE(box("picOuterChoice_2")->backColor(), kWhite);
        QCOMPARE(box("picOuterChoice_0")->backColor(), kYellow);
        hover(resetter, at);
        QCOMPARE(box("picOuterChoice_0")->backColor(), kWhite);
    } else {
        hover("cmdNameSelector_0");
        QCOMPARE(box("picSelectedName_0")->backColor(), kYellow);
        // The large picture lights nothing.
        hover("picAircraftSelection_3");
        QCOMPARE(box("picSelectedName_0")->backColor(), kYellow);
        hover(resetter, at);
        QCOMPARE(box("picSelectedName_0")->backColor(), kWhite);
    }
    // The next-question face, then back.
    const int c = mode == 2 ? 0 : 1;
    QTest::mouseClick(box(mode == 2 ? "picAircraftSelection_0" : "cmdNameSelector_0"), Qt::LeftButton);
    if (!box(QString("picNextQuestion_%1").arg(c))->isHidden()) {
        hover(QString("picNextQuestion_%1").arg(c));
        QCOMPARE(box(QString("picNextQuestion_%1").arg(c))->picture(), box("picNextQuestion_3")->picture());
        hover(resetter, at);
        QCOMPARE(box(QString("picNextQuestion_%1").arg(c))->picture(), box("picNextQuestion_2")->picture());
    }
}

// --------------------------------------------------------------- settings

void tst_mainwindow::checkBoxesFollowEachOtherAndStore() {
    startQuiz(2, -1, -1, false, true);
    auto* auto1 = child<QCheckBox>("chkAutoAdvance_1");
    auto* auto0 = child<QCheckBox>("chkAutoAdvance_0");
    QVERIFY(auto0->isChecked() && auto1->isChecked());
    auto1->click();
    QVERIFY(!auto0->isChecked());
    QCOMPARE(GetAppSetting("AutoAdvance", "?"), QString("FALSE"));
    auto0->click();
    QVERIFY(auto1->isChecked());
    QCOMPARE(GetAppSetting("AutoAdvance", "?"), QString("TRUE"));
    child<QCheckBox>("chkPlaySound_0")->click();
    QVERIFY(!child<QCheckBox>("chkPlaySound_1")->isChecked());
    QCOMPARE(GetAppSetting("PlaySound", "?"), QString("FALSE"));
}

void tst_mainwindow::storedLowerCaseTrueCountsAsOff() {
    SaveAppSetting("PlaySound", "true");
    makeWindow();
    QVERIFY(!child<QCheckBox>("chkPlaySound_0")->isChecked());
    QVERIFY(!child<QCheckBox>("chkPlaySound_1")->isChecked());
    QVERIFY(child<QCheckBox>("chkAutoAdvance_1")->isChecked());
}

// ------------------------------------------------------------------- menu

void tst_mainwindow::playItemWithoutChoosingLeavesMenu() {
    makeWindow();
    QTest::mouseClick(box("imgMenuItem_3"), Qt::LeftButton);
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelGameSelector"});
    QCOMPARE(int(game::GameMode), 0);
    QVERIFY(!window_->isQuizInProgress());
    QVERIFY(window_->learningPanel()->isHidden());
}

void tst_mainwindow::playItemStartsChosenGame() {
    makeWindow();
    onModal_ = [](QDialog* d) {
        auto* selector = qobject_cast<game::frmSkyrendelGameSelector*>(d);
        QVERIFY(selector);
        selector->picCaptainsChallenge_Click(0);
        selector->picGo_Click(0);
    };
    QTest::mouseClick(box("imgMenuItem_3"), Qt::LeftButton);
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelGameSelector"});
    QVERIFY(!window_->quizPanel(0)->isHidden());
    QVERIFY(!box("imgCaptainsChallenge_0")->isHidden());
    QVERIFY(child<QTimer>("Timer1")->isActive());
    QCOMPARE(label("lblQuestionNofN_0")->text(), QString("Question #1 of 50"));
}

void tst_mainwindow::unavailableMenuItemsDoNothing() {
    makeWindow();
    for (int i = 1; i < 3; ++i) {
        QVERIFY(!box(QString("imgMenuItem_%1").arg(i))->isEnabled());
        window_->imgMenuItem_Click(i);
    }
    QVERIFY(modalsSeen_.isEmpty());
    // The FAQ item opens the FAQ window.
    QVERIFY(box("imgMenuItem_0")->isEnabled());
    window_->imgMenuItem_Click(0);
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelFAQ"});
    QVERIFY(box("imgMenuItem_3")->isEnabled());
    QVERIFY_THROWS_EXCEPTION(ProcessExited, window_->imgMenuItem_Click(4));
    QCOMPARE(fake_->process.exitCodes, QVector<int>{0});
}

// Items 1 and 2 lead to windows the program's wiring hands in: once given,
// the item is enabled, drawn undimmed, and a click runs exactly its action.
void tst_mainwindow::handedInMenuItemsBecomeAvailable() {
    makeWindow();
    PictureBox* options = box("imgMenuItem_1");
    const QImage dimmed = options->picture();
    QStringList opened;
    window_->SetMenuItemAction(1, [&] { opened << "options"; });
    QVERIFY(options->isEnabled());
    QVERIFY(options->toolTip().isEmpty());
    QVERIFY(options->picture() != dimmed);
    QCOMPARE(options->picture(), box("imgMenuItem_11")->picture());
    QVERIFY(!box("imgMenuItem_2")->isEnabled());
    QTest::mouseMove(options, options->rect().center());
    QCOMPARE(options->picture(), box("imgMenuItem_6")->picture());
    QTest::mouseClick(options, Qt::LeftButton, {}, options->rect().center());
    QTest::mouseClick(box("imgMenuItem_2"), Qt::LeftButton);
    QCOMPARE(opened, QStringList{"options"});
    QVERIFY(modalsSeen_.isEmpty());
}

// My Progress is offered only when the program hands it in; then it sits
// between Start Training and Exit, in the mouse's, the keyboard's and the
// eye's order alike, and opens what it was given.
void tst_mainwindow::progressItemBelowStartTraining_data() {
    QTest::addColumn<bool>("offered");
    QTest::newRow("not offered") << false;
    QTest::newRow("offered") << true;
}

void tst_mainwindow::progressItemBelowStartTraining() {
    QFETCH(bool, offered);
    makeWindow();
    QStringList opened;
    if (offered) window_->SetMenuItemAction(15, [&] { opened << "progress"; });
    PictureBox* play = box("imgMenuItem_3");
    PictureBox* progress = box("imgMenuItem_15");
    PictureBox* exit = box("imgMenuItem_4");
    QCOMPARE(progress->isVisible(), offered);
    if (!offered) {
        QCOMPARE(exit->y() - play->y(), box("imgMenuItem_3")->y() - box("imgMenuItem_2")->y());
        return;
    }
    QVERIFY(play->geometry().bottom() < progress->geometry().top());
    QVERIFY(progress->geometry().bottom() < exit->geometry().top());
    QVERIFY(exit->geometry().bottom() < window_->height());
    QTest::mouseMove(progress, progress->rect().center());
    QCOMPARE(progress->picture(), box("imgMenuItem_16")->picture());
    QVERIFY(progress->picture() != box("imgMenuItem_17")->picture());
    QCOMPARE(play->picture(), box("imgMenuItem_13")->picture());
    QTest::mouseClick(progress, Qt::LeftButton, {}, progress->rect().center());
    QCOMPARE(opened, QStringList{"progress"});

    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    play->setFocus();
    QTest::keyClick(play, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(progress));
    QTest::keyClick(progress, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(exit));
    QTest::keyClick(exit, Qt::Key_Up);
    QTest::keyClick(progress, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(play));
    QTest::keyClick(play, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(progress));
    QTest::keyClick(progress, Qt::Key_Return);
    QCOMPARE(opened, (QStringList{"progress", "progress"}));
}

void tst_mainwindow::seeProblemLinksGiveTheAdvice() {
    makeWindow();
    for (int i = 0; i < 2; ++i) {
        fake_->messageBox.shown.clear();
        QTest::mouseClick(box(QString("imgSeeProblem_%1").arg(i)), Qt::LeftButton);
        QCOMPARE(fake_->messageBox.shown.size(), 1);
        QCOMPARE(fake_->messageBox.shown[0].text, learning::ReportingAdviceText());
    }
}

// --------------------------------------------------------- learning panel

void tst_mainwindow::learningModeShowsTabZero() {
    makeWindow();
    int started = 0;
    window_->onStartLearning = [&] { ++started; };
    window_->SetTab(1);
    setGame(1, -1, -1, false, false);
    window_->StartGame();
    QCOMPARE(started, 1);
    QVERIFY(!window_->learningPanel()->isHidden());
    QVERIFY(!window_->learningPage(0)->isHidden());
    QVERIFY(window_->learningPage(1)->isHidden());
    QVERIFY(!window_->isQuizInProgress());
    QTest::mouseClick(child<QWidget>("cmdExit"), Qt::LeftButton);
    QVERIFY(window_->learningPanel()->isHidden());
}

void tst_mainwindow::tabsSwitch() {
    makeWindow();
    setGame(1, -1, -1, false, false);
    window_->StartGame();
    QTest::mouseClick(box("TopTab_1"), Qt::LeftButton);
    QVERIFY(window_->learningPage(0)->isHidden());
    QVERIFY(!window_->learningPage(1)->isHidden());
    QCOMPARE(label("lblTopTabCaption_1")->text(), QString("About this Aircraft"));
    QCOMPARE(label("lblTopTabCaption_0")->text(), QString("Compare With Another"));
    QTest::mouseClick(box("TopTab_0"), Qt::LeftButton);
    QVERIFY(!window_->learningPage(0)->isHidden());
    QVERIFY(window_->learningPage(1)->isHidden());
    QCOMPARE(window_->learningPage(0)->height(), window_->learningPage(1)->height());
}

// The wide About page stays wide when the user switches tabs and when the
// learning panel is left and opened again.
void tst_mainwindow::wideViewSurvivesTabsAndANewStart() {
    makeWindow();
    setGame(1, -1, -1, false, false);
    window_->StartGame();
    QWidget* page0 = window_->learningPage(0);
    QWidget* page1 = window_->learningPage(1);
    QTest::mouseClick(box("TopTab_1"), Qt::LeftButton);
    const QRect normal = page1->geometry();
    QCOMPARE(normal, page0->geometry());
    auto* wider = child<QPushButton>("cmdWider");
    QTest::mouseClick(wider, Qt::LeftButton);
    QCOMPARE(wider->text(), QString("Normal >>"));
    const QRect wide = page1->geometry();
    QVERIFY(wide.width() > normal.width());

    QTest::mouseClick(box("TopTab_0"), Qt::LeftButton);
    QVERIFY(page1->isHidden());
    QVERIFY(!page0->isHidden());
    QTest::mouseClick(box("TopTab_1"), Qt::LeftButton);
    QVERIFY(!page1->isHidden());
    QCOMPARE(page1->geometry(), wide);
    QCOMPARE(wider->text(), QString("Normal >>"));

    QTest::mouseClick(child<QPushButton>("cmdExit"), Qt::LeftButton);
    QVERIFY(window_->learningPanel()->isHidden());
    window_->StartGame();
    QVERIFY(!page0->isHidden());
    QTest::mouseClick(box("TopTab_1"), Qt::LeftButton);
    QCOMPARE(page1->geometry(), wide);
    QTest::mouseClick(wider, Qt::LeftButton);
    QCOMPARE(page1->geometry(), normal);
}

// Enlarged, the window shows its design scaled by one factor and centred:
// places, type sizes and marks grow together, and the faces are drawn
// again at their new size rather than stretched.
// Learning mode lays out its own pages, and its type, rows, arrows and
// links grow and shrink with the window as the rest of the design does.
void tst_mainwindow::learningModeScalesWithTheWindow_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("factor");
    QTest::newRow("design size") << QSize(1000, 700) << 1.0;
    QTest::newRow("half as large again") << QSize(1500, 1050) << 1.5;
    QTest::newRow("wide screen") << QSize(1600, 900) << 900 / 700.0;
}

void tst_mainwindow::learningModeScalesWithTheWindow() {
    QFETCH(QSize, size);
    QFETCH(double, factor);
    makeWindow();
    setGame(1, -1, -1, false, false);
    window_->StartGame();
    window_->resize(size);
    for (int s = 0; s < 2; ++s) {
        QCOMPARE(label(QString("lblSelect_%1").arg(s))->font().pixelSize(), qRound(14 * factor));
        QCOMPARE(label(QString("lblComparisonNofN_%1").arg(s))->font().pixelSize(), qRound(15 * factor));
        PictureBox* arrow = box(QString("cmdLearningPreviousAircraft_%1").arg(s));
        QCOMPARE(arrow->height(), qRound(28 * factor));
        for (const QString& name : {QString("cmdComparisonMoveLeft_%1").arg(s), QString("imgReportProblemImage_%1").arg(s)}) {
            PictureBox* b = box(name);
            QVERIFY2(b->picture().deviceIndependentSize().toSize() == b->size(), qPrintable(name));
        }
        QLabel* count = label(QString("lblComparisonNofN_%1").arg(s));
        QVERIFY(QFontMetrics(count->font()).horizontalAdvance(count->text()) <= count->width());
        QLabel* select = label(QString("lblSelect_%1").arg(s));
        QVERIFY(QFontMetrics(select->font()).horizontalAdvance(select->text()) <= select->width());
    }
    QCOMPARE(child<QWidget>("cmdExit")->height(), qRound(36 * factor));
}

void tst_mainwindow::windowScalesAsAWhole_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("factor");
    QTest::newRow("design size") << QSize(1000, 700) << 1.0;
    QTest::newRow("half as large again") << QSize(1500, 1050) << 1.5;
    QTest::newRow("wide screen") << QSize(1600, 900) << 900 / 700.0;
    QTest::newRow("tall window") << QSize(1100, 1150) << 1.1;
}

void tst_mainwindow::windowScalesAsAWhole() {
    QFETCH(QSize, size);
    QFETCH(double, factor);
    SaveAppSetting("AutoAdvance", "FALSE"); // the marks stay until the next question
    startQuiz(2, -1, -1, false, true);
    window_->resize(size);
    QCOMPARE(window_->size(), size);
    const QPoint offset((size.width() - qRound(1000 * factor)) / 2, (size.height() - qRound(700 * factor)) / 2);
    const auto near = [](const QRect& got, const QRect& want) {
        return qAbs(got.left() - want.left()) <= 1 && qAbs(got.top() - want.top()) <= 1 &&
               qAbs(got.width() - want.width()) <= 1 && qAbs(got.height() - want.height()) <= 1;
    };
    const auto scaled = [factor](const QRect& r) {
        return QRect(qRound(r.left() * factor), qRound(r.top() * factor), qRound(r.width() * factor),
                     qRound(r.height() * factor));
    };
    const QRect panel = window_->quizPanel(0)->geometry();
    QVERIFY2(near(panel, scaled(QRect(8, 8, 984, 684)).translated(offset)), qPrintable(QString("panel %1,%2 %3x%4")
             .arg(panel.x()).arg(panel.y()).arg(panel.width()).arg(panel.height())));
    // The pictures grow with the window.
    for (int i = 0; i < 3; ++i) {
        QWidget* slot = child(QString("picAircraftSelection_%1").arg(i));
        QVERIFY(near(slot->geometry(), scaled(QRect(8, 8, 288, 192))));
        QVERIFY(near(child(QString("picOuterChoice_%1").arg(i))->geometry(), scaled(QRect(20 + i * 320, 146, 304, 208))));
    }
    // Type grows with it.
    QCOMPARE(label("lblQuestionNofN_0")->font().pixelSize(), qRound(20 * factor));
    // Faces are drawn for their present size.
    for (const char* name : {"imgGrade_0", "picControlBox_0", "imgQuestionMark", "imgSeeProblem_0"}) {
        PictureBox* b = box(name);
        QVERIFY2(b->picture().deviceIndependentSize().toSize() == b->size(), name);
    }
    QCOMPARE(box("imgGrade_0")->picture(), box("imgGrade_2")->picture());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(box(QString("imgMenuItem_%1").arg(i + 10))->picture().deviceIndependentSize().toSize(),
                 box(QString("imgMenuItem_%1").arg(i))->size());
    // A wrong answer's cross sits where it was designed, in proportion.
    const int wrong = (correctSlot() + 1) % 3;
    QTest::mouseClick(box(QString("picAircraftSelection_%1").arg(wrong)), Qt::LeftButton);
    QWidget* cross = child(QString("shpX1_%1").arg(wrong));
    QVERIFY(cross->isVisible());
    QVERIFY(near(cross->geometry(), scaled(QRect(52, 14, 200, 180))));
    // And back to the design size, exactly.
    window_->resize(1000, 700);
    QCOMPARE(window_->quizPanel(0)->geometry(), QRect(8, 8, 984, 684));
    QCOMPARE(child("picAircraftSelection_0")->size(), QSize(288, 192));
}

// The window opens at the size and state it was left in.
void tst_mainwindow::sizeAndStateAreRemembered() {
    for (const char* key : {"WindowWidth", "WindowHeight", "WindowState"}) SaveAppSetting(key, "");
    makeWindow();
    window_->RestoreWindowPlacement();
    QCOMPARE(window_->size(), QSize(1000, 700));
    window_->resize(1200, 840);
    QCOMPARE(GetAppSetting("WindowWidth", ""), QString("1200"));
    QCOMPARE(GetAppSetting("WindowState", ""), QString("Normal"));
    window_.reset();

    makeWindow();
    window_->RestoreWindowPlacement();
    QCOMPARE(window_->size(), QSize(1200, 840));
    window_->setWindowState(Qt::WindowMaximized);
    QCOMPARE(GetAppSetting("WindowState", ""), QString("Maximized"));
    QCOMPARE(GetAppSetting("WindowWidth", ""), QString("1200")); // the normal size is kept
    window_.reset();

    makeWindow();
    window_->RestoreWindowPlacement();
    QVERIFY(window_->windowState() & Qt::WindowMaximized);
    window_.reset();

    // Stored sizes that cannot be shown are not used.
    for (const QStringList& bad : {QStringList{"300", "200"}, QStringList{"90000", "700"}, QStringList{"x", "y"}}) {
        SaveAppSetting("WindowState", "Normal");
        SaveAppSetting("WindowWidth", bad[0]);
        SaveAppSetting("WindowHeight", bad[1]);
        makeWindow();
        window_->RestoreWindowPlacement();
        QCOMPARE(window_->size(), QSize(1000, 700));
        window_.reset();
    }
    for (const char* key : {"WindowWidth", "WindowHeight", "WindowState"}) SaveAppSetting(key, "");
}

// On the face under the mouse, the caption ends well before the arrow.
void tst_mainwindow::menuCaptionsClearOfTheHoverArrow_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("design") << QSize(380, 58);
    QTest::newRow("enlarged") << QSize(608, 93);
}

void tst_mainwindow::menuCaptionsClearOfTheHoverArrow() {
    QFETCH(QSize, size);
    const QImage face = quiz::art::MenuItemFace(size, quiz::art::MenuSymbol::Questions,
                                                "Frequently Asked Questions", true, false)
                            .convertToFormat(QImage::Format_ARGB32);
    const qreal dpr = face.devicePixelRatio();
    const auto yellowColumn = [&](int x) {
        for (int y = int(face.height() * 0.2); y < int(face.height() * 0.8); ++y) {
            const QColor c = face.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() < 120) return true;
        }
        return false;
    };
    // The arrow: the first yellow column from the right, past the border.
    int x = face.width() - int(6 * dpr);
    while (x > 0 && !yellowColumn(x)) --x;
    while (x > 0 && yellowColumn(x)) --x;
    const int arrowStart = x + 1;
    while (x > 0 && !yellowColumn(x)) --x;
    const int gap = arrowStart - (x + 1);
    QVERIFY2(gap >= size.height() * 0.15 * dpr, qPrintable(QString("gap of %1 pixels").arg(gap)));
}

// With the longest names of the demo catalogue on every slot, every label
// on screen holds its whole text, and no label runs into another control.
void tst_mainwindow::longNamesFitTheirLabels_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("pictures panel") << 2;
    QTest::newRow("names panel") << 3;
}

void tst_mainwindow::longNamesFitTheirLabels() {
    QFETCH(int, mode);
    catalogue_ = std::make_unique<quiztest::Catalogue>(QVector<Plane>{
        {"De Havilland Canada Dash 8-400"}, {"McDonnell Douglas MD-82"}, {"Cessna Citation Excel"}, {"DC3"}});
    SaveAppSetting("AutoAdvance", "FALSE");
    startQuiz(mode, 600, 10, false, true);
    QWidget* panel = window_->quizPanel(mode == 2 ? 0 : 1);
    const auto check = [&](const QString& when) {
        const QList<QLabel*> labels = panel->findChildren<QLabel*>();
        int checked = 0;
        for (QLabel* l : labels) {
            if (!l->isVisible() || l->text().isEmpty()) continue;
            ++checked;
            const QFontMetrics fm(l->font());
            const QString what = when + ": " + l->objectName() + " \"" + l->text() + "\"";
            if (l->wordWrap()) {
                QVERIFY2(l->heightForWidth(l->width()) <= l->height(), qPrintable(what));
            } else {
                for (const QString& line : l->text().split('\n'))
                    QVERIFY2(fm.horizontalAdvance(line) <= l->width(), qPrintable(what));
            }
            // A label's text runs into no other visible control beside it.
            for (QWidget* other : l->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (other == l || !other->isVisible()) continue;
                const QRect text = QStyle::alignedRect(l->layoutDirection(), l->alignment(),
                                                       QSize(qMin(l->width(), fm.horizontalAdvance(l->text())),
                                                             qMin(l->height(), fm.height())),
                                                       l->geometry());
                QVERIFY2(!text.intersects(other->geometry()),
                         qPrintable(what + " overlaps " + other->objectName()));
            }
        }
        QVERIFY(checked > 0);
    };
    for (int k = 0; k < 4; ++k) {
        QTest::mouseClick(box(mode == 2 ? "picAircraftSelection_1" : "cmdNameSelector_1"), Qt::LeftButton);
        check(QString("answer %1").arg(k + 1));
        QTest::mouseClick(box(QString("picNextQuestion_%1").arg(mode == 2 ? 0 : 1)), Qt::LeftButton);
    }
    // Held review shows the previous question's names.
    QTest::mousePress(box(QString("imgReviewQuestion_%1").arg(mode == 2 ? 0 : 1)), Qt::LeftButton);
    check("review");
    QTest::mouseRelease(box(QString("imgReviewQuestion_%1").arg(mode == 2 ? 0 : 1)), Qt::LeftButton);
}

// ------------------------------------------------------- diagnostic lists

void tst_mainwindow::listsPanelTogglesAndMarksSource() {
    startQuiz(2, -1, -1, false, true);
    QWidget* lists = child("picLists");
    QVERIFY(lists->isHidden());
    window_->Command1_Click();
    QVERIFY(!lists->isHidden());
    QCOMPARE(lists->pos(), QPoint(0, 0));
    // Five active aircraft without pairs or sets: the easy list.
    auto* easy = child<QListWidget>("lstEasyPartners");
    QCOMPARE(easy->count(), 4);
    QCOMPARE(easy->palette().color(QPalette::Base), kYellow);
    QCOMPARE(child<QListWidget>("lstActiveFolders")->palette().color(QPalette::Base), kWhite);
    QCOMPARE(child<QListWidget>("lstAircraftFolders")->count(), 5);
    QCOMPARE(child<QListWidget>("lstCorrectAnswer")->count(), 1);
    window_->Command1_Click();
    QVERIFY(lists->isHidden());
}

// ------------------------------------------------------------- bad input

void tst_mainwindow::aircraftWithoutPicturesOrBrokenOnes() {
    Plane empty{"B"};
    empty.photos = 0;
    Plane broken{"C"};
    broken.brokenPhotos = true;
    catalogue_ = std::make_unique<quiztest::Catalogue>(QVector<Plane>{{"A"}, empty, broken});
    startQuiz(2, -1, -1, false, false);
    const quiz::QuestionRecords& r = window_->records();
    // Every question: a slot whose aircraft has no photograph, or one that
    // does not decode, shows the unavailable face, never the picture the
    // slot showed before.
    // The slots that do not show what they should; empty when all do.
    const auto wrongSlots = [&] {
        QString wrong;
        const QStringList* answers[3] = {&r.lstAnswerA, &r.lstAnswerB, &r.lstAnswerC};
        for (int slot = 0; slot < 3; ++slot) {
            const QString folder = answers[slot]->last().section('!', 0, 0);
            const QImage shown = box(QString("picAircraftSelection_%1").arg(slot))->picture();
            const bool right = folder == "A" ? catalogue_->folderShownBy(shown) == "A"
                                             : shown == data::PictureUnavailableFace();
            if (!right) wrong += QString(" slot %1 (%2)").arg(slot).arg(folder);
        }
        return wrong;
    };
    for (int k = 0; k < 12; ++k) {
        QVERIFY2(wrongSlots().isEmpty(), qPrintable(QString("question %1:").arg(k + 1) + wrongSlots()));
        clickSlot(k % 3);
    }
    QVERIFY2(wrongSlots().isEmpty(), qPrintable(wrongSlots()));
    QCOMPARE(r.lstCorrectAnswer.size(), 13);
    QCOMPARE(r.lstUsersInput.size(), 12);
    // The aircraft without photographs is recorded with picture number 0.
    for (const QStringList* list : {&r.lstAnswerA, &r.lstAnswerB, &r.lstAnswerC})
        for (const QString& e : *list)
            if (e.startsWith("B!")) QCOMPARE(e, QString("B!0"));
    // The window keeps going.
    QVERIFY(window_->isQuizInProgress());
}

// ------------------------------------------------------------- keyboard

// From the play item, which has the focus when the window opens: the keys
// pressed and the item that has the focus afterwards. Items 1 and 2 lead
// nowhere in this build and are passed over.
void tst_mainwindow::menuKeyboard_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("focused");
    QTest::newRow("start") << QList<int>{} << 3;
    QTest::newRow("down") << QList<int>{Qt::Key_Down} << 4;
    QTest::newRow("down wraps to the top") << QList<int>{Qt::Key_Down, Qt::Key_Down} << 0;
    QTest::newRow("down passes dimmed items") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << 3;
    QTest::newRow("up passes dimmed items") << QList<int>{Qt::Key_Up} << 0;
    QTest::newRow("up wraps to the bottom") << QList<int>{Qt::Key_Up, Qt::Key_Up} << 4;
    QTest::newRow("right and left") << QList<int>{Qt::Key_Right, Qt::Key_Left, Qt::Key_Left} << 0;
    QTest::newRow("tab") << QList<int>{Qt::Key_Tab} << 4;
    QTest::newRow("tab round") << QList<int>{Qt::Key_Tab, Qt::Key_Tab} << 0;
    QTest::newRow("shift tab") << QList<int>{Qt::Key_Backtab} << 0;
}

void tst_mainwindow::menuKeyboard() {
    QFETCH(QList<int>, keys);
    QFETCH(int, focused);
    makeWindow();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box("imgMenuItem_3")));
    for (int key : keys) QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    PictureBox* item = box(QString("imgMenuItem_%1").arg(focused));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(item));
    // The user sees where the focus is: a ring round the item, and its
    // face under the mouse; the other items show neither.
    QTRY_COMPARE(item->grab().toImage().pixelColor(1, item->height() / 2), PictureBox::focusRingColor());
    QCOMPARE(item->picture(), box(QString("imgMenuItem_%1").arg(focused + 5))->picture());
    for (int i = 0; i < 5; ++i) {
        if (i == focused) continue;
        PictureBox* other = box(QString("imgMenuItem_%1").arg(i));
        QVERIFY(other->grab().toImage().pixelColor(1, other->height() / 2) != PictureBox::focusRingColor());
        QCOMPARE(other->picture(), box(QString("imgMenuItem_%1").arg(i + 10))->picture());
    }
}

void tst_mainwindow::menuEnterOpensTheFocusedItem_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("upPresses");
    QTest::addColumn<QString>("opened");
    QTest::newRow("Enter on play") << int(Qt::Key_Return) << 0 << "frmSkyrendelGameSelector";
    QTest::newRow("keypad Enter on play") << int(Qt::Key_Enter) << 0 << "frmSkyrendelGameSelector";
    QTest::newRow("Space on play") << int(Qt::Key_Space) << 0 << "frmSkyrendelGameSelector";
    QTest::newRow("Enter on the questions") << int(Qt::Key_Return) << 1 << "frmSkyrendelFAQ";
    QTest::newRow("Enter on exit") << int(Qt::Key_Return) << 2 << "exit";
    QTest::newRow("a letter opens nothing") << int(Qt::Key_A) << 0 << "";
}

void tst_mainwindow::menuEnterOpensTheFocusedItem() {
    QFETCH(int, key);
    QFETCH(int, upPresses);
    QFETCH(QString, opened);
    makeWindow();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTRY_VERIFY(QApplication::focusWidget() == box("imgMenuItem_3"));
    for (int k = 0; k < upPresses; ++k) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    if (opened == "exit") {
        QVERIFY_THROWS_EXCEPTION(ProcessExited, QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)));
        QCOMPARE(fake_->process.exitCodes, QVector<int>{0});
        return;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(modalsSeen_, opened.isEmpty() ? QStringList{} : QStringList{opened});
    QVERIFY(fake_->process.exitCodes.isEmpty());
}

// ------------------------------------------------------ start-up procedures

// Whatever a window showed before, InitMainWindow empties the answer
// pictures, loads the stored choices into both check boxes, puts the
// learning heading in its corner, hides the learning panel and paints the
// tab covers white.
void tst_mainwindow::initMainWindowPreparesControls() {
    makeWindow();
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    for (const QString& n : {"picAircraftSelection_0", "picAircraftSelection_3", "imgAircraftNameForPicSelection",
                             "cmdNameSelector_2"})
        box(n)->setPicture(red);
    child("imgLearningMode")->move(40, 30);
    window_->learningPanel()->show();
    for (const char* n : {"TabCover_0", "TabCover_1"}) {
        QPalette pal = child(n)->palette();
        pal.setColor(QPalette::Window, Qt::black);
        child(n)->setPalette(pal);
    }
    SaveAppSetting("AutoAdvance", "FALSE");
    SaveAppSetting("PlaySound", "TRUE");
    for (int c = 0; c < 2; ++c) {
        child<QCheckBox>(QString("chkAutoAdvance_%1").arg(c))->setChecked(true);
        child<QCheckBox>(QString("chkPlaySound_%1").arg(c))->setChecked(false);
    }

    window_->InitMainWindow();

    for (int i = 0; i < 4; ++i) QVERIFY(!box(QString("picAircraftSelection_%1").arg(i))->hasPicture());
    for (int i = 0; i < 3; ++i) QVERIFY(!box(QString("cmdNameSelector_%1").arg(i))->hasPicture());
    QVERIFY(!box("imgAircraftNameForPicSelection")->hasPicture());
    for (int c = 0; c < 2; ++c) {
        QVERIFY(!child<QCheckBox>(QString("chkAutoAdvance_%1").arg(c))->isChecked());
        QVERIFY(child<QCheckBox>(QString("chkPlaySound_%1").arg(c))->isChecked());
    }
    QCOMPARE(child("imgLearningMode")->pos(), QPoint(0, 0));
    QVERIFY(window_->learningPanel()->isHidden());
    for (const char* n : {"TabCover_0", "TabCover_1"})
        QCOMPARE(child(n)->grab().toImage().pixelColor(0, 0), kWhite);
}

// The three panels 8 pixels inside the window on every side and hidden;
// every mark at the place of mark 0 in its own frame; the names hidden.
void tst_mainwindow::arrangePanelsPlacesPanelsAndMarks() {
    makeWindow();
    for (const char* n : {"picLearningMode", "picChallengeMode", "picChallengeMode2"}) {
        child(n)->setGeometry(0, 0, 10, 10);
        child(n)->show();
    }
    for (int i = 1; i < 3; ++i)
        for (const char* m : {"shpO_%1", "shpX1_%1", "shpX2_%1"}) {
            child(QString(m).arg(i))->setGeometry(1, 2, 3, 4);
            child(QString(m).arg(i))->show();
        }
    label("lblAircraftLabel_1")->show();

    window_->ArrangePanels();

    const QRect inner = window_->rect().adjusted(8, 8, -8, -8);
    for (const char* n : {"picLearningMode", "picChallengeMode", "picChallengeMode2"}) {
        QCOMPARE(child(n)->geometry(), inner);
        QVERIFY(child(n)->isHidden());
    }
    for (int i = 0; i < 3; ++i)
        for (const char* m : {"shpO_%1", "shpX1_%1", "shpX2_%1"}) {
            QWidget* mark = child(QString(m).arg(i));
            QCOMPARE(mark->geometry(), child(QString(m).arg(0))->geometry());
            QVERIFY(mark->isHidden());
            QCOMPARE(mark->parentWidget(), child(QString("picOuterChoice_%1").arg(i)));
        }
    for (int i = 0; i < 4; ++i) QVERIFY(label(QString("lblAircraftLabel_%1").arg(i))->isHidden());
    // The marks sit inside their frame.
    QVERIFY(child("picOuterChoice_0")->rect().contains(child("shpX1_0")->geometry()));
}

// After a click on a tab head, that head lies over the other where they
// meet, and its cover lies over both heads and the page's edge.
void tst_mainwindow::tabHeadsAndCoversStackOverTheirPage_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::newRow("page 1") << QList<int>{1};
    QTest::newRow("page 1, back to 0") << QList<int>{1, 0};
    QTest::newRow("page 0, 1, 0, 1") << QList<int>{0, 1, 0, 1};
}

void tst_mainwindow::tabHeadsAndCoversStackOverTheirPage() {
    QFETCH(QList<int>, clicks);
    makeWindow();
    setGame(1, -1, -1, false, false);
    window_->StartGame();
    QWidget* panel = window_->learningPanel();
    for (int t : clicks) QTest::mouseClick(box(QString("TopTab_%1").arg(t)), Qt::LeftButton);
    const int t = clicks.last();
    const int o = 1 - t;
    QVERIFY(!window_->learningPage(t)->isHidden());
    QVERIFY(window_->learningPage(o)->isHidden());
    QWidget* head = child(QString("TopTab_%1").arg(t));
    QWidget* other = child(QString("TopTab_%1").arg(o));
    QWidget* cover = child(QString("TabCover_%1").arg(t));
    // Where the two heads meet, the chosen one is on top.
    const QRect meet = head->geometry().intersected(other->geometry());
    if (!meet.isEmpty()) QCOMPARE(panel->childAt(meet.center()), head);
    // The whole cover is on top: over its head and the page's edge.
    const QRect c = cover->geometry();
    for (const QPoint& p : {c.topLeft(), c.bottomRight(), c.center(), QPoint(c.right(), c.top())})
        QCOMPARE(panel->childAt(p), cover);
    // The other cover lies under the chosen page, where it meets the page.
    QWidget* page = window_->learningPage(t);
    const QRect otherCover = child(QString("TabCover_%1").arg(o))->geometry();
    const QPoint onPage(otherCover.center().x(), page->geometry().top() + 1);
    QVERIFY(otherCover.contains(onPage));
    QWidget* seen = panel->childAt(onPage);
    QVERIFY2(seen == page || page->isAncestorOf(seen), qPrintable(seen ? seen->objectName() : QString("nothing")));
}

// The offscreen platform's screen is 800 pixels wide unless it is told
// otherwise; the main window is wider, and the mouse only reaches what lies
// on a screen. Give the tests a screen of 1600x1200.
int main(int argc, char** argv) {
    QTemporaryDir screenDir;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screenDir.isValid()) {
        const QString config = screenDir.filePath("screen.json");
        QFile f(config);
        if (f.open(QIODevice::WriteOnly))
            f.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1600, "height": 1200,
                        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        f.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_mainwindow tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_mainwindow.moc"
