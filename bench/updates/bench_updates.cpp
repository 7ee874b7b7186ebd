// The updater's download rate against curl's, for one 50 MB file from the
// same server on 127.0.0.1 in the same run, with the progress display on;
// and the missing-aircraft list of a 500-aircraft catalogue.
#include "data/databases.h"
#include "data/db.h"
#include "shell/appstate.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"
#include "updates/inet.h"
#include "updates/modUpdates.h"
#include "testserverprocess.h"

#include "support/benchutil.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>

#include <algorithm>
#include <cstdio>

using namespace sky;
using benchutil::report;

namespace {

constexpr qint64 kFileBytes = 50LL * 1024 * 1024;
constexpr int kRounds = 3;

double mbPerSecond(qint64 bytes, qint64 ns) { return (double(bytes) / (1024.0 * 1024.0)) / (double(ns) / 1e9); }

bool downloadRates(double& ours, double& curl) {
    updatestest::TestServer server;
    QByteArray body(int(kFileBytes), Qt::Uninitialized);
    for (qint64 i = 0; i < kFileBytes; ++i) body[int(i)] = char((i * 2654435761u) >> 13);
    server.setFile("big.skr", body);
    body.clear();
    const QString url = server.base() + QStringLiteral("/big.skr");
    QTemporaryDir out;

    QWidget window;
    QProgressBar bar(&window);
    QLabel label(&window);
    window.show();
    ours = 0;
    curl = 0;
    for (int round = 0; round < kRounds; ++round) {
        // curl, writing to a file in the same folder.
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), out.path() + "/curl.bin", url});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) return false;
        curl = std::max(curl, mbPerSecond(kFileBytes, t.nsecsElapsed()));

        int status = -1;
        t.restart();
        updates::DownloadUrl(url, status, out.path() + "/ours.bin", &bar, &label, kFileBytes);
        const qint64 ns = t.nsecsElapsed();
        if (status != 0) return false;
        ours = std::max(ours, mbPerSecond(kFileBytes, ns));
    }
    return true;
}

double missingIdsMs() {
    fixtures::DataFolder data;
    data.createStaticAndUser();
    QVector<fixtures::AircraftRow> rows;
    for (int id = 1; id <= 500; ++id) {
        fixtures::AircraftRow r;
        r.id = id;
        r.type = QStringLiteral("Type %1").arg(id);
        r.folder = QStringLiteral("AC%1").arg(id, 4, 10, QLatin1Char('0'));
        rows << r;
        QFile f(data.dataPath() + "/" + r.folder.toString() + ".skr");
        f.open(QIODevice::WriteOnly);
    }
    fixtures::InsertAircraft(*db::StaticDB(), rows);
    QVector<double> samples;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer t;
        t.start();
        const QString ids = updates::MissingAircraftIDs();
        samples << double(t.nsecsElapsed()) / 1e6;
        if (!ids.isEmpty()) return -1;
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The download runs with the real platform: its waits let window
    // messages run as the program's do.
    double ours = 0, curl = 0;
    if (!downloadRates(ours, curl)) {
        std::fprintf(stderr, "download benchmark failed\n");
        return 1;
    }
    report("curl_download_mb_s", curl, "MB/s");
    report("update_download_mb_s", ours, "MB/s");
    report("update_download_ratio_to_curl", ours / curl, "ratio");
    FakePlatform fake;
    const double ms = missingIdsMs();
    if (ms < 0) {
        std::fprintf(stderr, "missing-aircraft benchmark found aircraft missing\n");
        return 1;
    }
    report("missing_ids_500_ms", ms, "ms");
    return 0;
}
