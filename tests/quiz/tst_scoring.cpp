// The texts of a running quiz: score, streak and summary tags, the question
// number, the countdown, and where the sound clips are found.
#include "quiz/records.h"
#include "quiz/scoring.h"
#include "shell/appstate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky;
using namespace sky::quiz;

namespace {

// Records whose answers are right ('+') or wrong ('-') in this order.
QuestionRecords RecordsOf(const QString& answers) {
    QuestionRecords r;
    for (const QChar c : answers) {
        r.lstCorrectAnswer << "B!3";
        r.lstAnswerA << "X!0";
        r.lstAnswerB << "Y!3";
        r.lstAnswerC << "Z!1";
        r.lstUsersInput << (c == '+' ? "B" : "C");
    }
    return r;
}

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class tst_scoring : public QObject {
    Q_OBJECT
private slots:
    void score_data();
    void score();
    void questionNumber_data();
    void questionNumber();
    void isCorrectComparesFirstLetters_data();
    void isCorrectComparesFirstLetters();
    void countdown_data();
    void countdown();
    void soundPath_data();
    void soundPath();
};

void tst_scoring::score_data() {
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("streak");
    QTest::newRow("nothing answered") << "" << "0 of 0 correct.  Current streak: 0" << "" << "0 of 0 correct" << 0;
    QTest::newRow("right, wrong, right") << "+-+" << "2 of 3 (67%)  correct.  Current streak: 1" << "67%"
                                         << "2 of 3 correct" << 1;
    QTest::newRow("1 of 8: 0.125 rounds to even 12%") << "+-------" << "1 of 8 (12%)  correct.  Current streak: 0"
                                                      << "12%" << "1 of 8 correct" << 0;
    QTest::newRow("3 of 8: 0.375 rounds to even 38%") << "---+++--" << "3 of 8 (38%)  correct.  Current streak: 0"
                                                      << "38%" << "3 of 8 correct" << 0;
    QTest::newRow("7 of 8: 0.875 rounds to even 88%") << "-+++++++" << "7 of 8 (88%)  correct.  Current streak: 7"
                                                      << "88%" << "7 of 8 correct" << 7;
    QTest::newRow("all right") << "++++" << "4 of 4 (100%)  correct.  Current streak: 4" << "100%"
                               << "4 of 4 correct" << 4;
    QTest::newRow("all wrong") << "--" << "0 of 2 (0%)  correct.  Current streak: 0" << "0%" << "0 of 2 correct" << 0;
}

void tst_scoring::score() {
    QFETCH(QString, answers);
    const ScoreSummary s = ComputeScore(RecordsOf(answers), -1);
    QTEST(s.scoreText, "text");
    QTEST(s.percentTag, "percent");
    QTEST(s.countTag, "count");
    QTEST(s.streak, "streak");
    QCOMPARE(s.answered, answers.size());
    QCOMPARE(s.correct, int(answers.count('+')));
}

void tst_scoring::questionNumber_data() {
    QTest::addColumn<int>("answered");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("text");
    QTest::newRow("first, no limit") << 0 << -1 << "Question #1";
    QTest::newRow("first of 20") << 0 << 20 << "Question #1 of 20";
    QTest::newRow("a limit of 0 is none") << 4 << 0 << "Question #5";
    QTest::newRow("after the tenth of 10") << 10 << 10 << "Question #11 of 10";
}

void tst_scoring::questionNumber() {
    QFETCH(int, answered);
    QFETCH(int, limit);
    QTEST(ComputeScore(RecordsOf(QString(answered, '+')), limit).questionNofN, "text");
}

void tst_scoring::isCorrectComparesFirstLetters_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("correct");
    QTest::addColumn<bool>("right");
    QTest::newRow("same letter") << "A" << "A!12" << true;
    QTest::newRow("lower case counts") << "c" << "C!0" << true;
    QTest::newRow("other letter") << "B" << "A!0" << false;
    QTest::newRow("empty answer") << "" << "A!0" << false;
}

void tst_scoring::isCorrectComparesFirstLetters() {
    QFETCH(QString, chosen);
    QFETCH(QString, correct);
    QuestionRecords r;
    r.lstUsersInput << chosen;
    r.lstCorrectAnswer << correct;
    QTEST(r.isCorrect(0), "right");
    QVERIFY(!r.isCorrect(1));
}

void tst_scoring::countdown_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::addColumn<bool>("timeUp");
    QTest::newRow("30 minutes, first tick") << 1800 << qint64(150) << "Time Left: 30:00" << false << false;
    QTest::newRow("one second in") << 1800 << qint64(1000) << "Time Left: 29:59" << false << false;
    QTest::newRow("65 seconds left") << 1800 << qint64(1735000) << "Time Left: 01:05" << false << false;
    QTest::newRow("half a second rounds to even: 60") << 1800 << qint64(1739500) << "Time Left: 01:00" << false
                                                       << false;
    QTest::newRow("last minute is red") << 1800 << qint64(1741000) << "Time Left: 00:59" << true << false;
    QTest::newRow("0.5 s left rounds to 0: time up") << 60 << qint64(59500) << "Time Left: 00:00" << true << true;
    QTest::newRow("1.5 s left rounds to 2") << 60 << qint64(58500) << "Time Left: 00:02" << true << false;
    QTest::newRow("a late tick shows 00:00") << 60 << qint64(63000) << "Time Left: 00:00" << true << true;
}

void tst_scoring::countdown() {
    QFETCH(int, limit);
    QFETCH(qint64, elapsed);
    const Countdown c = ComputeCountdown(limit, elapsed);
    QTEST(c.text, "text");
    QTEST(c.red, "red");
    QTEST(c.timeUp, "timeUp");
}

void tst_scoring::soundPath_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("found");
    QTest::newRow("Sound first") << QStringList{"Sound/correct.wav", "Sounds/correct.wav", "correct.wav"}
                                 << "Sound/correct.wav";
    QTest::newRow("Sounds when Sound lacks the clip") << QStringList{"Sound/wrong.wav", "Sounds/correct.wav"}
                                                      << "Sounds/correct.wav";
    QTest::newRow("the data folder itself") << QStringList{"correct.wav"} << "correct.wav";
    QTest::newRow("names match regardless of case") << QStringList{"SOUND/Correct.WAV"} << "SOUND/Correct.WAV";
    QTest::newRow("none: empty") << QStringList{"Sound/wrong.wav"} << "";
}

void tst_scoring::soundPath() {
    QFETCH(QStringList, files);
    QFETCH(QString, found);
    QTemporaryDir dir;
    for (const QString& f : files) touch(dir.filePath(f));
    const QString previous = ProgramFolder;
    ProgramFolder = dir.path();
    const QString path = GetSoundPath("correct.wav");
    ProgramFolder = previous;
    QCOMPARE(path, found.isEmpty() ? QString() : dir.filePath(found));
}

QTEST_MAIN(tst_scoring)
#include "tst_scoring.moc"
