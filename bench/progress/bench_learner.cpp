// The simulated learner (learner.h) plays the standard Custom Challenge and
// the one that focuses on its weak spots, 50 learners each, the same seeds
// for both, on a catalogue of 24 aircraft in four type sets of six. Reports
// the median number of questions until the learner answers 90% of its
// confusable pairs right, for both modes, and their ratio.
#include "learner.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "game/gamesettings.h"
#include "progress/focus.h"
#include "quiz/questions.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

using namespace sky;

namespace {

constexpr int kLearners = 50;
constexpr int kGroups = 4;
constexpr int kPerGroup = 6;
constexpr int kMaxQuestions = 20000;
const int kGroupSet[kGroups] = {3, 4, 6, 7};

QString FolderOf(int i) { return QStringLiteral("AC%1").arg(i, 2, 10, QLatin1Char('0')); }

// Two confusable pairs in every set, chosen and weighted by the seed; each
// direction starts at a probability from 0.4 to 0.8.
QVector<bench::SimulatedLearner::Confusable> PairsFor(std::uint64_t seed) {
    std::uint64_t s = seed * 6364136223846793005ull + 1442695040888963407ull;
    auto next = [&s] {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return double(s >> 11) / double(1ull << 53);
    };
    QVector<bench::SimulatedLearner::Confusable> pairs;
    for (int g = 0; g < kGroups; ++g) {
        QVector<int> members;
        for (int k = 0; k < kPerGroup; ++k) members << g * kPerGroup + k;
        for (int k = kPerGroup - 1; k > 0; --k) std::swap(members[k], members[int(next() * (k + 1)) % (k + 1)]);
        for (int p = 0; p < 2; ++p) {
            const QString a = FolderOf(members[2 * p]), b = FolderOf(members[2 * p + 1]);
            pairs.push_back({a, b, 0.4 + 0.4 * next()});
            pairs.push_back({b, a, 0.4 + 0.4 * next()});
        }
    }
    return pairs;
}

int QuestionsToNinety(const data::CatalogLists& lists, std::uint64_t seed, bool focus) {
    bench::SimulatedLearner learner(PairsFor(seed), seed);
    FakeRandom random(seed);
    quiz::QuestionGenerator generator(lists, &random);
    progress::FocusModel model;
    generator.setFocusSource(&model);
    game::FocusOnWeakSpots = focus;
    int n = 0;
    quiz::ReadScope reads(db::UserDB());
    while (learner.skill() < 0.9 && n < kMaxQuestions) {
        const quiz::QuestionDraw q = generator.draw(false, false);
        const int chosen = learner.answer(q.slotFolder, q.correctIndex);
        progress::AnswerRecord r;
        r.correct = q.correctFolder;
        r.chosen = q.slotFolder[chosen];
        r.right = chosen == q.correctIndex;
        model.add(r);
        ++n;
    }
    return n;
}

double Median(QVector<int> v) {
    std::sort(v.begin(), v.end());
    const int m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakePlatform platform;
    fixtures::DataFolder data;
    data.createStaticAndUser();
    QVector<fixtures::AircraftRow> rows;
    data::CatalogLists lists;
    for (int i = 0; i < kGroups * kPerGroup; ++i) {
        fixtures::AircraftRow r;
        r.id = i + 1;
        r.type = QStringLiteral("Type ") + FolderOf(i);
        r.folder = FolderOf(i);
        r.sets[kGroupSet[i / kPerGroup]] = true;
        rows << r;
        lists.lstAircraftFolders << FolderOf(i);
        lists.lstAircraftNames << r.type.toString();
        lists.lstAircraftIsActive << QStringLiteral("Y");
        lists.lstActiveFolders << FolderOf(i);
    }
    fixtures::InsertAircraft(*db::StaticDB(), rows);
    fixtures::InsertAircraft(*db::UserDB(), rows);

    QVector<int> standard, focused;
    for (int s = 1; s <= kLearners; ++s) {
        standard << QuestionsToNinety(lists, std::uint64_t(s), false);
        focused << QuestionsToNinety(lists, std::uint64_t(s), true);
    }
    game::FocusOnWeakSpots = false;
    const double ms = Median(standard), mf = Median(focused);
    std::printf("BENCH standard_questions_to_90pct %.1f questions\n", ms);
    std::printf("BENCH focus_questions_to_90pct %.1f questions\n", mf);
    std::printf("BENCH focus_to_standard_questions_ratio %.3f ratio\n", ms > 0 ? mf / ms : 0.0);
    return 0;
}
