// A changed catalogue put in place of the old one, end to end with the real
// programs: the builder refuses to renumber an installed catalogue, and the
// program, given a catalogue numbered differently from the user's database
// (three aircraft gone from the middle, one new), starts and keeps the
// user's active flags and pairs for every aircraft that stays.
#include "catalogfixture.h"

#include "data/databases.h"
#include "data/db.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <tuple>

using sky::db::Connection;
using sky::db::Recordset;

namespace {

QString binaryDir() { return qEnvironmentVariable("SKY_BINARY_DIR"); }

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeJson(const QString& path, const QJsonObject& o) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(QJsonDocument(o).toJson());
}

// The install folder's program files, without any catalogue.
void copyProgram(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::NoDotAndDotDot | QDir::AllEntries)) {
        if (fi.fileName() == "DATA" || fi.fileName().endsWith(".skr")) continue;
        if (fi.isDir()) copyProgram(fi.filePath(), to + "/" + fi.fileName());
        else QFile::copy(fi.filePath(), to + "/" + fi.fileName());
    }
}

struct Run {
    bool finished = false;
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Run r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromUtf8(p.readAll());
    return r;
}

QString findFile(const QString& root, const QString& name) {
    QDirIterator it(root, {name}, QDir::Files, QDirIterator::Subdirectories);
    return it.hasNext() ? it.next() : QString();
}

QStringList pairsByFolder(Connection& c) {
    QStringList out;
    Recordset rs;
    rs.Open("SELECT a.FOLDER, b.FOLDER, s.ASK FROM SIMILARAIRCRAFT s INNER JOIN AIRCRAFT a ON s.AIRCRAFTID = "
            "a.AirplaneID INNER JOIN AIRCRAFT b ON s.SIMILARAIRCRAFTID = b.AirplaneID",
            c);
    for (; !rs.eof(); rs.moveNext())
        out << rs.fields(0).text() + "-" + rs.fields(1).text() + ":" + (rs.fields(2).value().toBool() ? "hard" : "never");
    out.sort();
    return out;
}

QMap<QString, bool> activeByFolder(Connection& c) {
    QMap<QString, bool> out;
    Recordset rs;
    rs.Open("SELECT FOLDER, ISACTIVE FROM AIRCRAFT", c);
    for (; !rs.eof(); rs.moveNext()) out.insert(rs.fields(0).text(), rs.fields(1).value().toBool());
    return out;
}

int idOf(Connection& c, const QString& folder) {
    Recordset rs;
    rs.Open("SELECT AirplaneID FROM AIRCRAFT WHERE FOLDER='" + folder + "'", c);
    return rs.eof() ? 0 : rs.fields(0).value().toInt();
}

} // namespace

class TestCatalogChange : public QObject {
    Q_OBJECT

private slots:
    void changedCatalogueStartsAndKeepsUserChoices() {
        const QString tool = binaryDir() + "/bin/skyrendel-catalog";
        const QString appDir = binaryDir() + "/app";
        QVERIFY2(QFileInfo(tool).isExecutable(), qPrintable(tool));
        QVERIFY2(QFileInfo(appDir + "/skyrendel").isExecutable(), qPrintable(appDir));
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());

        // Seven aircraft, numbered by their place in the list as older
        // catalogues were.
        const auto src = sky::fixture::GenerateCatalogSource(tmp.filePath("src"), {7, 1});
        const QStringList f = src.folders; // A..G of the story: f[0]..f[6]
        QJsonObject manifest = QJsonDocument::fromJson(readAll(src.source + "/catalog.json")).object();
        manifest.remove("pairs");
        writeJson(src.source + "/catalog.json", manifest);

        const QString install = tmp.filePath("install");
        copyProgram(appDir, install);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", tmp.filePath("home"));
        env.insert("XDG_DATA_HOME", tmp.filePath("home/data"));
        env.insert("XDG_CONFIG_HOME", tmp.filePath("home/config"));
        env.insert("SKYRENDEL_MEASURE_STARTUP", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");

        Run r = run(tool, {"build", src.source, install, "--photos", src.photosDir}, env, 120000);
        QVERIFY2(r.finished && r.exitCode == 0, qPrintable(r.output));

        // First start: the data moves into the user folder and the user
        // database is filled from the catalogue.
        r = run(install + "/skyrendel", {}, env, 90000);
        QVERIFY2(r.finished && r.exitCode == 0, qPrintable("first start: " + r.output));
        const QString userDb = findFile(tmp.filePath("home"), "skyrendeluserdata.skr");
        QVERIFY2(!userDb.isEmpty(), "no user database in the user folder");
        const QString userFolder = QFileInfo(userDb).absolutePath();

        // The user's choices: E inactive, E-F never, A-E hard, B-E hard.
        {
            Connection c;
            sky::db::OpenProgramDatabase(c, userDb);
            c.Execute("UPDATE AIRCRAFT SET ISACTIVE=FALSE WHERE FOLDER='" + f[4] + "'");
            c.Execute("UPDATE AIRCRAFT SET ISACTIVE=TRUE WHERE FOLDER<>'" + f[4] + "'");
            const int a = idOf(c, f[0]), b = idOf(c, f[1]), e = idOf(c, f[4]), ff = idOf(c, f[5]);
            for (const auto& [x, y, ask] : {std::tuple{e, ff, "FALSE"}, std::tuple{ff, e, "FALSE"},
                                            std::tuple{a, e, "TRUE"}, std::tuple{e, a, "TRUE"},
                                            std::tuple{b, e, "TRUE"}, std::tuple{e, b, "TRUE"}})
                c.Execute(QStringLiteral("INSERT INTO SIMILARAIRCRAFT (AIRCRAFTID, SIMILARAIRCRAFTID, ASK) VALUES (%1, %2, %3)")
                              .arg(x)
                              .arg(y)
                              .arg(QString::fromLatin1(ask)));
        }

        // The changed catalogue: B, C, D gone, a newcomer, paired hard with
        // E, and everything renumbered by place.
        QJsonArray list = manifest["aircraft"].toArray();
        list.removeAt(1);
        list.removeAt(1);
        list.removeAt(1);
        QJsonObject newcomer = list[0].toObject();
        newcomer["folder"] = "NEWC";
        newcomer["name"] = "Newcomer";
        list.append(newcomer);
        for (int i = 0; i < list.size(); ++i) {
            QJsonObject a = list[i].toObject();
            a["id"] = i + 1;
            list[i] = a;
        }
        QJsonObject changed = manifest;
        changed["aircraft"] = list;
        changed["pairs"] = QJsonArray{QJsonObject{{"a", "NEWC"}, {"b", f[4]}, {"ask", "hard"}}};
        writeJson(src.source + "/catalog.json", changed);

        // Built over the installed catalogue, the renumbering is refused and
        // nothing changes.
        const QByteArray installed = readAll(userFolder + "/skyrendel.skr");
        r = run(tool, {"build", src.source, userFolder, "--photos", src.photosDir}, env, 120000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.output.contains("would change the AirplaneID of \"" + f[4] + "\""), qPrintable(r.output));
        QVERIFY(readAll(userFolder + "/skyrendel.skr") == installed);

        // Built elsewhere and put in place of the old one, as a hand-copied
        // file or an older updater would.
        const QString fresh = tmp.filePath("fresh");
        r = run(tool, {"build", src.source, fresh, "--photos", src.photosDir}, env, 120000);
        QVERIFY2(r.finished && r.exitCode == 0, qPrintable(r.output));
        QVERIFY(QFile::remove(userFolder + "/skyrendel.skr"));
        QVERIFY(QFile::copy(fresh + "/skyrendel.skr", userFolder + "/skyrendel.skr"));
        QVERIFY(QFile::copy(fresh + "/DATA/NEWC.skr", userFolder + "/DATA/NEWC.skr"));

        // Two starts: both reach the main window.
        for (int start = 0; start < 2; ++start) {
            r = run(install + "/skyrendel", {}, env, 90000);
            QVERIFY2(r.finished, "the program did not end: stopped at a message?");
            QVERIFY2(r.exitCode == 0, qPrintable(r.output));
        }

        Connection c;
        sky::db::OpenProgramDatabase(c, userDb);
        const QMap<QString, bool> active = activeByFolder(c);
        QCOMPARE(active.keys(), (QStringList{f[0], f[4], f[5], f[6], "NEWC"}));
        QCOMPARE(active.value(f[4]), false);
        QCOMPARE(active.value(f[0]), true);
        QCOMPARE(active.value("NEWC"), true);
        QCOMPARE(pairsByFolder(c), (QStringList{f[0] + "-" + f[4] + ":hard", f[4] + "-" + f[0] + ":hard",
                                                f[4] + "-" + f[5] + ":never", f[4] + "-NEWC:hard",
                                                f[5] + "-" + f[4] + ":never", "NEWC-" + f[4] + ":hard"}));
    }
};

QTEST_MAIN(TestCatalogChange)
#include "tst_catalogchange.moc"
