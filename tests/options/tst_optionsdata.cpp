// The options code without a window: the lists, moving aircraft, the set
// columns, the pair statuses, restoring the catalogue's defaults, writes
// that fail part way, and what a quiz draws afterwards.
#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "options/optionsdata.h"
#include "optionsfixture.h"
#include "quiz/questions.h"
#include "shell/errors.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QFile>
#include <QtTest>

#include <memory>

using namespace sky;
using namespace optionstest;

namespace {

// User ids 1..7; the catalogue's ids are 100 higher, so a lookup in the
// wrong database shows.
QVector<Plane> planes() {
    return {{1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), true, {0, 1, 3}, 101},
            {2, QStringLiteral("  Boeing 737  "), QStringLiteral("B737"), true, {0, 4}, 102},
            {3, QStringLiteral("Fokker F.27 'Friendship'"), QStringLiteral("F27"), false, {1, 6}, 103},
            {4, QStringLiteral("Ilyushin Il-62"), QStringLiteral("IL62"), false, {2, 3}, 104},
            {5, QStringLiteral("Cessna 172"), QStringLiteral("C172"), QVariant(), {7}, 105},
            {6, QStringLiteral("Twin Otter"), QStringLiteral("DHC6A"), true, {6, 7}, 106},
            {7, QStringLiteral("Twin Otter"), QStringLiteral("DHC6B"), false, {6}, 107}};
}

QSet<int> activeIds() {
    QSet<int> out;
    for (int id = 1; id <= 7; ++id)
        if (ActiveOf(id) == QLatin1String("1")) out << id;
    return out;
}

// Throws from the n-th statement (1-based) that `matches` accepts.
void failAt(int n, std::function<bool(const QString&)> matches) {
    auto count = std::make_shared<int>(0);
    db::Connection::SetStatementHook([=](const QString& sql) {
        if (matches(sql) && ++*count == n) throw SkyError(3051, QStringLiteral("The file is read-only."));
    });
}

} // namespace

class TestOptionsData : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;

private slots:
    void init() {
        fake_ = std::make_unique<FakePlatform>();
        data_ = std::make_unique<fixtures::DataFolder>();
        data_->createStaticAndUser();
        Build(planes());
    }
    void cleanup() {
        db::Connection::SetStatementHook(nullptr);
        data_.reset();
        fake_.reset();
    }

    void listsAreTrimmedSortedAndSplitByTheActiveFlag() {
        const options::AircraftLists lists = options::FillAircraftLists();
        // Leading blanks sort first, as the database orders the stored names.
        QCOMPARE(lists.lstAllAircraft,
                 QStringList({"Boeing 737", "Airbus A320", "Cessna 172", "Fokker F.27 'Friendship'",
                              "Ilyushin Il-62", "Twin Otter", "Twin Otter"}));
        QCOMPARE(lists.lstActive, QStringList({"Boeing 737", "Airbus A320", "Twin Otter"}));
        // A missing active flag counts as inactive.
        QCOMPARE(lists.lstInactive,
                 QStringList({"Cessna 172", "Fokker F.27 'Friendship'", "Ilyushin Il-62", "Twin Otter"}));
        QCOMPARE(lists.lstAllAircraftIDs.mid(0, 5), QList<int>({2, 1, 5, 3, 4}));
        QCOMPARE(QSet<int>(lists.lstAllAircraftIDs.begin() + 5, lists.lstAllAircraftIDs.end()), QSet<int>({6, 7}));
    }

    void setActiveMatchesTrimmedNamesWithQuotes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<int>>("changed");
        QTest::newRow("apostrophe") << "Fokker F.27 'Friendship'" << QList<int>{3};
        QTest::newRow("stored with blanks") << "Boeing 737" << QList<int>{2};
        QTest::newRow("given with blanks") << "  Airbus A320 " << QList<int>{1};
        QTest::newRow("two of one name") << "Twin Otter" << QList<int>{6, 7};
        QTest::newRow("unknown") << "Concorde" << QList<int>{};
        QTest::newRow("quote only") << "'" << QList<int>{};
    }
    void setActiveMatchesTrimmedNamesWithQuotes() {
        QFETCH(QString, name);
        QFETCH(QList<int>, changed);
        db::UserDB()->Execute(QStringLiteral("UPDATE AIRCRAFT SET ISACTIVE=TRUE"));
        options::SetAircraftActive(name, false);
        QSet<int> inactive;
        for (int id = 1; id <= 7; ++id)
            if (ActiveOf(id) == QLatin1String("0")) inactive << id;
        QCOMPARE(inactive, QSet<int>(changed.begin(), changed.end()));
    }

    void moveAircraft_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<bool>("makeActive");
        QTest::addColumn<QList<int>>("selected"); // positions in the source list
        QTest::addColumn<QList<int>>("active");
        // Starting from active {1, 2, 6}; inactive list: Cessna, Fokker, Ilyushin, Twin Otter.
        QTest::newRow("add selected, none") << 0 << true << QList<int>{} << QList<int>{1, 2, 6};
        QTest::newRow("add selected 0 and 2") << 0 << true << QList<int>{0, 2} << QList<int>{1, 2, 4, 5, 6};
        QTest::newRow("remove selected 1") << 0 << false << QList<int>{1} << QList<int>{2, 6};
        QTest::newRow("add all") << 1 << true << QList<int>{} << QList<int>{1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("remove all") << 1 << false << QList<int>{} << QList<int>{};
        // Set rows act on every member, whichever list it is in.
        QTest::newRow("add propeller airliners") << 8 << true << QList<int>{} << QList<int>{1, 2, 3, 6, 7};
        QTest::newRow("remove propeller airliners") << 8 << false << QList<int>{} << QList<int>{1, 2};
        QTest::newRow("add larger jets") << 5 << true << QList<int>{} << QList<int>{1, 2, 4, 6};
        QTest::newRow("remove larger jets") << 5 << false << QList<int>{} << QList<int>{2, 6};
        QTest::newRow("remove USA airport") << 2 << false << QList<int>{} << QList<int>{6};
        // Aircraft are made active by name: the Twin Otter outside the set
        // shares its name with the one inside.
        QTest::newRow("add propeller other") << 9 << true << QList<int>{} << QList<int>{1, 2, 5, 6, 7};
    }
    void moveAircraft() {
        QFETCH(int, k);
        QFETCH(bool, makeActive);
        QFETCH(QList<int>, selected);
        QFETCH(QList<int>, active);
        const options::AircraftLists lists = options::FillAircraftLists();
        options::MoveAircraft(k, makeActive, makeActive ? lists.lstInactive : lists.lstActive, selected);
        QCOMPARE(activeIds(), QSet<int>(active.begin(), active.end()));
    }

    void setMembershipsWriteEveryColumnOfOneAircraft_data() {
        QTest::addColumn<QString>("pattern");
        QTest::newRow("none") << "00000000";
        QTest::newRow("all") << "11111111";
        QTest::newRow("mixed") << "10100101";
    }
    void setMembershipsWriteEveryColumnOfOneAircraft() {
        QFETCH(QString, pattern);
        std::array<bool, 8> sets{};
        for (int s = 0; s < 8; ++s) sets[s] = pattern[s] == QLatin1Char('1');
        options::SaveSetMemberships(4, sets);
        QCOMPARE(SetsOf(4), pattern);
        QCOMPARE(SetsOf(1), QStringLiteral("11010000"));
        QCOMPARE(SetsOf(3), QStringLiteral("01000010"));
    }

    void readAircraftTellsSameNamesApart() {
        const options::AircraftRecord first = options::ReadAircraftByName(QStringLiteral("Twin Otter"), 7);
        QVERIFY(first.found);
        QCOMPARE(first.folder, QStringLiteral("DHC6B"));
        QCOMPARE(first.id, 7);
        const options::AircraftRecord quoted =
            options::ReadAircraftByName(QStringLiteral(" Fokker F.27 'Friendship' "), 0);
        QCOMPARE(quoted.id, 3);
        QCOMPARE(quoted.sets, (std::array<bool, 8>{false, true, false, false, false, false, true, false}));
        QVERIFY(!options::ReadAircraftByName(QStringLiteral("Concorde"), 0).found);
    }

    void pairWrites_data() {
        QTest::addColumn<QString>("steps"); // H, N (never) or D (neutral), applied in order
        QTest::addColumn<int>("status");
        QTest::newRow("hard") << "H" << 1;
        QTest::newRow("never") << "N" << 2;
        QTest::newRow("never after hard") << "HN" << 2;
        QTest::newRow("hard after never") << "NH" << 1;
        QTest::newRow("neutral after hard") << "HD" << 0;
        QTest::newRow("hard twice") << "HH" << 1;
    }
    void pairWrites() {
        QFETCH(QString, steps);
        QFETCH(int, status);
        // An unrelated pair stays as it is.
        fixtures::InsertPairs(*db::UserDB(), {{5, 6, true}, {6, 5, true}});
        for (QChar c : steps) {
            if (c == QLatin1Char('H')) options::SetSimilarityHARD(4, 1);
            if (c == QLatin1Char('N')) options::SetSimilarityNEVER(4, 1);
            if (c == QLatin1Char('D')) options::DeleteSimilarity(4, 1);
        }
        QSet<QString> expected{QStringLiteral("5,6,1"), QStringLiteral("6,5,1")};
        if (status != 0) {
            const QString ask = status == 1 ? QStringLiteral("1") : QStringLiteral("0");
            expected << QStringLiteral("4,1,") + ask << QStringLiteral("1,4,") + ask;
        }
        QCOMPARE(UserPairs(), expected);
        QCOMPARE(options::SimilarityStatus(1, 4), status);
        QCOMPARE(options::SimilarityStatus(4, 1), status);
    }

    void pairStatementsAreWrittenAsTheDatabaseTakesThem() {
        QStringList writes;
        db::Connection::SetStatementHook([&](const QString& sql) {
            if (sql.startsWith(QLatin1String("DELETE")) || sql.startsWith(QLatin1String("INSERT"))) writes << sql;
        });
        options::SetSimilarityHARD(12, 7);
        QCOMPARE(writes, QStringList({"DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=12 AND SIMILARAIRCRAFTID=7",
                                      "DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=7 AND SIMILARAIRCRAFTID=12",
                                      "INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (12,7, TRUE)",
                                      "INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (7,12, TRUE)"}));
    }

    void statusReadsOnlyTheShownAircraftsRow() {
        db::UserDB()->Execute(QStringLiteral("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (1,5,NULL)"));
        db::UserDB()->Execute(QStringLiteral("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (2,3, TRUE)"));
        QCOMPARE(options::SimilarityStatus(1, 5), int(options::kNever)); // a missing ASK reads as Never
        QCOMPARE(options::SimilarityStatus(2, 3), int(options::kHard));
        QCOMPARE(options::SimilarityStatus(3, 2), int(options::kNeutral));
    }

    void gridListsEveryOtherAircraftOnceInNameOrder() {
        fixtures::InsertPairs(*db::UserDB(), {{1, 3, true}, {3, 1, true}, {1, 7, false}, {7, 1, false}});
        const options::SimilarityLists lists = options::LoadSimilarityLists(1, QStringLiteral("A320"));
        QCOMPARE(lists.lstOtherAircraft.mid(0, 4),
                 QStringList({"  Boeing 737  ", "Cessna 172", "Fokker F.27 'Friendship'", "Ilyushin Il-62"}));
        QCOMPARE(lists.lstOtherAircraft.size(), 6);
        QCOMPARE(lists.lstOtherAircraftIDs.mid(0, 4), QStringList({"2", "5", "3", "4"}));
        QCOMPARE(lists.lstAskStatus.mid(0, 4), QStringList({"0", "0", "1", "0"}));
        const int pos7 = lists.lstOtherAircraftIDs.indexOf(QStringLiteral("7"));
        QVERIFY(pos7 >= 4);
        QCOMPARE(lists.lstAskStatus[pos7], QStringLiteral("2"));
        QVERIFY(!lists.lstOtherAircraftIDs.contains(QStringLiteral("1")));
    }

    void gridSetup_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("scroll");
        QTest::addColumn<int>("max");
        QTest::newRow("empty") << 0 << 0 << false << 0;
        QTest::newRow("one") << 1 << 1 << false << 0;
        QTest::newRow("eight") << 8 << 8 << false << 0;
        QTest::newRow("nine") << 9 << 8 << true << 1;
        QTest::newRow("499") << 499 << 8 << true << 491;
    }
    void gridSetup() {
        QFETCH(int, n);
        QFETCH(int, rows);
        QFETCH(bool, scroll);
        QFETCH(int, max);
        const options::GridSetup g = options::SetupSimilarityGrid(n);
        QCOMPARE(g.visibleRows, rows);
        QCOMPARE(g.scrollVisible, scroll);
        QCOMPARE(g.scrollMax, max);
    }

    void restoreOneAircraftReplacesItsPairsAndSetsButNotItsActiveFlag() {
        // The catalogue: A320 hard with F27 (one direction only), IL62 never
        // with A320 (stored the other way round), B737 hard with F27.
        fixtures::InsertPairs(*db::StaticDB(), {{101, 103, true}, {104, 101, false}, {102, 103, true}});
        // The user's own: A320 hard with B737 (added), never with F27
        // (changed), and a pair that does not involve A320.
        fixtures::InsertPairs(*db::UserDB(), {{1, 2, true}, {2, 1, true}, {1, 3, false}, {3, 1, false},
                                              {5, 6, true}, {6, 5, true}});
        SetColumns(1, QStringLiteral("00000001"));
        SetColumns(2, QStringLiteral("00000001"));
        db::UserDB()->Execute(QStringLiteral("UPDATE AIRCRAFT SET ISACTIVE=FALSE WHERE AirplaneID=1"));

        options::RestoreAircraftDefaults(QStringLiteral("A320"));

        QCOMPARE(UserPairs(), QSet<QString>({"1,3,1", "3,1,1", "1,4,0", "4,1,0", "5,6,1", "6,5,1"}));
        QCOMPARE(SetsOf(1), QStringLiteral("11010000"));
        QCOMPARE(SetsOf(2), QStringLiteral("00000001")); // another aircraft is left alone
        QCOMPARE(ActiveOf(1), QStringLiteral("0"));
    }

    void restoreAllRestoresEveryAircraftOnce() {
        fixtures::InsertPairs(*db::StaticDB(), {{101, 103, true}, {104, 101, false}, {102, 103, true}});
        fixtures::InsertPairs(*db::UserDB(), {{5, 6, true}, {6, 5, true}, {1, 3, false}, {3, 1, false}});
        for (int id = 1; id <= 7; ++id) SetColumns(id, QStringLiteral("11111111"));
        db::UserDB()->Execute(QStringLiteral("UPDATE AIRCRAFT SET ISACTIVE=FALSE"));

        options::RestoreAllAircraftDefaults();

        QCOMPARE(UserPairs(), QSet<QString>({"1,3,1", "3,1,1", "1,4,0", "4,1,0", "2,3,1", "3,2,1"}));
        const QStringList sets = {"11010000", "10001000", "01000010", "00110000", "00000001", "00000011", "00000010"};
        for (int id = 1; id <= 7; ++id) QCOMPARE(SetsOf(id), sets[id - 1]);
        QVERIFY(activeIds().isEmpty());
    }

    void restoreAllThatFailsChangesNothing() {
        fixtures::InsertPairs(*db::StaticDB(), {{101, 103, true}, {104, 101, false}, {102, 103, true}});
        fixtures::InsertPairs(*db::UserDB(), {{5, 6, true}, {6, 5, true}});
        for (int id = 1; id <= 7; ++id) SetColumns(id, QStringLiteral("11111111"));
        const QStringList aircraft = fixtures::DumpTable(*db::UserDB(), QStringLiteral("AIRCRAFT"));
        const QStringList pairs = fixtures::DumpTable(*db::UserDB(), QStringLiteral("SIMILARAIRCRAFT"));
        // A deletion part way through fails, after the first aircraft was
        // already restored.
        failAt(7, [](const QString& sql) { return sql.startsWith(QLatin1String("DELETE")); });
        QVERIFY_THROWS_EXCEPTION(SkyError, options::RestoreAllAircraftDefaults());
        db::Connection::SetStatementHook(nullptr);
        QCOMPARE(fixtures::DumpTable(*db::UserDB(), QStringLiteral("AIRCRAFT")), aircraft);
        QCOMPARE(fixtures::DumpTable(*db::UserDB(), QStringLiteral("SIMILARAIRCRAFT")), pairs);
        // The connection is usable afterwards.
        options::RestoreAllAircraftDefaults();
        QCOMPARE(SetsOf(1), QStringLiteral("11010000"));
    }

    void failedWritesLeaveNothingHalfDone_data() {
        QTest::addColumn<int>("operation");
        QTest::newRow("set memberships") << 0;
        QTest::newRow("hard pair") << 1;
        QTest::newRow("move a set") << 2;
    }
    void failedWritesLeaveNothingHalfDone() {
        QFETCH(int, operation);
        fixtures::InsertPairs(*db::UserDB(), {{1, 4, false}, {4, 1, false}});
        const QStringList aircraft = fixtures::DumpTable(*db::UserDB(), QStringLiteral("AIRCRAFT"));
        const QStringList pairs = fixtures::DumpTable(*db::UserDB(), QStringLiteral("SIMILARAIRCRAFT"));
        // The second write of its kind fails, after the first one ran.
        const QString kind = operation == 1 ? QStringLiteral("INSERT") : QStringLiteral("UPDATE");
        failAt(2, [kind](const QString& sql) { return sql.startsWith(kind); });
        if (operation == 0)
            QVERIFY_THROWS_EXCEPTION(SkyError, options::SaveSetMemberships(1, {true, true, true, true, true, true, true, true}));
        if (operation == 1) QVERIFY_THROWS_EXCEPTION(SkyError, options::SetSimilarityHARD(4, 1));
        if (operation == 2) QVERIFY_THROWS_EXCEPTION(SkyError, options::MoveAircraft(8, true, {}, {}));
        db::Connection::SetStatementHook(nullptr);
        QCOMPARE(fixtures::DumpTable(*db::UserDB(), QStringLiteral("AIRCRAFT")), aircraft);
        QCOMPARE(fixtures::DumpTable(*db::UserDB(), QStringLiteral("SIMILARAIRCRAFT")), pairs);
    }

    void aRemovedUserDatabaseIsNotWrittenAsIfSaved() {
        const QString path = db::UserDatabasePath();
        QVERIFY(QFile::rename(path, path + QStringLiteral(".moved")));
        try {
            options::SaveSetMemberships(1, {});
            QFAIL("the write went to a file that is no longer there");
        } catch (const SkyError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("no longer there")), qPrintable(e.description()));
        }
        QVERIFY(QFile::rename(path + QStringLiteral(".moved"), path));
        QCOMPARE(SetsOf(1), QStringLiteral("11010000"));
    }
};

// What a quiz draws after the options were changed: eight installed,
// active aircraft with no sets, so that every aircraft can meet every other.
class TestOptionsInQuiz : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;

private slots:
    void init() {
        fake_ = std::make_unique<FakePlatform>();
        data_ = std::make_unique<fixtures::DataFolder>();
        data_->createStaticAndUser();
        QVector<Plane> eight;
        for (int i = 0; i < 8; ++i)
            eight.push_back({i + 1, QStringLiteral("Type %1").arg(QChar('A' + i)), QString(QChar('A' + i)), true, {},
                             0, true});
        Build(eight);
    }
    void cleanup() {
        data_.reset();
        fake_.reset();
    }

    void aNeverPairIsNeverAskedTogether() {
        options::SetSimilarityNEVER(2, 1); // B and A
        data::CatalogLists lists;
        QCOMPARE(lists.resetLstAircraftNamesAndFolders(false), 8);
        FakeRandom random(77);
        quiz::QuestionGenerator gen(lists, &random);
        // A question about either one never offers the other; a question about
        // a third aircraft may offer both as its wrong answers.
        int aboutA = 0, aboutB = 0;
        for (int q = 0; q < 2000; ++q) {
            const quiz::QuestionDraw d = gen.draw(q % 2 == 0, false);
            const QStringList shown{d.slotFolder[0], d.slotFolder[1], d.slotFolder[2]};
            QVERIFY(shown.contains(d.correctFolder));
            if (d.correctFolder != QLatin1String("A") && d.correctFolder != QLatin1String("B")) continue;
            QVERIFY2(!(shown.contains(QStringLiteral("A")) && shown.contains(QStringLiteral("B"))),
                     qPrintable(QStringLiteral("question %1: %2").arg(q).arg(shown.join(','))));
            aboutA += d.correctFolder == QLatin1String("A");
            aboutB += d.correctFolder == QLatin1String("B");
        }
        QVERIFY(aboutA > 100);
        QVERIFY(aboutB > 100);
    }

    void aHardPartnerIsTheFirstDistractorInHardDifficulty() {
        options::SetSimilarityHARD(3, 1); // C and A
        data::CatalogLists lists;
        lists.resetLstAircraftNamesAndFolders(false);
        FakeRandom random(5);
        quiz::QuestionGenerator gen(lists, &random);
        int checked = 0;
        for (int q = 0; q < 400; ++q) {
            const quiz::QuestionDraw d = gen.draw(true, false);
            if (d.correctFolder == QLatin1String("A")) {
                QCOMPARE(d.firstDistractor, QStringLiteral("C"));
                ++checked;
            } else if (d.correctFolder == QLatin1String("C")) {
                QCOMPARE(d.firstDistractor, QStringLiteral("A"));
                ++checked;
            }
        }
        QVERIFY(checked > 20);
    }

    void inactiveAircraftAreNotAsked() {
        const options::AircraftLists before = options::FillAircraftLists();
        options::MoveAircraft(0, false, before.lstActive, {0, 1, 2}); // Type A, B, C
        data::CatalogLists lists;
        QCOMPARE(lists.resetLstAircraftNamesAndFolders(false), 5);
        FakeRandom random(9);
        quiz::QuestionGenerator gen(lists, &random);
        for (int q = 0; q < 300; ++q) {
            const QString correct = gen.draw(false, false).correctFolder;
            QVERIFY2(correct >= QLatin1String("D"), qPrintable(correct));
        }
    }
};

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    int status = 0;
    {
        TestOptionsData t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestOptionsInQuiz t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_optionsdata.moc"
