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
    void pictureAndMenuRollovers();
    void checkBoxesFollowEachOtherAndStore();
    void storedLowerCaseTrueCountsAsOff();
    void playItemWithoutChoosingLeavesMenu();
    void playItemStartsChosenGame();
    void unavailableMenuItemsDoNothing();
    void handedInMenuItemsBecomeAvailable();
    void seeProblemLinksGiveTheAdvice();
    void learningModeShowsTabZero();
    void tabsSwitch();
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
    window_->imgGrade_MouseMove(0);
    QCOMPARE(grade->picture(), box("imgGrade_3")->picture());
    window_->ResetRollovers();
    QCOMPARE(grade->picture(), box("imgGrade_2")->picture());

    clickSlot(0);
    QCOMPARE(grade->property("Tag").toString(), QString("GRADE"));
    QCOMPARE(grade->picture(), box("imgGrade_4")->picture());
    QCOMPARE(box("imgGrade_1")->picture(), box("imgGrade_4")->picture());
    window_->imgGrade_MouseMove(0);
    QCOMPARE(grade->picture(), box("imgGrade_5")->picture());
    QVERIFY(!review->isHidden());
    window_->imgReviewQuestion_MouseMove(0);
    QCOMPARE(review->picture(), box("imgReviewQuestion_3")->picture());
    QCOMPARE(grade->picture(), box("imgGrade_4")->picture());
    window_->imgGrade_MouseMove(1);
    QCOMPARE(review->picture(), box("imgReviewQuestion_2")->picture());
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
    QTest::mouseMove(box("cmdNameSelector_1"));
    window_->cmdNameSelector_MouseMove(1);
    QCOMPARE(box("picSelectedName_1")->backColor(), kYellow);
    QCOMPARE(box("picSelectedName_0")->backColor(), kWhite);
    window_->cmdNameSelector_MouseMove(2);
    QCOMPARE(box("picSelectedName_1")->backColor(), kWhite);
    QCOMPARE(box("picSelectedName_2")->backColor(), kYellow);
    window_->ResetRollovers();
    QCOMPARE(box("picSelectedName_2")->backColor(), kWhite);

    const int wrong = (correctSlot() + 1) % 3;
    clickSlot(wrong);
    const int other = (wrong + 1) % 3;
    window_->cmdNameSelector_MouseMove(other);
    QCOMPARE(box(QString("picSelectedName_%1").arg(wrong))->backColor(), kRed);
    QCOMPARE(box(QString("picSelectedName_%1").arg(other))->backColor(), kWhite);
    window_->ResetRollovers();
    QCOMPARE(box(QString("picSelectedName_%1").arg(wrong))->backColor(), kRed);
}

void tst_mainwindow::pictureAndMenuRollovers() {
    makeWindow();
    PictureBox* play = box("imgMenuItem_3");
    PictureBox* exit = box("imgMenuItem_4");
    window_->imgMenuItem_MouseMove(3);
    QCOMPARE(play->picture(), box("imgMenuItem_8")->picture());
    QCOMPARE(exit->picture(), box("imgMenuItem_14")->picture());
    window_->imgMenuItem_MouseMove(4);
    QCOMPARE(play->picture(), box("imgMenuItem_13")->picture());
    QCOMPARE(exit->picture(), box("imgMenuItem_9")->picture());
    QTest::mouseMove(window_.get(), QPoint(5, 5));
    window_->ResetRollovers();
    QCOMPARE(exit->picture(), box("imgMenuItem_14")->picture());

    setGame(2, -1, -1, false, true);
    window_->StartGame();
    window_->picAircraftSelection_MouseMove(2);
    QCOMPARE(box("picOuterChoice_2")->backColor(), kYellow);
    QCOMPARE(box("picOuterChoice_0")->backColor(), kWhite);
    window_->picAircraftSelection_MouseMove(0);
    QCOMPARE(box("picOuterChoice_2")->backColor(), kWhite);
    QCOMPARE(box("picOuterChoice_0")->backColor(), kYellow);
    window_->picAircraftSelection_MouseMove(3);
    QCOMPARE(box("picOuterChoice_0")->backColor(), kWhite);
    window_->picNextQuestion_MouseMove(0);
    QCOMPARE(box("picNextQuestion_0")->picture(), box("picNextQuestion_3")->picture());
    // The mouse over the panel's background resets every highlight.
    window_->picAircraftSelection_MouseMove(1);
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->quizPanel(0), &move);
    QCOMPARE(box("picOuterChoice_1")->backColor(), kWhite);
    QCOMPARE(box("picNextQuestion_0")->picture(), box("picNextQuestion_2")->picture());
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

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
