// What a made-up history says: accuracy per quiz and per aircraft set, the
// aircraft worst first with their trends, the confusion counts and the CSV.
#include "progress/stats.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky::progress;

namespace {

// "quiz correct chosen" per answer; right when chosen equals correct.
QVector<AnswerRecord> History(const QStringList& lines) {
    QVector<AnswerRecord> out;
    int n = 0;
    for (const QString& line : lines) {
        const QStringList p = line.split(' ');
        AnswerRecord r;
        r.quizId = p[0].toLongLong();
        r.answeredAt = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC).addSecs(60 * n++);
        r.correct = p[1];
        r.chosen = p[2];
        r.right = p[1] == p[2];
        out << r;
    }
    return out;
}

const QStringList kHistory = {
    "10 A320 B738", "10 A320 A320", "10 B738 B738", "10 ATR72 DH8",
    "20 A320 B738", "20 A320 B738", "20 B738 A320", "20 DH8 DH8",
    "30 A320 A320", "30 A320 B738", "30 B738 B738", "30 GONE A320", "30 ATR72 ATR72",
};

} // namespace

class tst_progressstats : public QObject {
    Q_OBJECT
private slots:
    void accuracyPerQuiz();
    void accuracyPerSet();
    void aircraftWorstFirst();
    void trend_data();
    void trend();
    void confusionCounts();
    void ordering_data();
    void ordering();
    void confusionSentence_data();
    void confusionSentence();
    void emptyHistory();
    void csv();
    void csvExportReplacesByRename();
    void csvExportToAFolderThatCannotTakeItFails();
};

void tst_progressstats::accuracyPerQuiz() {
    // Quiz 20 listed first on purpose: points come oldest quiz first.
    QVector<AnswerRecord> h = History(kHistory);
    std::rotate(h.begin(), h.begin() + 4, h.begin() + 8);
    const QVector<QuizPoint> points = AccuracyPerQuiz(h);
    QCOMPARE(points.size(), 3);
    QCOMPARE(points[0].quizId, 10);
    QCOMPARE(points[0].answered, 4);
    QCOMPARE(points[0].right, 2);
    QCOMPARE(points[1].quizId, 20);
    QCOMPARE(points[1].right, 1);
    QCOMPARE(points[2].quizId, 30);
    QCOMPARE(points[2].answered, 5);
    QCOMPARE(points[2].right, 3);
    QCOMPARE(points[2].accuracy(), 0.6);
}

void tst_progressstats::accuracyPerSet() {
    QHash<QString, QVector<bool>> sets;
    //                 USA    Europe USSR   Large  Small  Corp   PropAir PropOther
    sets["A320"] = {false, true, false, true, false, false, false, false};
    sets["B738"] = {true, false, false, true, false, false, false, false};
    sets["ATR72"] = {false, true, false, false, false, false, true, false};
    sets["DH8"] = {false, false, false, false, false, false, true, false};
    // GONE has left the catalogue: it counts in no set.
    const QVector<SetAccuracy> acc = AccuracyPerSet(History(kHistory), sets);
    QCOMPARE(acc.size(), 8);
    // A320: 6 answers, 2 right; B738: 3, 2 right; ATR72: 2, 1 right; DH8: 1, 1.
    QCOMPARE(acc[0].answered, 3); // USA: B738
    QCOMPARE(acc[0].right, 2);
    QCOMPARE(acc[1].answered, 8); // Europe: A320 + ATR72
    QCOMPARE(acc[1].right, 3);
    QCOMPARE(acc[3].answered, 9); // Large: A320 + B738
    QCOMPARE(acc[3].right, 4);
    QCOMPARE(acc[6].answered, 3); // Prop airline: ATR72 + DH8
    QCOMPARE(acc[6].right, 2);
    QCOMPARE(acc[2].answered, 0);
    QCOMPARE(acc[2].accuracy(), 0.0);
}

void tst_progressstats::aircraftWorstFirst() {
    const QVector<AircraftStat> s = AircraftWorstFirst(History(kHistory));
    QStringList order;
    for (const AircraftStat& a : s) order << a.folder;
    // GONE 0/1, A320 2/6, ATR72 1/2, B738 2/3, DH8 1/1.
    QCOMPARE(order, QStringList({"GONE", "A320", "ATR72", "B738", "DH8"}));
    QCOMPARE(s[1].answered, 6);
    QCOMPARE(s[1].right, 2);
}

void tst_progressstats::trend_data() {
    QTest::addColumn<QString>("answers"); // 1 right, 0 wrong, oldest first
    QTest::addColumn<double>("trend");
    QTest::newRow("one answer") << "1" << 0.0;
    QTest::newRow("wrong then right") << "01" << 1.0;
    QTest::newRow("right then wrong") << "10" << -1.0;
    QTest::newRow("improving") << "0011" << 1.0;
    QTest::newRow("odd count, middle goes earlier") << "001" << 1.0;
    QTest::newRow("steady") << "1010" << 0.0;
    QTest::newRow("slipping") << "11101" << (0.5 - 1.0);
}

void tst_progressstats::trend() {
    QFETCH(QString, answers);
    QFETCH(double, trend);
    QStringList lines;
    for (QChar c : answers) lines << (c == '1' ? "1 X X" : "1 X Y");
    const QVector<AircraftStat> s = AircraftWorstFirst(History(lines));
    QCOMPARE(s.size(), 1);
    QCOMPARE(s[0].trend, trend);
}

void tst_progressstats::confusionCounts() {
    const QVector<Confusion> c = ConfusionPairs(History(kHistory));
    QCOMPARE(c.size(), 4);
    QCOMPARE(c[0].correct, QString("A320"));
    QCOMPARE(c[0].chosen, QString("B738"));
    QCOMPARE(c[0].count, 4);
    // Directions are counted apart; ties by folder.
    QCOMPARE(c[1].correct, QString("ATR72"));
    QCOMPARE(c[1].chosen, QString("DH8"));
    QCOMPARE(c[2].correct, QString("B738"));
    QCOMPARE(c[2].chosen, QString("A320"));
    QCOMPARE(c[3].correct, QString("GONE"));
    for (const Confusion& x : c) QCOMPARE(x.count, x.correct == "A320" ? 4 : 1);
}

// Order is by the numbers, never by the folders' names alone.
void tst_progressstats::ordering_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("confusions"); // "correct>chosen:count", most first
    QTest::addColumn<QStringList>("worstFirst");
    QTest::newRow("most frequent pair sorts last by name")
        << QStringList{"1 A B", "1 Z Y", "1 Z Y", "1 Z Y", "1 A A", "1 Z Z"}
        << QStringList{"Z>Y:3", "A>B:1"} << QStringList{"Z", "A"};
    QTest::newRow("equal accuracy: more answers first")
        << QStringList{"1 A B", "1 A A", "1 Z Y", "1 Z Y", "1 Z Z", "1 Z Z"}
        << QStringList{"Z>Y:2", "A>B:1"} << QStringList{"Z", "A"};
    QTest::newRow("equal in everything: by folder")
        << QStringList{"1 M N", "1 C D", "1 M M", "1 C C"} << QStringList{"C>D:1", "M>N:1"}
        << QStringList{"C", "M"};
}

void tst_progressstats::ordering() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, confusions);
    QFETCH(QStringList, worstFirst);
    QStringList gotConfusions, gotAircraft;
    for (const Confusion& c : ConfusionPairs(History(lines)))
        gotConfusions << c.correct + ">" + c.chosen + ":" + QString::number(c.count);
    for (const AircraftStat& a : AircraftWorstFirst(History(lines))) gotAircraft << a.folder;
    QCOMPARE(gotConfusions, confusions);
    QCOMPARE(gotAircraft, worstFirst);
}

void tst_progressstats::confusionSentence_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("6") << 6 << "You took the Airbus A320 for a Boeing 737-800 6 times";
    QTest::newRow("1") << 1 << "You took the Airbus A320 for a Boeing 737-800 once";
    QTest::newRow("2") << 2 << "You took the Airbus A320 for a Boeing 737-800 twice";
}

void tst_progressstats::confusionSentence() {
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(ConfusionSentence("Airbus A320", "Boeing 737-800", count), text);
}

void tst_progressstats::emptyHistory() {
    QVERIFY(AccuracyPerQuiz({}).isEmpty());
    QVERIFY(AircraftWorstFirst({}).isEmpty());
    QVERIFY(ConfusionPairs({}).isEmpty());
    QCOMPARE(HistoryCsv({}).count("\r\n"), 1);
}

void tst_progressstats::csv() {
    QVector<AnswerRecord> h = History({"7 A320 B738"});
    h[0].distractor1 = "B738";
    h[0].distractor2 = "Fokker, \"100\"";
    h[0].picture = 4;
    h[0].gameMode = 3;
    h[0].hard = true;
    AnswerRecord evil = h[0];
    evil.correct = "=HYPERLINK(\"x\")";
    h << evil;
    const QStringList lines = HistoryCsv(h).split("\r\n");
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString("quiz,answered at,game mode,hard,captain's challenge,correct,chosen,distractor 1,"
                               "distractor 2,picture,right"));
    QCOMPARE(lines[1], QString("7,2026-01-01T00:00:00Z,3,yes,no,A320,B738,B738,\"Fokker, \"\"100\"\"\",4,no"));
    QVERIFY2(lines[2].contains(",\"'=HYPERLINK(\"\"x\"\")\","), qPrintable(lines[2]));
    QCOMPARE(lines[3], QString());
}

void tst_progressstats::csvExportReplacesByRename() {
    QTemporaryDir dir;
    const QString path = dir.filePath("history.csv");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'x'));
    }
    QString error;
    QVERIFY(ExportHistoryCsv(History(kHistory), path, &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    QCOMPARE(all, HistoryCsv(History(kHistory)).toUtf8());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"history.csv"});
}

void tst_progressstats::csvExportToAFolderThatCannotTakeItFails() {
    QTemporaryDir dir;
    QString error;
    QVERIFY(!ExportHistoryCsv(History(kHistory), dir.filePath("missing/folder/history.csv"), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(tst_progressstats)
#include "tst_progressstats.moc"
