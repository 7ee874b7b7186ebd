// Question generation without a window: the partner lists, the distractor
// table, the draw of the correct aircraft and of its slot, and the
// statements run on the database.
#include "data/catalog.h"
#include "data/db.h"
#include "quiz/questions.h"
#include "shell/testdoubles.h"
#include "quizfixture.h"

#include <QSet>
#include <QtTest>

using namespace sky;
using namespace sky::quiz;
using quiztest::Pair;
using quiztest::Plane;

namespace {

using Set = QSet<QString>;

// Sets: 0 isUSA, 1 isEurope, 2 isUSSR, 3 isLargeJet.
QVector<Plane> Planes() {
    return {{"A", {3}}, {"B", {3}}, {"C", {}}, {"D", {3}}, {"E", {3}},
            {"F", {0}}, {"G", {0, 1}}, {"H", {1}}, {"I", {}}, {"J", {}}};
}
QVector<Pair> UserPairs() {
    return {{"A", "B", true}, {"A", "C", true}, {"A", "D", false}, {"E", "B", true},
            {"I", "J", true}, {"C", "H", false}};
}
QVector<Pair> StaticPairs() { return {{"A", "F", true}, {"A", "G", true}}; }

const QStringList kAll = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};

// Catalogue lists with the given aircraft active.
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

QStringList Without(QStringList list, const QStringList& gone) {
    for (const QString& g : gone) list.removeAll(g);
    return list;
}

Set ToSet(const QStringList& l) { return Set(l.begin(), l.end()); }

} // namespace

class tst_questions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void partnerLists_data();
    void partnerLists();
    void distractors_data();
    void distractors();
    void statementsAsWritten();
    void noSetsRunsNoFolderQuery();
    void neverPartnerNeverAsked_data();
    void neverPartnerNeverAsked();
    void pairMarkedHardAndNeverIsNever();
    void reseedsWithinOneMillisecondDiffer();
    void randomAircraftFolderRounds_data();
    void randomAircraftFolderRounds();
    void randomAircraftFolderSkipsInactive();
    void letterFrequencyAndSlotOrder();
    void randomListItem_data();
    void randomListItem();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<quiztest::Catalogue> catalogue_;
};

void tst_questions::initTestCase() {
    fake_ = std::make_unique<FakePlatform>();
    catalogue_ = std::make_unique<quiztest::Catalogue>(Planes(), UserPairs(), StaticPairs());
}

void tst_questions::cleanupTestCase() {
    catalogue_.reset();
    fake_.reset();
}

void tst_questions::partnerLists_data() {
    QTest::addColumn<QString>("correct");
    QTest::addColumn<bool>("captain");
    QTest::addColumn<QStringList>("active");
    QTest::addColumn<QStringList>("hard");
    QTest::addColumn<QStringList>("never");
    QTest::addColumn<QStringList>("easy");
    QTest::addColumn<QStringList>("lessNever");
    QTest::addColumn<QStringList>("close");
    QTest::addColumn<QStringList>("far");

    QTest::newRow("hard, never and the sets of A")
        << "A" << false << kAll << QStringList{"B", "C"} << QStringList{"D"} << Without(kAll, {"A", "B", "C", "D"})
        << Without(kAll, {"A", "D"}) << QStringList{"B", "E"} << QStringList{"B", "E"};
    QTest::newRow("airport sets only: empty close list, far list of the airport sets")
        << "G" << false << kAll << QStringList{} << QStringList{} << Without(kAll, {"G"}) << Without(kAll, {"G"})
        << QStringList{} << QStringList{"F", "H"};
    QTest::newRow("no set marked: empty close and far lists")
        << "C" << false << kAll << QStringList{} << QStringList{"H"} << Without(kAll, {"C", "H"})
        << Without(kAll, {"C", "H"}) << QStringList{} << QStringList{};
    QTest::newRow("an inactive partner is skipped; the set lists ignore activity")
        << "A" << false << Without(kAll, {"B"}) << QStringList{"C"} << QStringList{"D"}
        << Without(kAll, {"A", "B", "C", "D"}) << Without(kAll, {"A", "B", "D"}) << QStringList{"B", "E"}
        << QStringList{"B", "E"};
    // A never partner stays out of every partner list whatever its flag:
    // D is A's never partner and shares A's set.
    QTest::newRow("an inactive never partner stays never")
        << "A" << false << Without(kAll, {"D"}) << QStringList{"B", "C"} << QStringList{"D"}
        << Without(kAll, {"A", "B", "C", "D"}) << Without(kAll, {"A", "D"}) << QStringList{"B", "E"}
        << QStringList{"B", "E"};
    QTest::newRow("a never pair stored one way is never from the other end")
        << "D" << false << kAll << QStringList{} << QStringList{"A"} << Without(kAll, {"A", "D"})
        << Without(kAll, {"A", "D"}) << QStringList{"B", "E"} << QStringList{"B", "E"};
    QTest::newRow("captain's challenge: shipped pairs, inactive partners taken")
        << "A" << true << Without(kAll, {"F"}) << QStringList{"F", "G"} << QStringList{}
        << Without(kAll, {"A", "F", "G"}) << Without(kAll, {"A", "F"}) << QStringList{"B", "D", "E"}
        << QStringList{"B", "D", "E"};
}

void tst_questions::partnerLists() {
    QFETCH(QString, correct);
    QFETCH(bool, captain);
    QFETCH(QStringList, active);
    const data::CatalogLists lists = ListsWith(active);
    QuestionGenerator gen(lists, &fake_->random);
    gen.LoadHardAndDontAskPartners(correct, captain);
    const PartnerLists& p = gen.partners();
    QTEST(p.lstHardPartners, "hard");
    QTEST(p.lstDontAskPartners, "never");
    QTEST(p.lstEasyPartners, "easy");
    QTEST(p.lstActiveLessDontAsk, "lessNever");
    QTEST(p.lstSameCharacteristicPartnersClose, "close");
    QTEST(p.lstSameCharacteristicPartnersFAr, "far");
}

// Each row: 300 draws; every first and second distractor lies in its
// expected set, the two differ, and every expected first distractor occurs.
void tst_questions::distractors_data() {
    QTest::addColumn<QString>("correct");
    QTest::addColumn<bool>("hardDifficulty");
    QTest::addColumn<bool>("captain");
    QTest::addColumn<QStringList>("active");
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<int>("secondSource");

    const int hard = int(DistractorSource::Hard), close = int(DistractorSource::Close),
              far = int(DistractorSource::Far), easy = int(DistractorSource::Easy),
              lessNever = int(DistractorSource::ActiveLessDontAsk), all = int(DistractorSource::All);
    QTest::newRow("hard: the two hard partners") << "A" << true << false << kAll << QStringList{"B", "C"}
                                                 << QStringList{"B", "C"} << hard;
    QTest::newRow("easy: hard partners skipped, the close list") << "A" << false << false << kAll
                                                                 << QStringList{"B", "E"} << QStringList{"B", "E"}
                                                                 << close;
    QTest::newRow("hard: one hard partner, then the close list") << "E" << true << false << kAll << QStringList{"B"}
                                                                 << QStringList{"A", "D"} << close;
    QTest::newRow("airport sets: the far list") << "G" << true << false << kAll << QStringList{"F", "H"}
                                                << QStringList{"F", "H"} << far;
    QTest::newRow("easy, no sets: the easy list, never the hard partner")
        << "I" << false << false << kAll << Without(kAll, {"I", "J"}) << Without(kAll, {"I", "J"}) << easy;
    QTest::newRow("hard, one hard partner, no sets: then active less never")
        << "I" << true << false << kAll << QStringList{"J"} << Without(kAll, {"I", "J"}) << lessNever;
    QTest::newRow("easy with only a hard partner active: active less never, then all")
        << "I" << false << false << QStringList{"I", "J"} << QStringList{"J"} << Without(kAll, {"I", "J"}) << all;
    QTest::newRow("never partner: in no partner list") << "C" << false << false << kAll
                                                       << Without(kAll, {"C", "H"}) << Without(kAll, {"C", "H"})
                                                       << easy;
    QTest::newRow("never partner: drawn from the fall-back active list")
        << "C" << false << false << QStringList{"C", "H"} << QStringList{"H"} << Without(kAll, {"C", "H"}) << all;
    QTest::newRow("exactly three active, no pairs, no sets: the other two")
        << "J" << false << false << QStringList{"C", "I", "J"} << QStringList{"C", "I"} << QStringList{"C", "I"}
        << easy;
    QTest::newRow("captain's challenge: shipped hard partners, inactive or not")
        << "A" << true << true << Without(kAll, {"F"}) << QStringList{"F", "G"} << QStringList{"F", "G"} << hard;
    QTest::newRow("only two active, hard: the active list") << "J" << true << false << QStringList{"C", "J"}
                                                            << QStringList{"C"} << Without(kAll, {"C", "J"}) << all;
}

void tst_questions::distractors() {
    QFETCH(QString, correct);
    QFETCH(bool, hardDifficulty);
    QFETCH(bool, captain);
    QFETCH(QStringList, active);
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(int, secondSource);
    const data::CatalogLists lists = ListsWith(active);
    QuestionGenerator gen(lists, &fake_->random);
    gen.LoadHardAndDontAskPartners(correct, captain);
    const Set firstSet = ToSet(first), secondSet = ToSet(second);
    Set seen;
    for (int k = 0; k < 300; ++k) {
        const QString d1 = gen.drawDistractor(false, hardDifficulty, correct, QString());
        const QString d2 = gen.drawDistractor(true, hardDifficulty, correct, d1);
        QVERIFY2(firstSet.contains(d1), qPrintable(d1));
        QVERIFY2(secondSet.contains(d2), qPrintable(d2));
        QVERIFY(d1 != d2 && d1 != correct && d2 != correct);
        seen << d1;
        QCOMPARE(int(gen.lastSecondSource()), secondSource);
    }
    QCOMPARE(seen, firstSet);
}

void tst_questions::statementsAsWritten() {
    const data::CatalogLists lists = ListsWith(kAll);
    QuestionGenerator gen(lists, &fake_->random);
    QStringList ran;
    db::Connection::SetStatementHook([&](const QString& s) { ran << s; });
    gen.LoadHardAndDontAskPartners("G", false);
    db::Connection::SetStatementHook({});
    const int id = catalogue_->idOf("G");
    const QStringList expected = {
        "SELECT Aircraft.Folder, SimilarAircraft.ask  FROM SimilarAircraft INNER JOIN Aircraft ON "
        "SimilarAircraft.SimilarAircraftID = Aircraft.AirplaneID  WHERE (((SimilarAircraft.AircraftID)=" +
            QString::number(id) + " ))",
        "SELECT Aircraft.Folder FROM SimilarAircraft INNER JOIN Aircraft ON SimilarAircraft.AircraftID = "
        "Aircraft.AirplaneID WHERE (((SimilarAircraft.SimilarAircraftID)=" +
            QString::number(id) + ") AND ((SimilarAircraft.ask)=FALSE))",
        "SELECT * FROM AIRCRAFT WHERE FOLDER='G'",
        "SELECT * FROM AIRCRAFT WHERE FOLDER='G'",
        "SELECT FOLDER FROM AIRCRAFT WHERE FALSE  OR isUSA=TRUE  OR isEurope=TRUE ",
    };
    // The identifier lookup comes first; the partner statements follow.
    QVERIFY(ran.size() >= expected.size() + 1);
    QCOMPARE(ran.mid(ran.size() - expected.size()), expected);
}

void tst_questions::noSetsRunsNoFolderQuery() {
    const data::CatalogLists lists = ListsWith(kAll);
    QuestionGenerator gen(lists, &fake_->random);
    QStringList ran;
    db::Connection::SetStatementHook([&](const QString& s) { ran << s; });
    gen.LoadHardAndDontAskPartners("C", false);
    db::Connection::SetStatementHook({});
    for (const QString& s : ran) QVERIFY2(!s.startsWith("SELECT FOLDER FROM AIRCRAFT WHERE FALSE"), qPrintable(s));
}

// D is A's never partner and shares A's set; in the user's database its
// FOLDER may carry blanks and it may be inactive. Over many questions with
// A correct, D is never one of the answers.
void tst_questions::neverPartnerNeverAsked_data() {
    QTest::addColumn<QString>("storedFolder");
    QTest::addColumn<bool>("neverActive");
    QTest::addColumn<bool>("hardDifficulty");
    QTest::newRow("trailing blanks, easy") << "D  " << true << false;
    QTest::newRow("trailing blanks, hard") << "D  " << true << true;
    QTest::newRow("leading and trailing blanks") << " D " << true << false;
    QTest::newRow("inactive") << "D" << false << false;
    QTest::newRow("inactive with blanks") << "D " << false << true;
}

void tst_questions::neverPartnerNeverAsked() {
    QFETCH(QString, storedFolder);
    QFETCH(bool, neverActive);
    QFETCH(bool, hardDifficulty);
    db::Connection& user = *db::UserDB();
    const QString d = QString::number(catalogue_->idOf("D"));
    user.Execute("UPDATE AIRCRAFT SET FOLDER='" + storedFolder + "' WHERE AirplaneID=" + d);
    struct Restore {
        db::Connection& c;
        QString id;
        ~Restore() { c.Execute("UPDATE AIRCRAFT SET FOLDER='D' WHERE AirplaneID=" + id); }
    } restore{user, d};

    // Read through the set query, D would enter the close list unless it
    // is recognised as the never partner.
    const data::CatalogLists lists = ListsWith(neverActive ? kAll : Without(kAll, {"D"}));
    QuestionGenerator gen(lists, &fake_->random);
    gen.LoadHardAndDontAskPartners("A", false);
    const PartnerLists& p = gen.partners();
    QCOMPARE(p.lstDontAskPartners, QStringList{"D"});
    for (const QStringList* list : {&p.lstHardPartners, &p.lstEasyPartners, &p.lstActiveLessDontAsk,
                                    &p.lstSameCharacteristicPartnersClose, &p.lstSameCharacteristicPartnersFAr})
        QVERIFY2(!list->contains("D"), qPrintable(list->join(',')));
    for (int k = 0; k < 300; ++k) {
        const QString d1 = gen.drawDistractor(false, hardDifficulty, "A", QString());
        const QString d2 = gen.drawDistractor(true, hardDifficulty, "A", d1);
        QVERIFY2(d1.trimmed() != "D" && d2.trimmed() != "D", qPrintable(d1 + " " + d2));
    }
}

// A pair stored both as hard and as never (rows that disagree) is never.
void tst_questions::pairMarkedHardAndNeverIsNever() {
    db::Connection& user = *db::UserDB();
    const QString a = QString::number(catalogue_->idOf("A")), d = QString::number(catalogue_->idOf("D"));
    user.Execute("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (" + a + ", " + d + ", TRUE)");
    struct Restore {
        db::Connection& c;
        QString a, d;
        ~Restore() {
            c.Execute("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=" + a + " AND SIMILARAIRCRAFTID=" + d +
                      " AND ASK=TRUE");
        }
    } restore{user, a, d};
    const data::CatalogLists lists = ListsWith(kAll);
    QuestionGenerator gen(lists, &fake_->random);
    gen.LoadHardAndDontAskPartners("A", false);
    QCOMPARE(gen.partners().lstHardPartners, (QStringList{"B", "C"}));
    QCOMPARE(gen.partners().lstDontAskPartners, QStringList{"D"});
}

// The platform's generator, reseeded from the millisecond clock before each
// question: two reseeds within the same millisecond still give different
// numbers.
void tst_questions::reseedsWithinOneMillisecondDiffer() {
    std::unique_ptr<FakePlatform> fake = std::move(fake_);
    fake.reset(); // the real generator
    RandomSeam& random = *platform().random;
    int sameMillisecond = 0, identical = 0;
    for (int attempt = 0; attempt < 2000 && sameMillisecond < 20; ++attempt) {
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        random.seedFromClock();
        const QVector<double> first = {random.next(), random.next(), random.next()};
        random.seedFromClock();
        const QVector<double> second = {random.next(), random.next(), random.next()};
        if (QDateTime::currentMSecsSinceEpoch() != before) continue;
        ++sameMillisecond;
        if (first == second) ++identical;
    }
    fake_ = std::make_unique<FakePlatform>(); // back for the other tests
    QVERIFY2(sameMillisecond > 0, "no two reseeds fell within one millisecond");
    QCOMPARE(identical, 0);
}

void tst_questions::randomAircraftFolderRounds_data() {
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("folder");
    // Ten aircraft: i = r * 9 rounded half to even.
    QTest::newRow("0 gives the first") << 0.0 << "A";
    QTest::newRow("0.5/9 is a tie: down to even 0") << 0.5 / 9 << "A";
    QTest::newRow("1.5/9 is a tie: up to even 2") << 1.5 / 9 << "C";
    QTest::newRow("just below 1 gives the last") << 0.99 << "J";
    QTest::newRow("8.4/9 gives 8") << 8.4 / 9 << "I";
}

void tst_questions::randomAircraftFolderRounds() {
    QFETCH(double, r);
    const data::CatalogLists lists = ListsWith(kAll);
    QuestionGenerator gen(lists, &fake_->random);
    const int seeds = fake_->random.seedCalls;
    fake_->random.queue({r});
    QTEST(gen.RandomAircraftFolder(), "folder");
    QCOMPARE(fake_->random.seedCalls, seeds + 1);
}

void tst_questions::randomAircraftFolderSkipsInactive() {
    const data::CatalogLists lists = ListsWith({"C"});
    QuestionGenerator gen(lists, &fake_->random);
    fake_->random.queue({0.0, 1.0 / 9, 2.0 / 9});
    QCOMPARE(gen.RandomAircraftFolder(), QString("C"));

    const data::CatalogLists none = ListsWith({});
    QuestionGenerator nobody(none, &fake_->random);
    QCOMPARE(nobody.RandomAircraftFolder(), QString());

    const data::CatalogLists empty;
    QuestionGenerator noCatalogue(empty, &fake_->random);
    QCOMPARE(noCatalogue.RandomAircraftFolder(), QString());
}

void tst_questions::letterFrequencyAndSlotOrder() {
    const data::CatalogLists lists = ListsWith({"C", "I", "J"});
    QuestionGenerator gen(lists, &fake_->random);
    int count[3] = {0, 0, 0};
    const int n = 1500;
    for (int k = 0; k < n; ++k) {
        const QuestionDraw q = gen.draw(false, false);
        ++count[q.correctIndex];
        QCOMPARE(q.slotFolder[q.correctIndex], q.correctFolder);
        // The first distractor sits on the earlier of the two other slots.
        const int firstSlot = q.correctIndex == 0 ? 1 : 0;
        const int secondSlot = q.correctIndex == 2 ? 1 : 2;
        QCOMPARE(q.slotFolder[firstSlot], q.firstDistractor);
        QCOMPARE(q.slotFolder[secondSlot], q.secondDistractor);
        QCOMPARE(ToSet({q.slotFolder[0], q.slotFolder[1], q.slotFolder[2]}), Set({"C", "I", "J"}));
    }
    for (int c : count) QVERIFY2(c > n / 3 - 100 && c < n / 3 + 100, qPrintable(QString::number(c)));

    // The letter is floor(3r): the last random number of the draw.
    const data::CatalogLists three = ListsWith({"C", "I", "J"});
    QuestionGenerator exact(three, &fake_->random);
    // C at index 2 (2/9), then both distractors from the easy list I, J,
    // then the letter.
    fake_->random.queue({2.0 / 9, 0.0, 0.9, 0.34});
    const QuestionDraw q = exact.draw(false, false);
    QCOMPARE(q.correctFolder, QString("C"));
    QCOMPARE(q.correctIndex, 1);
    QCOMPARE(q.correctLetter(), QString("B"));
    QCOMPARE(q.slotFolder[0], QString("I"));
    QCOMPARE(q.slotFolder[2], QString("J"));
}

void tst_questions::randomListItem_data() {
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("item");
    QTest::newRow("floor of n*r") << QStringList{"x", "y", "z"} << 0.66 << "y";
    QTest::newRow("just below 1") << QStringList{"x", "y", "z"} << 0.999 << "z";
    QTest::newRow("empty list") << QStringList{} << 0.5 << "";
}

void tst_questions::randomListItem() {
    QFETCH(QStringList, list);
    QFETCH(double, r);
    fake_->random.queue({r});
    QTEST(RandomListItem(list, &fake_->random), "item");
    if (list.isEmpty()) fake_->random.next(); // nothing was drawn
}

QTEST_MAIN(tst_questions)
#include "tst_questions.moc"
