// "Focus on my weak spots": the Leitner weights, the confusion order, and
// the drawing with the option on (weighted correct aircraft, the top
// confusion as first distractor, never pairs apart) and off (exactly the
// standard drawing, draw for draw on the same seeds).
#include "data/catalog.h"
#include "data/databases.h"
#include "game/gamesettings.h"
#include "progress/focus.h"
#include "quiz/questions.h"
#include "quiz/quizfixture.h"
#include "shell/testdoubles.h"

#include <QtTest>

using namespace sky;
using namespace sky::progress;
using quiztest::Pair;
using quiztest::Plane;

namespace {

AnswerRecord Answer(const QString& correct, const QString& chosen) {
    AnswerRecord r;
    r.correct = correct;
    r.chosen = chosen;
    r.right = correct == chosen;
    return r;
}

const QStringList kAll = {"A", "B", "C", "D", "E", "F", "G", "H"};

data::CatalogLists ListsWith(const QStringList& active) {
    data::CatalogLists lists;
    for (const QString& f : kAll) {
        lists.lstAircraftFolders << f;
        lists.lstAircraftNames << quiztest::NameOf(f);
        lists.lstAircraftIsActive << (active.contains(f) ? "Y" : "N");
        if (active.contains(f)) lists.lstActiveFolders << f;
    }
    return lists;
}

// A source with fixed weights and confusions.
class FixedFocus : public quiz::FocusSource {
public:
    QHash<QString, double> weights;
    QHash<QString, QStringList> confusions;
    double weightOf(const QString& f) override { return weights.value(f, 1.0); }
    QStringList confusionsOf(const QString& f) override { return confusions.value(f); }
};

QString Key(const quiz::QuestionDraw& q) {
    return q.correctFolder + "|" + q.firstDistractor + "|" + q.secondDistractor + "|" +
           QString::number(q.correctIndex) + "|" + q.slotFolder[0] + q.slotFolder[1] + q.slotFolder[2];
}

} // namespace

class tst_focus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void leitnerWeights_data();
    void leitnerWeights();
    void confusionOrder();
    void optionOffDrawsExactlyTheStandardQuestions_data();
    void optionOffDrawsExactlyTheStandardQuestions();
    void captainsChallengeIgnoresTheFocus();
    void topConfusionIsTheFirstDistractor_data();
    void topConfusionIsTheFirstDistractor();
    void neverPairsStayApart();
    void correctAircraftFollowsTheWeights();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<quiztest::Catalogue> catalogue_;
};

void tst_focus::initTestCase() {
    fake_ = std::make_unique<FakePlatform>();
    // Sets: 3 isLargeJet, 6 isPropAirline. A and B hard; A and D never;
    // E and F never.
    catalogue_ = std::make_unique<quiztest::Catalogue>(
        QVector<Plane>{{"A", {3}}, {"B", {3}}, {"C", {3}}, {"D", {3}}, {"E", {6}}, {"F", {6}}, {"G", {6}}, {"H", {}}},
        QVector<Pair>{{"A", "B", true}, {"A", "D", false}, {"E", "F", false}});
}

void tst_focus::cleanupTestCase() {
    catalogue_.reset();
    fake_.reset();
}

void tst_focus::init() { game::FocusOnWeakSpots = false; }

void tst_focus::leitnerWeights_data() {
    QTest::addColumn<QStringList>("answers"); // "correct>chosen"
    QTest::addColumn<int>("boxOfX");
    QTest::newRow("never answered") << QStringList{} << 2;
    QTest::newRow("one miss") << QStringList{"X>Y"} << 0;
    QTest::newRow("miss then right") << QStringList{"X>Y", "X>X"} << 1;
    QTest::newRow("miss then three right") << QStringList{"X>Y", "X>X", "X>X", "X>X"} << 3;
    QTest::newRow("right answers stop at the top box") << QStringList{"X>X", "X>X", "X>X", "X>X", "X>X"} << 4;
    QTest::newRow("a miss after many right") << QStringList{"X>X", "X>X", "X>X", "X>Z"} << 0;
    QTest::newRow("others' answers leave X alone") << QStringList{"Y>Y", "Z>W", "Y>Z"} << 2;
    QTest::newRow("X chosen for another") << QStringList{"Y>X"} << 1;
    QTest::newRow("X chosen for another after many right") << QStringList{"X>X", "X>X", "Y>X"} << 1;
    QTest::newRow("X chosen for another just after a miss") << QStringList{"X>Z", "Y>X"} << 0;
}

void tst_focus::leitnerWeights() {
    QFETCH(QStringList, answers);
    QFETCH(int, boxOfX);
    FocusModel m;
    double previous = m.weightOf("X");
    for (const QString& a : answers) {
        const QStringList p = a.split('>');
        m.add(Answer(p[0], p[1]));
        // Each answer on X moves its weight the right way.
        if (p[0] == "X") {
            const double now = m.weightOf("X");
            if (p[1] == "X") QVERIFY(now <= previous && (now < previous || m.boxOf("X") == 4));
            else QVERIFY(now > previous || m.boxOf("X") == 0);
            previous = now;
        }
    }
    QCOMPARE(m.boxOf("X"), boxOfX);
    QCOMPARE(m.weightOf("X"), double(16 >> boxOfX));
}

void tst_focus::confusionOrder() {
    FocusModel m;
    m.addAll({Answer("A", "B"), Answer("A", "C"), Answer("A", "C"), Answer("A", "D"), Answer("A", "B"),
              Answer("A", "A"), Answer("A", "E"), Answer("B", "A"), Answer("B", "A"), Answer("B", "A")});
    // B and C twice each (B latest), then E and D once each (E latest);
    // then B, which was taken for A, is already listed.
    QCOMPARE(m.confusionsOf("A"), QStringList({"B", "C", "E", "D"}));
    QCOMPARE(m.confusionsOf("B"), QStringList{"A"});
    // Nobody took C for anything, but A was taken for C.
    QCOMPARE(m.confusionsOf("C"), QStringList{"A"});
    m.add(Answer("F", "C"));
    m.add(Answer("F", "C"));
    m.add(Answer("C", "G"));
    // C's own confusion first, then those taken for it, most often first.
    QCOMPARE(m.confusionsOf("C"), QStringList({"G", "F", "A"}));
    QVERIFY(m.confusionsOf("H").isEmpty());
}

void tst_focus::optionOffDrawsExactlyTheStandardQuestions_data() {
    QTest::addColumn<bool>("hard");
    QTest::addColumn<bool>("ownSource");
    QTest::newRow("easy, program's source") << false << false;
    QTest::newRow("hard, generator's own source") << true << true;
}

// 10,000 questions with a focus source present but the option off are the
// very questions drawn with no source at all, seed for seed.
void tst_focus::optionOffDrawsExactlyTheStandardQuestions() {
    QFETCH(bool, hard);
    QFETCH(bool, ownSource);
    const data::CatalogLists lists = ListsWith(kAll);
    FixedFocus focus;
    focus.weights = {{"A", 500}, {"H", 0}};
    focus.confusions = {{"A", {"C"}}, {"B", {"G"}}, {"C", {"H"}}, {"E", {"A"}}};
    QStringList standard, withSource;
    QMap<QString, int> correctCounts;
    {
        quiz::SetFocusSource(nullptr);
        fake_->random.reseed(2024);
        quiz::QuestionGenerator gen(lists, &fake_->random);
        for (int i = 0; i < 10000; ++i) {
            const quiz::QuestionDraw q = gen.draw(hard, false);
            standard << Key(q);
            ++correctCounts[q.correctFolder];
        }
    }
    {
        if (!ownSource) quiz::SetFocusSource(&focus);
        fake_->random.reseed(2024);
        quiz::QuestionGenerator gen(lists, &fake_->random);
        if (ownSource) gen.setFocusSource(&focus);
        for (int i = 0; i < 10000; ++i) withSource << Key(gen.draw(hard, false));
        quiz::SetFocusSource(nullptr);
    }
    QCOMPARE(withSource.size(), standard.size());
    for (int i = 0; i < standard.size(); ++i) QCOMPARE(withSource[i], standard[i]);
    // And that is the standard draw: the first and last aircraft of the
    // catalogue half as likely as the others (1/14 and 2/14 of 10,000).
    QVERIFY2(qAbs(correctCounts["A"] - 714) < 150, qPrintable(QString::number(correctCounts["A"])));
    QVERIFY2(qAbs(correctCounts["H"] - 714) < 150, qPrintable(QString::number(correctCounts["H"])));
    QVERIFY2(qAbs(correctCounts["D"] - 1429) < 200, qPrintable(QString::number(correctCounts["D"])));
}

void tst_focus::captainsChallengeIgnoresTheFocus() {
    const data::CatalogLists lists = ListsWith(kAll);
    FixedFocus focus;
    focus.weights = {{"C", 1000}};
    focus.confusions = {{"C", {"H"}}};
    QStringList a, b;
    game::FocusOnWeakSpots = false;
    fake_->random.reseed(99);
    quiz::QuestionGenerator plain(lists, &fake_->random);
    for (int i = 0; i < 300; ++i) a << Key(plain.draw(true, true));
    game::FocusOnWeakSpots = true;
    fake_->random.reseed(99);
    quiz::QuestionGenerator focused(lists, &fake_->random);
    focused.setFocusSource(&focus);
    for (int i = 0; i < 300; ++i) b << Key(focused.draw(true, true));
    QCOMPARE(b, a);
}

void tst_focus::topConfusionIsTheFirstDistractor_data() {
    QTest::addColumn<QString>("correct");
    QTest::addColumn<QStringList>("confusions");
    QTest::addColumn<QStringList>("active");
    QTest::addColumn<QString>("expected"); // empty: drawn as usual
    QTest::newRow("top confusion, outside every partner list") << "A" << QStringList{"H", "C"} << kAll << "H";
    QTest::newRow("top confusion is the never partner: the next one") << "A" << QStringList{"D", "G"} << kAll << "G";
    QTest::newRow("only the never partner") << "A" << QStringList{"D"} << kAll << "";
    QTest::newRow("inactive top confusion: the next one") << "E" << QStringList{"H", "C"}
                                                         << QStringList{"A", "B", "C", "D", "E", "F", "G"} << "C";
    QTest::newRow("no confusion") << "C" << QStringList{} << kAll << "";
}

void tst_focus::topConfusionIsTheFirstDistractor() {
    QFETCH(QString, correct);
    QFETCH(QStringList, confusions);
    QFETCH(QStringList, active);
    QFETCH(QString, expected);
    const data::CatalogLists lists = ListsWith(active);
    FixedFocus focus;
    for (const QString& f : kAll) focus.weights[f] = f == correct ? 1.0 : 0.0;
    focus.confusions[correct] = confusions;
    game::FocusOnWeakSpots = true;
    fake_->random.reseed(5);
    quiz::QuestionGenerator gen(lists, &fake_->random);
    gen.setFocusSource(&focus);
    QSet<QString> firsts;
    for (int i = 0; i < 200; ++i) {
        const quiz::QuestionDraw q = gen.draw(false, false);
        QCOMPARE(q.correctFolder, correct);
        if (!expected.isEmpty()) QCOMPARE(q.firstDistractor, expected);
        QVERIFY(q.secondDistractor != q.firstDistractor && q.secondDistractor != correct);
        firsts << q.firstDistractor;
        // The first distractor sits on the earlier of the two other slots.
        const int firstSlot = q.correctIndex == 0 ? 1 : 0;
        QCOMPARE(q.slotFolder[firstSlot], q.firstDistractor);
    }
    if (expected.isEmpty()) QVERIFY(firsts.size() > 1); // drawn by the table
}

// With the user's confusions pointing at the never partners, no question
// ever offers a never partner of its correct aircraft.
void tst_focus::neverPairsStayApart() {
    const data::CatalogLists lists = ListsWith(kAll);
    FocusModel model;
    for (int i = 0; i < 5; ++i) model.addAll({Answer("A", "D"), Answer("D", "A"), Answer("E", "F"), Answer("F", "E")});
    model.add(Answer("A", "C"));
    game::FocusOnWeakSpots = true;
    fake_->random.reseed(31);
    quiz::QuestionGenerator gen(lists, &fake_->random);
    gen.setFocusSource(&model);
    int aAsked = 0, aWithC = 0;
    for (int i = 0; i < 2000; ++i) {
        const quiz::QuestionDraw q = gen.draw(i % 2 == 0, false);
        // A never partner of the correct aircraft is never among its answers
        // (two distractors may still be each other's never partners, as in
        // the standard drawing).
        const QSet<QString> shown = {q.slotFolder[0], q.slotFolder[1], q.slotFolder[2]};
        static const QHash<QString, QString> never = {{"A", "D"}, {"D", "A"}, {"E", "F"}, {"F", "E"}};
        if (never.contains(q.correctFolder))
            QVERIFY2(!shown.contains(never.value(q.correctFolder)), qPrintable(Key(q)));
        if (q.correctFolder == "A") {
            ++aAsked;
            aWithC += q.firstDistractor == "C";
        }
    }
    // A, missed most, is asked often, and always against C.
    QVERIFY(aAsked > 300);
    QCOMPARE(aWithC, aAsked);
}

void tst_focus::correctAircraftFollowsTheWeights() {
    data::CatalogLists lists = ListsWith(kAll);
    FixedFocus focus;
    focus.weights = {{"A", 1}, {"B", 16}, {"C", 1}, {"D", 4}, {"E", 1}, {"F", 1}, {"G", 0}, {"H", 8}};
    game::FocusOnWeakSpots = true;
    fake_->random.reseed(77);
    quiz::QuestionGenerator gen(lists, &fake_->random);
    gen.setFocusSource(&focus);
    QMap<QString, int> counts;
    const int n = 6400;
    for (int i = 0; i < n; ++i) ++counts[gen.WeightedAircraftFolder(focus)];
    QCOMPARE(counts.value("G"), 0);
    const double total = 32;
    for (const QString& f : kAll) {
        const double expected = n * focus.weights[f] / total;
        QVERIFY2(qAbs(counts.value(f) - expected) < 4 * std::sqrt(expected + 1) + 5,
                 qPrintable(f + ": " + QString::number(counts.value(f)) + " vs " + QString::number(expected)));
    }
    // An inactive aircraft is never drawn, whatever its weight.
    lists = ListsWith({"A", "C", "D"});
    quiz::QuestionGenerator few(lists, &fake_->random);
    for (int i = 0; i < 300; ++i) QVERIFY(few.WeightedAircraftFolder(focus) != "B");
}

QTEST_MAIN(tst_focus)
#include "tst_focus.moc"
