// Opening "My Progress" over a history of 100,000 answers (2,000 quizzes of
// 50 over 500 aircraft), with the time spent reading and summing the
// history on its own.
#include "data/databases.h"
#include "data/db.h"
#include "game/frmSkyrendelGameSelector.h"
#include "progress/frmSkyrendelProgress.h"
#include "progress/history.h"
#include "progress/progressdata.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include "support/benchutil.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace sky;
using benchutil::median;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FakePlatform platform;
    fixtures::DataFolder data;
    data.createStaticAndUser();
    QVector<fixtures::AircraftRow> rows;
    QStringList folders;
    for (int i = 0; i < 500; ++i) {
        fixtures::AircraftRow r;
        r.id = i + 1;
        r.folder = QStringLiteral("F%1").arg(i, 3, 10, QLatin1Char('0'));
        r.type = QStringLiteral("Aircraft type %1").arg(i);
        r.sets[i % 8] = true;
        rows << r;
        folders << r.folder.toString();
    }
    fixtures::InsertAircraft(*db::UserDB(), rows);
    QVector<progress::AnswerRecord> history;
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
        r.gameMode = 2;
        r.correct = folders[next(folders.size())];
        r.distractor1 = folders[next(folders.size())];
        r.distractor2 = folders[next(folders.size())];
        r.right = next(4) != 0;
        r.chosen = r.right ? r.correct : r.distractor1;
        history << r;
    }
    if (argc > 1 && QByteArray(argv[1]) == "--look-selector") {
        // The game selector on the Custom Challenge, for a screenshot.
        game::frmSkyrendelGameSelector selector;
        selector.show();
        selector.picChallengeMode_Click(0);
        QTimer::singleShot(4000, &app, &QApplication::quit);
        app.exec();
        return 0;
    }
    if (argc > 1 && QByteArray(argv[1]) == "--look") {
        // A user's few weeks: 30 quizzes of 20, improving, with two pairs
        // mixed up often; photographs for the aircraft asked. Shows the
        // window for a screenshot.
        history.clear();
        for (int i = 0; i < 10; ++i) fixtures::CreatePictureDatabase(folders[i], {fixtures::MakePhotoJpeg(i)});
        for (int q = 0; q < 30; ++q)
            for (int k = 0; k < 20; ++k) {
                progress::AnswerRecord r;
                r.quizId = start.toMSecsSinceEpoch() + q * 86400000ll;
                r.correct = folders[next(10)];
                r.right = next(100) < 45 + q * 1.5;
                r.chosen = r.right ? r.correct : folders[(folders.indexOf(r.correct) + (next(3) == 0 ? 3 : 1)) % 10];
                history << r;
            }
        progress::AppendAnswers(*db::UserDB(), history);
        progress::frmSkyrendelProgress w;
        if (argc > 2) w.showMaximized();
        else w.show();
        QTimer::singleShot(4000, &app, &QApplication::quit);
        app.exec();
        return 0;
    }
    progress::AppendAnswers(*db::UserDB(), history);

    QVector<double> read, load, open;
    for (int k = 0; k < 5; ++k) {
        QElapsedTimer t;
        t.start();
        const auto h = progress::ReadHistory(*db::UserDB());
        read << t.nsecsElapsed() / 1e6;
        t.restart();
        const progress::ProgressData d = progress::LoadProgress(*db::UserDB());
        load << t.nsecsElapsed() / 1e6;
        t.restart();
        progress::frmSkyrendelProgress w;
        const double built = t.nsecsElapsed() / 1e6;
        w.show();
        QApplication::processEvents();
        const double shown = t.nsecsElapsed() / 1e6;
        w.grab();
        open << t.nsecsElapsed() / 1e6;
        if (qEnvironmentVariableIsSet("SKY_BENCH_DETAIL"))
            std::fprintf(stderr, "built %.1f shown %.1f painted %.1f\n", built, shown, open.last());
        if (w.data().history.size() != 100000 || h.size() != 100000) return 1;
    }
    std::printf("BENCH progress_read_history_100k_ms %.3f ms\n", median(read));
    std::printf("BENCH progress_load_100k_ms %.3f ms\n", median(load));
    std::printf("BENCH progress_open_100k_ms %.3f ms\n", median(open));
    return 0;
}
