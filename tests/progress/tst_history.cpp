// The answer history: written as each answer is given (the rows match what
// the user saw and clicked), created on first use in an older user
// database, and left alone by the synchronisation.
#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "data/sync.h"
#include "game/gamesettings.h"
#include "progress/history.h"
#include "progress/recorder.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "quiz/quizfixture.h"
#include "shell/appstate.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"

#include <QDialog>
#include <QTimer>
#include <QtTest>

using namespace sky;
using namespace sky::progress;
using quiztest::Plane;

class tst_history : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rowsOfAQuizMatchWhatTheUserSawAndChose_data();
    void rowsOfAQuizMatchWhatTheUserSawAndChose();
    void recordOfQuestion_data();
    void recordOfQuestion();
    void olderUserDatabaseGainsTheTableOnFirstUse();
    void synchronisationLeavesTheHistoryAlone();
    void unwritableHistoryDoesNotStopTheQuiz();
    void focusedQuizDrillsTheUsersConfusions_data();
    void focusedQuizDrillsTheUsersConfusions();

private:
    QTemporaryDir config_;
    std::unique_ptr<FakePlatform> fake_;
    QTimer modalWatcher_;
    QStringList modalsSeen_;
};

void tst_history::initTestCase() {
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    SetAppTitleLive(QStringLiteral("SkyrendelHistoryTest"));
    AppTitle = QStringLiteral("SkyrendelHistoryTest");
    modalWatcher_.setInterval(5);
    connect(&modalWatcher_, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("seen").toBool()) return;
        dialog->setProperty("seen", true);
        modalsSeen_ << dialog->objectName();
        dialog->reject();
    });
    modalWatcher_.start();
}

void tst_history::init() {
    fake_ = std::make_unique<FakePlatform>();
    fake_->random.reseed(11);
    modalsSeen_.clear();
    SaveAppSetting("AutoAdvance", "TRUE");
    SaveAppSetting("PlaySound", "FALSE");
    game::FocusOnWeakSpots = false;
}

void tst_history::cleanup() { fake_.reset(); }

void tst_history::rowsOfAQuizMatchWhatTheUserSawAndChose_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("immediate");
    QTest::addColumn<bool>("hard");
    QTest::newRow("pictures, graded at the end, easy") << 2 << false << false;
    QTest::newRow("names, graded at once, hard") << 3 << true << true;
}

// Two quizzes played by clicking: every answer is a row, in order, whose
// correct aircraft is the one the large picture showed and whose chosen
// aircraft is the one the clicked slot showed.
void tst_history::rowsOfAQuizMatchWhatTheUserSawAndChose() {
    QFETCH(int, mode);
    QFETCH(bool, immediate);
    QFETCH(bool, hard);
    quiztest::Catalogue catalogue({{"A", {3}}, {"B", {3}}, {"C", {3}}, {"D"}, {"E"}, {"F"}});
    QDateTime clock = QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
    HistoryRecorder recorder([&clock] {
        clock = clock.addSecs(7);
        return clock;
    });
    recorder.install();
    quiz::frmSkyrendelMainMenu window;
    window.InitMainWindow();
    window.ArrangePanels();
    window.ResetRollovers();
    window.show();

    struct Seen {
        QString correct, chosen;
    };
    QVector<Seen> seen;
    QVector<int> quizSizes = {5, 3};
    for (int quiz = 0; quiz < quizSizes.size(); ++quiz) {
        game::GameMode = static_cast<std::int16_t>(mode);
        game::TimeLimitSeconds = -1;
        game::QuestionLimit = quizSizes[quiz];
        game::IsHardDifficulty = hard;
        game::GradeImmediately = immediate;
        game::IsCaptainsChallenge = false;
        window.StartGame();
        for (int k = 0; k < quizSizes[quiz]; ++k) {
            const int slot = (k * 2 + quiz) % 3;
            auto* big = window.findChild<PictureBox*>("picAircraftSelection_3");
            auto* clicked = window.findChild<PictureBox*>(
                QString(mode == 2 ? "picAircraftSelection_%1" : "picAircraftSelection_%1").arg(slot));
            QVERIFY(big && clicked);
            seen.push_back({catalogue.folderShownBy(big->picture()), catalogue.folderShownBy(clicked->picture())});
            QWidget* target = mode == 2 ? static_cast<QWidget*>(clicked)
                                        : window.findChild<QWidget*>(QString("cmdNameSelector_%1").arg(slot));
            QVERIFY(target);
            QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        }
        QTRY_VERIFY(!window.isQuizInProgress());
    }

    const QVector<AnswerRecord> rows = ReadHistory(*db::UserDB());
    QCOMPARE(rows.size(), seen.size());
    QSet<qint64> quizIds;
    int rightCount = 0;
    for (int i = 0; i < rows.size(); ++i) {
        const AnswerRecord& r = rows[i];
        QCOMPARE(r.correct, seen[i].correct);
        QCOMPARE(r.chosen, seen[i].chosen);
        QCOMPARE(r.right, seen[i].correct == seen[i].chosen);
        rightCount += r.right;
        QCOMPARE(r.gameMode, mode);
        QCOMPARE(r.hard, hard);
        QVERIFY(!r.captains);
        // The distractors are the two other aircraft shown, neither the
        // correct one.
        QVERIFY(!r.distractor1.isEmpty() && !r.distractor2.isEmpty());
        QVERIFY(r.distractor1 != r.correct && r.distractor2 != r.correct && r.distractor1 != r.distractor2);
        QVERIFY(r.right || r.chosen == r.distractor1 || r.chosen == r.distractor2);
        QVERIFY(r.picture >= 0 && r.picture < 2);
        QVERIFY(r.answeredAt.isValid());
        if (i > 0) QVERIFY(r.answeredAt > rows[i - 1].answeredAt);
        quizIds << r.quizId;
    }
    QCOMPARE(quizIds.size(), 2);
    QCOMPARE(rows[0].quizId, rows[4].quizId);
    QCOMPARE(rows[5].quizId, rows[7].quizId);
    QVERIFY(rows[5].quizId > rows[0].quizId);
    // The last quiz's rows agree with its score.
    QCOMPARE(int(std::count_if(rows.begin() + 5, rows.end(), [](const AnswerRecord& r) { return r.right; })),
             window.records().CorrectCount);
    QCOMPARE(modalsSeen_, QStringList({"frmSkyrendelResults", "frmSkyrendelResults"}));
}

void tst_history::recordOfQuestion_data() {
    QTest::addColumn<QStringList>("a");
    QTest::addColumn<QStringList>("b");
    QTest::addColumn<QStringList>("c");
    QTest::addColumn<QStringList>("correct");
    QTest::addColumn<QStringList>("users");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("expected"); // correct, chosen, d1, d2, picture, right
    QTest::newRow("right on B") << QStringList{"X!1"} << QStringList{"Y!3"} << QStringList{"Z!0"}
                                << QStringList{"B!3"} << QStringList{"B"} << 0
                                << QStringList{"Y", "Y", "X", "Z", "3", "1"};
    QTest::newRow("took A for C") << QStringList{"X!1", "P!0"} << QStringList{"Y!3", "Q!2"}
                                  << QStringList{"Z!0", "R!1"} << QStringList{"B!3", "A!0"}
                                  << QStringList{"B", "c"} << 1 << QStringList{"P", "R", "Q", "R", "0", "0"};
    QTest::newRow("correct on C, picture 12") << QStringList{"X!4"} << QStringList{"Y!7"} << QStringList{"Z!12"}
                                              << QStringList{"C!12"} << QStringList{"A"} << 0
                                              << QStringList{"Z", "X", "X", "Y", "12", "0"};
    QTest::newRow("unanswered question") << QStringList{"X!1"} << QStringList{"Y!3"} << QStringList{"Z!0"}
                                         << QStringList{"B!3"} << QStringList{} << 0
                                         << QStringList{"", "", "", "", "0", "0"};
    QTest::newRow("folder with blanks and a quote") << QStringList{" O'Neil !1"} << QStringList{"Y!3"}
                                                    << QStringList{"Z!0"} << QStringList{"A!1"}
                                                    << QStringList{"A"} << 0
                                                    << QStringList{"O'Neil", "O'Neil", "Y", "Z", "1", "1"};
}

void tst_history::recordOfQuestion() {
    QFETCH(QStringList, a);
    QFETCH(QStringList, b);
    QFETCH(QStringList, c);
    QFETCH(QStringList, correct);
    QFETCH(QStringList, users);
    QFETCH(int, index);
    QFETCH(QStringList, expected);
    quiz::QuestionRecords q;
    q.lstAnswerA = a;
    q.lstAnswerB = b;
    q.lstAnswerC = c;
    q.lstCorrectAnswer = correct;
    q.lstUsersInput = users;
    const AnswerRecord r = RecordOfQuestion(q, index);
    QCOMPARE(r.correct, expected[0]);
    QCOMPARE(r.chosen, expected[1]);
    QCOMPARE(r.distractor1, expected[2]);
    QCOMPARE(r.distractor2, expected[3]);
    QCOMPARE(r.picture, expected[4].toInt());
    QCOMPARE(r.right, expected[5] == "1");
}

// A user database made before the history existed has no table: reading
// gives nothing, the first answer creates it, and text with quotes and
// blanks survives the trip.
void tst_history::olderUserDatabaseGainsTheTableOnFirstUse() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    db::Connection& user = *db::UserDB();
    QVERIFY(!db::HasAnswerHistoryTable(user));
    QVERIFY(ReadHistory(user).isEmpty());
    QVERIFY(!db::HasAnswerHistoryTable(user)); // reading creates nothing

    AnswerRecord r;
    r.quizId = 1767225600123;
    r.answeredAt = QDateTime(QDate(2026, 1, 1), QTime(0, 0, 1, 250), Qt::UTC);
    r.gameMode = 3;
    r.hard = true;
    r.captains = true;
    r.correct = "O'Hare's 737";
    r.chosen = "A320 \"neo\"";
    r.distractor1 = "A320 \"neo\"";
    r.distractor2 = "x' OR '1'='1";
    r.picture = 17;
    r.right = false;
    AppendAnswer(user, r);
    QVERIFY(db::HasAnswerHistoryTable(user));
    AnswerRecord s = r;
    s.right = true;
    s.chosen = s.correct;
    AppendAnswers(user, {s, s});
    const QVector<AnswerRecord> rows = ReadHistory(user);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], r);
    QCOMPARE(rows[1], s);
    QCOMPARE(rows[2], s);
}

// Rows for an aircraft that leaves the catalogue stay, and the whole table
// is the same after the synchronisation as before.
void tst_history::synchronisationLeavesTheHistoryAlone() {
    quiztest::Catalogue catalogue({{"A"}, {"B"}, {"C"}, {"D"}}, {{"A", "D", true}});
    db::Connection& user = *db::UserDB();
    AnswerRecord r;
    r.quizId = 5;
    r.answeredAt = QDateTime(QDate(2026, 2, 2), QTime(10, 0), Qt::UTC);
    r.gameMode = 2;
    r.correct = "D";
    r.chosen = "A";
    r.distractor1 = "A";
    r.distractor2 = "B";
    AnswerRecord s = r;
    s.correct = "A";
    s.chosen = "A";
    s.right = true;
    AppendAnswers(user, {r, s, r});
    const QStringList before = fixtures::DumpTable(user, "ANSWERHISTORY");
    db::StaticDB()->Execute("DELETE * FROM AIRCRAFT WHERE FOLDER='D'");
    data::SynchronizeUserDataWithStaticDB();
    data::SynchronizeUserDataWithStaticDB();
    // D has left the user's aircraft ...
    db::Recordset rs;
    rs.Open("SELECT FOLDER FROM AIRCRAFT WHERE TRIM(FOLDER)='D'", user);
    QVERIFY(rs.eof());
    rs.close();
    // ... but not the history.
    QCOMPARE(fixtures::DumpTable(user, "ANSWERHISTORY"), before);
    QCOMPARE(ReadHistory(user).size(), 3);
}

// When the history cannot be written the quiz still counts the answer.
void tst_history::unwritableHistoryDoesNotStopTheQuiz() {
    quiztest::Catalogue catalogue({{"A"}, {"B"}, {"C"}, {"D"}});
    HistoryRecorder recorder;
    recorder.install();
    db::Connection::SetStatementHook([](const QString& s) {
        if (s.contains("ANSWERHISTORY") && s.startsWith("INSERT")) throw SkyError(8, "attempt to write a readonly database");
    });
    quiz::frmSkyrendelMainMenu window;
    window.InitMainWindow();
    window.ArrangePanels();
    window.show();
    game::GameMode = 2;
    game::TimeLimitSeconds = -1;
    game::QuestionLimit = 2;
    game::IsHardDifficulty = false;
    game::GradeImmediately = false;
    game::IsCaptainsChallenge = false;
    window.StartGame();
    for (int k = 0; k < 2; ++k) {
        auto* slot = window.findChild<PictureBox*>("picAircraftSelection_1");
        QTest::mouseClick(slot, Qt::LeftButton, {}, slot->rect().center());
    }
    db::Connection::SetStatementHook({});
    QCOMPARE(window.records().lstUsersInput, QStringList({"B", "B"}));
    QVERIFY(ReadHistory(*db::UserDB()).isEmpty());
    // The model still learnt from both answers.
    int counted = 0;
    for (const QString& f : {"A", "B", "C", "D"}) counted += recorder.model().boxOf(f) != FocusModel::kStartBox;
    QVERIFY(counted >= 1);
}

void tst_history::focusedQuizDrillsTheUsersConfusions_data() {
    QTest::addColumn<bool>("focus");
    QTest::newRow("option on") << true;
    QTest::newRow("option off") << false;
}

// A user who took C for F again and again: with the option on, the quiz on
// screen offers F every time it asks C; with the option off, F (no
// look-alike of C in the catalogue) seldom comes up with it.
void tst_history::focusedQuizDrillsTheUsersConfusions() {
    QFETCH(bool, focus);
    // C's own look-alikes (the large jets) would otherwise come first.
    quiztest::Catalogue catalogue({{"A", {3}}, {"B", {3}}, {"C", {3}}, {"D", {3}}, {"E"}, {"F"}});
    QVector<AnswerRecord> past;
    for (int i = 0; i < 4; ++i) {
        AnswerRecord wrong;
        wrong.quizId = 1;
        wrong.correct = "C";
        wrong.chosen = "F";
        past << wrong;
        for (const QString& f : {"A", "B", "D", "E", "F"}) {
            AnswerRecord right;
            right.quizId = 1;
            right.correct = right.chosen = f;
            right.right = true;
            past << right;
        }
    }
    AppendAnswers(*db::UserDB(), past);
    HistoryRecorder recorder;
    recorder.install();
    quiz::frmSkyrendelMainMenu window;
    window.InitMainWindow();
    window.ArrangePanels();
    window.show();
    game::GameMode = 2;
    game::TimeLimitSeconds = -1;
    game::QuestionLimit = 60;
    game::IsHardDifficulty = false;
    game::GradeImmediately = false;
    game::IsCaptainsChallenge = false;
    game::FocusOnWeakSpots = focus;
    window.StartGame();
    int askedC = 0, withF = 0;
    for (int k = 0; k < 60; ++k) {
        // What the user sees: the name logo asked for, and the three pictures.
        QStringList shown;
        for (int s = 0; s < 3; ++s)
            shown << catalogue.folderShownBy(window.findChild<PictureBox*>(QString("picAircraftSelection_%1").arg(s))->picture());
        const QString asked = catalogue.folderShownBy(window.findChild<PictureBox*>("picAircraftSelection_3")->picture());
        if (asked == "C") {
            ++askedC;
            withF += shown.contains("F");
        }
        // Always right: C climbs back out of the first box as it is learnt.
        auto* target = window.findChild<PictureBox*>(QString("picAircraftSelection_%1").arg(shown.indexOf(asked)));
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    }
    game::FocusOnWeakSpots = false;
    if (focus) {
        QVERIFY2(askedC >= 15, qPrintable(QString::number(askedC)));
        QCOMPARE(withF, askedC);
    } else {
        QVERIFY2(askedC <= 20, qPrintable(QString::number(askedC)));
        QVERIFY2(withF < askedC, qPrintable(QString("%1 of %2").arg(withF).arg(askedC)));
    }
}

QTEST_MAIN(tst_history)
#include "tst_history.moc"
