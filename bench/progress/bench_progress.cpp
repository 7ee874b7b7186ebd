// The answer history's cost to the quiz: drawing and showing a question
// with 100,000 answers in the history against an empty history (same run,
// same catalogue of 500 aircraft with 20 photographs each), and writing one
// answer. Opening "My Progress" is measured by bench_progress_open.
#include "catalog.h"
#include "catalogfixture.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "data/sync.h"
#include "game/gamesettings.h"
#include "progress/history.h"
#include "progress/recorder.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/appstate.h"
#include "shell/testdoubles.h"

#include "support/benchutil.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace sky;
using benchutil::report;
using benchutil::median;

namespace {

// 100,000 answers over 2,000 quizzes of 50, a few confusions each.
QVector<progress::AnswerRecord> MadeUpHistory(const QStringList& folders) {
    QVector<progress::AnswerRecord> rows;
    rows.reserve(100000);
    std::uint64_t s = 42;
    auto next = [&s](int n) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return int((s >> 33) % std::uint64_t(n));
    };
    const QDateTime start(QDate(2025, 1, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < 100000; ++i) {
        progress::AnswerRecord r;
        r.quizId = start.toMSecsSinceEpoch() + qint64(i / 50) * 3600000;
        r.answeredAt = start.addSecs(qint64(i / 50) * 3600 + (i % 50) * 20);
        r.gameMode = 2 + (i / 50) % 2;
        r.hard = (i / 100) % 2;
        r.correct = folders[next(folders.size())];
        r.distractor1 = folders[next(folders.size())];
        r.distractor2 = folders[next(folders.size())];
        r.right = next(4) != 0;
        r.chosen = r.right ? r.correct : r.distractor1;
        r.picture = next(20);
        rows << r;
    }
    return rows;
}

void startQuiz(quiz::frmSkyrendelMainMenu& window) {
    game::GameMode = 2;
    game::TimeLimitSeconds = -1;
    game::QuestionLimit = -1;
    game::IsHardDifficulty = true;
    game::GradeImmediately = false;
    game::IsCaptainsChallenge = false;
    game::FocusOnWeakSpots = false;
    window.StartGame();
}

QVector<double> timeQuestions(quiz::frmSkyrendelMainMenu& window, int n) {
    QVector<double> out;
    for (int k = 0; k < n; ++k) {
        QElapsedTimer t;
        t.start();
        window.NewQuestion();
        out << t.nsecsElapsed() / 1e6;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    FakePlatform platform;
    platform.clock.stepPerEvents = 1000;
    platform.folders.documentsPath = work.path();

    fixture::CatalogSpec spec;
    spec.aircraft = 500;
    spec.photosPerAircraft = 20;
    spec.pictureSize = QSize(1024, 683);
    const fixture::CatalogSource source = fixture::GenerateCatalogSource(work.path(), spec);
    const QString appDir = work.filePath(QStringLiteral("app"));
    try {
        catalog::BuildCatalog({source.source, appDir, source.photosDir});
    } catch (const catalog::CatalogError& e) {
        std::fprintf(stderr, "bench_progress: %s\n", e.what());
        return 1;
    }
    SetInstallFolderForTests(appDir);
    ProgramFolder = appDir;
    db::OpenDatabases();
    data::SynchronizeUserDataWithStaticDB();
    progress::HistoryRecorder recorder;
    recorder.install();

    quiz::frmSkyrendelMainMenu window;
    window.InitMainWindow();
    window.ArrangePanels();
    window.ResetRollovers();
    startQuiz(window);
    if (!window.isQuizInProgress()) {
        std::fprintf(stderr, "bench_progress: the quiz did not start\n");
        return 1;
    }
    const QVector<progress::AnswerRecord> history = MadeUpHistory(source.folders);
    db::Connection& user = *db::UserDB();

    // Rounds alternate an empty history and a full one, so that both see
    // the same machine.
    QVector<double> empty, full;
    timeQuestions(window, 20); // warm-up
    for (int round = 0; round < 3; ++round) {
        db::EnsureAnswerHistoryTable(user);
        user.Execute(QStringLiteral("DELETE * FROM ANSWERHISTORY"));
        empty += timeQuestions(window, 100);
        progress::AppendAnswers(user, history);
        full += timeQuestions(window, 100);
    }
    const double e = median(empty), f = median(full);
    report("new_question_median_ms_empty_history", e, "ms");
    report("new_question_median_ms_history_100k", f, "ms");
    report("new_question_history_100k_ratio", e > 0 ? f / e : 0, "ratio");

    // Writing one answer into a 100,000-answer history.
    QVector<double> append;
    for (int k = 0; k < 200; ++k) {
        QElapsedTimer t;
        t.start();
        progress::AppendAnswer(user, history[k]);
        append << t.nsecsElapsed() / 1e6;
    }
    report("history_append_median_ms", median(append), "ms");

    db::CloseDatabases();
    SetInstallFolderForTests(QString());
    return 0;
}
