// Opening a picture database and reading one photograph; the program's
// start-up to its main window against a bare Qt window.
#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace sky::db;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double pictureOpenRead(const QString& dir) {
    const QString path = dir + "/pictures.skr";
    CreateDatabaseFile(path, DbKind::Pictures);
    {
        Connection c;
        OpenProgramDatabase(c, path);
        Recordset rs;
        rs.Open("SELECT * FROM IMAGES", c, adOpenDynamic);
        for (int i = 0; i < 12; ++i) {
            QByteArray bytes(200 * 1024, '\0');
            for (int j = 0; j < bytes.size(); ++j) bytes[j] = char((j * 31 + i) ^ (j >> 7));
            rs.addNew();
            rs.fields("ID") = i + 1;
            rs.fields("Image") = bytes;
            rs.update();
        }
    }
    std::vector<double> ms;
    for (int run = 0; run < 300; ++run) {
        QElapsedTimer t;
        t.start();
        Connection c;
        OpenProgramDatabase(c, path);
        Recordset rs;
        rs.Open("SELECT * FROM IMAGES", c, adOpenKeyset);
        rs.moveFirst();
        rs.moveLast();
        rs.moveFirst();
        for (int i = 0; i < run % 12; ++i) rs.moveNext();
        const QByteArray image = rs.fields("Image").getChunk(rs.fields("Image").actualSize());
        rs.close();
        c.Close();
        if (image.size() != 200 * 1024) std::abort();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return median(ms);
}

// One start of `program`, from the start to its end, in milliseconds; -1
// when it did not end cleanly.
double timeOneStart(const QString& program, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, {});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s did not end cleanly: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e6;
}

double timeProcess(const QString& program, const QProcessEnvironment& env, int runs) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double one = timeOneStart(program, env);
        if (one < 0) return -1;
        ms.push_back(one);
    }
    return median(ms);
}

void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        if (fi.isDir()) copyTree(fi.filePath(), to + "/" + fi.fileName());
        else QFile::copy(fi.filePath(), to + "/" + fi.fileName());
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    std::printf("BENCH picture_db_open_read_ms %.3f ms\n", pictureOpenRead(tmp.path()));

    const QString bin = QCoreApplication::applicationDirPath();
    const QString appDir = bin + "/../app";
    if (!QFile::exists(appDir + "/skyrendel.skr")) {
        std::fprintf(stderr, "start-up benchmark skipped: no catalogue in %s\n", qPrintable(appDir));
        return 0;
    }
    // A copy of the install folder, so the first-run move leaves the real one
    // alone; the first run makes the move, the measured ones find it done.
    const QString install = tmp.path() + "/install";
    copyTree(appDir, install);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", tmp.path() + "/home");
    env.insert("XDG_DATA_HOME", tmp.path() + "/home/data");
    env.insert("XDG_CONFIG_HOME", tmp.path() + "/home/config");
    env.insert("SKYRENDEL_MEASURE_STARTUP", "1");
    if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
    if (timeProcess(install + "/skyrendel", env, 1) < 0) return 1;
    // The two alternate, start after start, so that whatever else the
    // machine does at the time weighs on both alike.
    std::vector<double> programRuns, helloRuns;
    for (int i = 0; i < 21; ++i) {
        const double p = timeOneStart(install + "/skyrendel", env);
        const double h = timeOneStart(bin + "/hello_window", env);
        if (p < 0 || h < 0) return 1;
        programRuns.push_back(p);
        helloRuns.push_back(h);
    }
    const double program = median(programRuns);
    const double hello = median(helloRuns);
    std::printf("BENCH startup_to_main_window_ms %.1f ms\n", program);
    std::printf("BENCH qt_hello_window_ms %.1f ms\n", hello);
    std::printf("BENCH startup_vs_hello_ratio %.2f x\n", program / hello);

    // The installed program (cmake --install into a temporary prefix) from a
    // cold user folder each time: the first-run move is part of it.
    const QString prefix = tmp.path() + "/usr";
    QProcess installer;
    installer.start("cmake", {"--install", bin + "/..", "--prefix", prefix});
    if (!installer.waitForFinished(300000) || installer.exitCode() != 0) {
        std::fprintf(stderr, "cmake --install failed: %s\n", installer.readAllStandardError().constData());
        return 1;
    }
    std::vector<double> cold;
    for (int run = 0; run < 5; ++run) {
        const QString home = tmp.path() + QStringLiteral("/cold%1").arg(run);
        QProcessEnvironment coldEnv = env;
        coldEnv.insert("HOME", home);
        coldEnv.insert("XDG_DATA_HOME", home + "/data");
        coldEnv.insert("XDG_CONFIG_HOME", home + "/config");
        const double ms = timeProcess(prefix + "/bin/skyrendel", coldEnv, 1);
        if (ms < 0) return 1;
        cold.push_back(ms);
    }
    std::printf("BENCH installed_startup_ms %.1f ms\n", median(cold));
    return 0;
}
