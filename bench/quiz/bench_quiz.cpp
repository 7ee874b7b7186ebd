// The quiz on a generated catalogue of 500 aircraft with 20 photographs
// each: the time to draw and show one question against the time to decode
// the same question's pictures and logos from bytes already in memory, and
// the memory a long quiz keeps.
#include "catalog.h"
#include "catalogfixture.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/sync.h"
#include "game/gamesettings.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/appstate.h"
#include "shell/testdoubles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace sky;

namespace {

void report(const char* name, double value, const char* unit) {
    std::printf("BENCH %s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double percentile(QVector<double> v, double fraction) {
    std::sort(v.begin(), v.end());
    int rank = static_cast<int>(fraction * v.size() + 0.999999) - 1;
    return v[std::clamp(rank, 0, static_cast<int>(v.size()) - 1)];
}

double residentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) return 0;
    return fields[1].toDouble() * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

QByteArray photoBytes(const QString& folder, int position) {
    db::Connection c;
    db::OpenProgramDatabase(c, db::PictureDatabasePath(folder));
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT Image FROM IMAGES"), c, db::adOpenKeyset);
    for (int i = 0; i < position && !rs.eof(); ++i) rs.moveNext();
    return rs.eof() ? QByteArray() : rs.fields(0).value().toByteArray();
}

QByteArray logoBytes(const QString& folder) {
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT NameImage FROM AIRCRAFT WHERE FOLDER='") + folder + QStringLiteral("'"),
            *db::UserDB(), db::adOpenForwardOnly);
    return rs.eof() ? QByteArray() : rs.fields(0).value().toByteArray();
}

void startQuiz(quiz::frmSkyrendelMainMenu& window) {
    game::GameMode = 2;
    game::TimeLimitSeconds = -1;
    game::QuestionLimit = -1;
    game::IsHardDifficulty = true;
    game::GradeImmediately = false;
    game::IsCaptainsChallenge = false;
    window.StartGame();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    FakePlatform platform;
    // Pauses end after one round of window messages.
    platform.clock.stepPerEvents = 1000;

    fixture::CatalogSpec spec;
    spec.aircraft = 500;
    spec.photosPerAircraft = 20;
    // Photographs of the size the program shows and the demo catalogue holds.
    spec.pictureSize = QSize(1024, 683);
    const fixture::CatalogSource source = fixture::GenerateCatalogSource(work.path(), spec);
    const QString app_ = work.filePath(QStringLiteral("app"));
    try {
        catalog::BuildCatalog({source.source, app_, source.photosDir});
    } catch (const catalog::CatalogError& e) {
        std::fprintf(stderr, "bench_quiz: %s\n", e.what());
        return 1;
    }
    SetInstallFolderForTests(app_);
    ProgramFolder = app_;
    db::OpenDatabases();

    // As the start-up does: the user database takes the catalogue's aircraft.
    data::SynchronizeUserDataWithStaticDB();
    quiz::frmSkyrendelMainMenu window;
    window.InitMainWindow();
    window.ArrangePanels();
    window.ResetRollovers();
    startQuiz(window);
    if (!window.isQuizInProgress()) {
        std::fprintf(stderr, "bench_quiz: the quiz did not start (%d active aircraft)%s\n",
                     int(window.catalogLists().lstActiveFolders.size()),
                     platform.messageBox.shown.isEmpty() ? "" : qPrintable(": " + platform.messageBox.shown[0].text));
        return 1;
    }

    // One question at a time: draw and show it, then decode its three
    // photographs and three logos from memory.
    constexpr int kSamples = 300;
    QVector<double> question, floor;
    quiz::QuestionRecords& records = window.records();
    for (int k = 0; k < kSamples; ++k) {
        QElapsedTimer t;
        t.start();
        window.NewQuestion();
        question << t.nsecsElapsed() / 1e6;

        QList<QByteArray> bytes;
        for (const QStringList* list : {&records.lstAnswerA, &records.lstAnswerB, &records.lstAnswerC}) {
            const QString entry = list->last();
            const QString folder = entry.section(QLatin1Char('!'), 0, 0);
            bytes << photoBytes(folder, entry.section(QLatin1Char('!'), 1).toInt()) << logoBytes(folder);
        }
        t.restart();
        int decoded = 0;
        for (const QByteArray& b : bytes) {
            QImage image;
            if (image.loadFromData(b)) ++decoded;
        }
        floor << t.nsecsElapsed() / 1e6;
        if (decoded != bytes.size()) std::fprintf(stderr, "bench_quiz: %d of 6 pictures decoded\n", decoded);
    }
    report("new_question_median_ms", percentile(question, 0.5), "ms");
    report("new_question_p95_ms", percentile(question, 0.95), "ms");
    report("new_question_floor_median_ms", percentile(floor, 0.5), "ms");

    // Memory: a fresh quiz, answered through the window as a user would.
    startQuiz(window);
    for (int k = 0; k < 20; ++k) window.ClickABC(k % 3);
    const double after20 = residentMb();
    for (int k = 20; k < 2000; ++k) window.ClickABC(k % 3);
    const double after2000 = residentMb();
    if (records.lstUsersInput.size() != 2000) {
        std::fprintf(stderr, "bench_quiz: %d answers recorded, 2000 expected\n", int(records.lstUsersInput.size()));
        return 1;
    }
    report("rss_growth_2000_questions_mb", after2000 - after20, "MB");
    db::CloseDatabases();
    SetInstallFolderForTests(QString());
    return 0;
}
