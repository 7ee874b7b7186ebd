// The synchronisation of the user database with a catalogue of 500
// aircraft (each with a description page, a name logo and four similar
// pairs), and the rebuilding of the catalogue lists.
#include "support/benchutil.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/sync.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

using namespace sky;
using fixtures::AircraftRow;
using fixtures::PairRow;

namespace {

constexpr int kAircraft = 500;
constexpr int kPairsPerAircraft = 4;
constexpr int kChanged = 50;
constexpr int kRuns = 5;

QString folderOf(int id) { return QStringLiteral("AC%1").arg(id, 4, 10, QLatin1Char('0')); }
QString nameOf(int id) { return QStringLiteral("Aircraft type %1").arg(id, 4, 10, QLatin1Char('0')); }

AircraftRow row(int id, const QByteArray& logo) {
    AircraftRow r;
    r.id = id;
    r.type = nameOf(id);
    r.folder = folderOf(id);
    r.active = id % 5 != 0;
    r.sets = QVector<bool>(8, false);
    r.sets[id % 8] = true;
    r.sets[(id / 3) % 8] = true;
    r.html = QStringLiteral("<html><body><h1>%1</h1>%2</body></html>")
                 .arg(nameOf(id), QStringLiteral("<p>It's a description of this type of aircraft.</p>").repeated(60));
    r.nameImage = logo;
    return r;
}

// Pairs of each aircraft with the next four, stored in one direction.
QVector<PairRow> pairsOf(const QVector<int>& ids, const QVector<int>& among) {
    QVector<PairRow> pairs;
    for (int a : ids)
        for (int k = 1; k <= kPairsPerAircraft; ++k) pairs << PairRow{a, among[(among.indexOf(a) + k) % among.size()], k % 2 == 1};
    return pairs;
}

void replaceFile(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) throw std::runtime_error("cannot copy a database file");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    FakePlatform platform;
    fixtures::DataFolder data;
    data.createStaticAndUser();
    const QString staticPath = db::StaticDatabasePath();
    const QString userPath = db::UserDatabasePath();
    const QString work = data.path() + QStringLiteral("/saved-");

    QVector<QByteArray> logos;
    for (int k = 0; k < 8; ++k) logos << fixtures::MakePhotoJpeg(k, 300, 60);
    QVector<int> ids;
    QVector<AircraftRow> rows;
    for (int id = 1; id <= kAircraft; ++id) {
        ids << id;
        rows << row(id, logos[id % logos.size()]);
        // Installed: the lists test only that the picture database exists.
        QFile f(db::PictureDatabasePath(folderOf(id)));
        f.open(QIODevice::WriteOnly);
    }
    fixtures::InsertAircraft(*db::StaticDB(), rows);
    fixtures::InsertPairs(*db::StaticDB(), pairsOf(ids, ids));
    db::CloseDatabases();
    replaceFile(staticPath, work + "static");
    replaceFile(userPath, work + "empty-user");

    // The first synchronisation into an empty user database.
    QVector<double> fresh;
    QElapsedTimer t;
    for (int run = 0; run < kRuns; ++run) {
        replaceFile(work + "static", staticPath);
        replaceFile(work + "empty-user", userPath);
        db::OpenDatabases();
        t.start();
        data::SynchronizeUserDataWithStaticDB();
        fresh << t.nsecsElapsed() / 1e6;
        if (data::lstNewAircraft().size() != kAircraft) {
            std::fprintf(stderr, "bench_data_sync: %lld aircraft copied\n", static_cast<long long>(data::lstNewAircraft().size()));
            return 1;
        }
        db::CloseDatabases();
    }
    benchutil::report("sync_500_new_ms", benchutil::median(fresh), "ms");
    replaceFile(userPath, work + "synced-user");

    // A new catalogue: the first 50 removed, 50 added (paired with each other
    // and with aircraft already present) and 50 renamed.
    db::OpenDatabases();
    {
        db::Connection& st = *db::StaticDB();
        st.Execute(QStringLiteral("DELETE * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID<=%1 OR SIMILARAIRCRAFTID<=%1").arg(kChanged));
        st.Execute(QStringLiteral("DELETE * FROM AIRCRAFT WHERE AirplaneID<=%1").arg(kChanged));
        st.Execute(QStringLiteral("UPDATE AIRCRAFT SET AIRPLANETYPE=AIRPLANETYPE || ' Mk II' WHERE AirplaneID>%1 AND AirplaneID<=%2")
                       .arg(kChanged)
                       .arg(2 * kChanged));
        QVector<AircraftRow> added;
        QVector<int> addedIds, among;
        for (int id = 1001; id < 1001 + kChanged; ++id) {
            added << row(id, logos[id % logos.size()]);
            addedIds << id;
            QFile f(db::PictureDatabasePath(folderOf(id)));
            f.open(QIODevice::WriteOnly);
        }
        for (int id = kChanged + 1; id <= kAircraft; ++id) among << id;
        among += addedIds;
        fixtures::InsertAircraft(st, added);
        fixtures::InsertPairs(st, pairsOf(addedIds, among));
    }
    db::CloseDatabases();
    replaceFile(staticPath, work + "changed-static");

    QVector<double> changed;
    for (int run = 0; run < kRuns; ++run) {
        replaceFile(work + "changed-static", staticPath);
        replaceFile(work + "synced-user", userPath);
        db::OpenDatabases();
        t.start();
        data::SynchronizeUserDataWithStaticDB();
        changed << t.nsecsElapsed() / 1e6;
        if (data::lstNewAircraft().size() != kChanged) {
            std::fprintf(stderr, "bench_data_sync: %lld aircraft copied, %d expected\n",
                         static_cast<long long>(data::lstNewAircraft().size()), kChanged);
            return 1;
        }
        if (run + 1 < kRuns) db::CloseDatabases();
    }
    benchutil::report("sync_50_changed_ms", benchutil::median(changed), "ms");

    // Every later start: nothing changed; the catalogue is already active.
    QVector<double> again;
    for (int run = 0; run < kRuns; ++run) {
        t.start();
        data::SynchronizeUserDataWithStaticDB();
        again << t.nsecsElapsed() / 1e6;
    }
    benchutil::report("sync_nothing_changed_ms", benchutil::median(again), "ms");

    // The catalogue lists over the 500 aircraft now in the user database.
    QVector<double> reset;
    data::CatalogLists lists;
    for (int run = 0; run < 20; ++run) {
        t.start();
        const int count = lists.resetLstAircraftNamesAndFolders(false);
        reset << t.nsecsElapsed() / 1e6;
        if (lists.lstAircraftFolders.size() != kAircraft || count == 0) {
            std::fprintf(stderr, "bench_data_sync: %lld aircraft listed\n", static_cast<long long>(lists.lstAircraftFolders.size()));
            return 1;
        }
    }
    benchutil::report("reset_lists_ms", benchutil::median(reset), "ms");
    return 0;
}
