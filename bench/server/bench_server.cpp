// The update server under load on loopback, beside nginx in the same run:
// change lists per second and their 99th percentile with 64 connections
// (wrk), nginx serving a static file of the change list's size, and one
// 50 MB picture database downloaded from each.
#include "publication.h"
#include "server/serverfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace sky::servertest;

namespace {

struct WrkResult {
    double rps = 0;
    double p99ms = 0;
    long errors = 0;
};

double ToMs(double v, const QString& unit) {
    if (unit == "us") return v / 1000.0;
    if (unit == "s") return v * 1000.0;
    return v;
}

WrkResult Wrk(const QString& url, int seconds) {
    QProcess p;
    p.start("wrk", {"-t2", "-c64", QString("-d%1s").arg(seconds), "--latency", "--timeout", "5s", url});
    p.waitForFinished((seconds + 30) * 1000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    WrkResult r;
    auto rps = QRegularExpression(R"(Requests/sec:\s+([\d.]+))").match(out);
    if (rps.hasMatch()) r.rps = rps.captured(1).toDouble();
    auto p99 = QRegularExpression(R"(\n\s+99%\s+([\d.]+)(us|ms|s)\b)").match(out);
    if (p99.hasMatch()) r.p99ms = ToMs(p99.captured(1).toDouble(), p99.captured(2));
    auto non2xx = QRegularExpression(R"(Non-2xx or 3xx responses:\s+(\d+))").match(out);
    if (non2xx.hasMatch()) r.errors += non2xx.captured(1).toLong();
    auto sock = QRegularExpression(R"(Socket errors: connect (\d+), read (\d+), write (\d+), timeout (\d+))").match(out);
    if (sock.hasMatch())
        for (int i = 1; i <= 4; ++i) r.errors += sock.captured(i).toLong();
    if (r.rps == 0) std::fprintf(stderr, "wrk said:\n%s\n%s\n", qPrintable(out), p.readAllStandardError().constData());
    return r;
}

// The median rate and the median 99th percentile of a few rounds; errors added up.
WrkResult Median(std::vector<WrkResult> runs) {
    WrkResult m;
    for (const WrkResult& r : runs) m.errors += r.errors;
    std::sort(runs.begin(), runs.end(), [](const WrkResult& a, const WrkResult& b) { return a.rps < b.rps; });
    m.rps = runs[runs.size() / 2].rps;
    std::sort(runs.begin(), runs.end(), [](const WrkResult& a, const WrkResult& b) { return a.p99ms < b.p99ms; });
    m.p99ms = runs[runs.size() / 2].p99ms;
    return m;
}

// Best of three: the machine is shared.
double DownloadMBs(const QString& url, qint64 expected) {
    double best = 0;
    for (int i = 0; i < 3; ++i) {
        QProcess p;
        p.start("curl", {"-s", "-o", "/dev/null", "-w", "%{size_download} %{speed_download}", url});
        p.waitForFinished(120000);
        const QStringList f = QString::fromUtf8(p.readAllStandardOutput()).split(' ');
        if (f.size() != 2 || f[0].toLongLong() != expected) {
            std::fprintf(stderr, "download of %s was incomplete\n", qPrintable(url));
            return 0;
        }
        best = std::max(best, f[1].toDouble() / (1024.0 * 1024.0));
    }
    return best;
}

void WriteRandom(const QString& path, qint64 size) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, '\0');
    for (qint64 done = 0; done < size; done += block.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        f.write(block.constData(), std::min<qint64>(block.size(), size - done));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString root = tmp.filePath("root");
    const QString dir = root + "/publish-bench";
    QDir().mkpath(dir + "/files");
    QDir().mkpath(dir + "/photos");
    const qint64 big = 50LL * 1024 * 1024;
    WriteRandom(dir + "/files/skyrendel.skr", 400 * 1024);
    WriteRandom(dir + "/files/BIG.skr", big);

    sky::server::Publication pub;
    pub.dir = dir.toStdString();
    pub.lastMod = "bench 1";
    pub.files = {{"skyrendel.skr", 400 * 1024, "00"}, {"BIG.skr", big, "11"}};
    pub.aircraft = {{1, "BIG", "A big aircraft", "BIG.skr", {}}};
    std::string error;
    if (!sky::server::SavePublication(pub, &error) || ::symlink("publish-bench", qPrintable(root + "/current")) != 0) {
        std::fprintf(stderr, "bench_server: cannot lay out the publish: %s\n", error.c_str());
        return 1;
    }
    const QString query = "/quillan/app/getupdates.asp?lu=old&ver=1.4&mids=1";
    const QByteArray reply = "nodata\r\nskyrendel.skr;409600\r\nBIG.skr;52428800";
    // The same number of bytes as a static file for nginx.
    QFile cl(dir + "/files/cl.txt");
    cl.open(QIODevice::WriteOnly);
    cl.write(reply);
    cl.close();

    ServerProcess server;
    if (!server.start(root, {"--threads", "96"})) {
        std::fprintf(stderr, "bench_server: the update server did not start\n");
        return 1;
    }
    NginxProcess nginx;
    if (!nginx.start(tmp.filePath("nginx"), root, {server.port()})) {
        std::fprintf(stderr, "bench_server: nginx did not start\n");
        return 1;
    }
    const QString s = server.base();
    const QString n = QString("http://127.0.0.1:%1").arg(nginx.port());

    Wrk(s + query, 1); // warm both up
    Wrk(n + "/quillan/app/getupdates.asp?filename=cl.txt", 1);
    // Three rounds, taking turns, and the median of each: the machine is
    // shared, and both sides see the same moments of load.
    std::vector<WrkResult> c, g, v;
    for (int round = 0; round < 3; ++round) {
        c.push_back(Wrk(s + query, 4));
        g.push_back(Wrk(n + "/quillan/app/getupdates.asp?filename=cl.txt", 4));
        v.push_back(Wrk(n + query, 4));
    }
    const WrkResult cls = Median(c), ngx = Median(g), via = Median(v);
    std::printf("BENCH changelist_rps %.0f req/s\n", cls.rps);
    std::printf("BENCH changelist_p99_ms %.2f ms\n", cls.p99ms);
    std::printf("BENCH changelist_errors %ld requests\n", cls.errors);
    std::printf("BENCH nginx_static_errors %ld requests\n", ngx.errors);
    std::printf("BENCH nginx_static_rps %.0f req/s\n", ngx.rps);
    std::printf("BENCH nginx_static_p99_ms %.2f ms\n", ngx.p99ms);
    std::printf("BENCH changelist_to_nginx_static_ratio %.2f ratio\n", ngx.rps > 0 ? cls.rps / ngx.rps : 0.0);
    std::printf("BENCH changelist_via_nginx_rps %.0f req/s\n", via.rps);
    std::printf("BENCH changelist_via_nginx_p99_ms %.2f ms\n", via.p99ms);

    std::printf("BENCH server_download_mb_s %.1f MB/s\n", DownloadMBs(s + "/quillan/app/getupdates.asp?filename=BIG.skr", big));
    std::printf("BENCH nginx_download_mb_s %.1f MB/s\n", DownloadMBs(n + "/quillan/app/getupdates.asp?filename=BIG.skr", big));
    std::fflush(stdout);
    nginx.stop();
    server.stop();
    return 0;
}
