// The pieces every end-to-end update test needs: catalogue sources turned
// into database files by skyrendel-catalog, publishes made by
// skyrendel-publish, and small file helpers. Servers come from
// tests/server/serverfixture.h.
#pragma once

#include "serverfixture.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>

namespace sky::endtoend {

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const bool ok = f.write(bytes) == bytes.size();
    f.close();
    return ok;
}

struct SourceAircraft {
    int id;
    QString folder;
    QString name;
    int photos = 2;
};

// Writes a catalogue source folder (catalog.json, a page and photographs per
// aircraft) that skyrendel-catalog builds. Empty text on success, else why.
inline QString WriteCatalogSource(const QString& dir, const QVector<SourceAircraft>& aircraft, const QString& lastMod) {
    if (!QDir().mkpath(dir)) return dir + ": cannot be made";
    QJsonArray list;
    for (const SourceAircraft& a : aircraft) {
        const QString photoDir = dir + "/photos/" + a.folder;
        QDir().mkpath(photoDir);
        for (int i = 0; i < a.photos; ++i)
            if (!WriteAll(photoDir + QStringLiteral("/%1.jpg").arg(i, 2, 10, QLatin1Char('0')),
                          fixtures::MakePhotoJpeg(a.id * 10 + i, 320, 200)))
                return photoDir + ": cannot be written";
        QJsonObject o;
        o["id"] = a.id;
        o["folder"] = a.folder;
        o["name"] = a.name;
        o["active"] = true;
        o["sets"] = QJsonObject{{"isLargeJet", true}};
        QDir().mkpath(dir + "/pages");
        if (!WriteAll(dir + "/pages/" + a.folder + ".html", ("<p>The " + a.name + ".</p>").toUtf8()))
            return dir + "/pages: cannot be written";
        o["description"] = QJsonObject{{"file", "pages/" + a.folder + ".html"}};
        o["photos"] = "photos/" + a.folder;
        list.append(o);
    }
    QJsonObject root;
    root["textConstants"] = QJsonObject{{"FAQ", QJsonObject{{"text", "<p>Questions.</p>"}}},
                                        {"LastMod_0", QJsonObject{{"text", lastMod}}}};
    root["aircraft"] = list;
    if (!WriteAll(dir + "/catalog.json", QJsonDocument(root).toJson())) return dir + "/catalog.json: cannot be written";
    return {};
}

// skyrendel-catalog build SOURCE OUT; empty text on success, else its output.
inline QString BuildCatalog(const QString& source, const QString& out) {
    const servertest::RunResult r = servertest::Run(servertest::Tool("skyrendel-catalog"), {"build", source, out});
    return r.exitCode == 0 ? QString() : "skyrendel-catalog: " + r.out + r.err;
}

// skyrendel-publish ARGS; empty text on success, else its output.
inline QString Publish(const QStringList& args) {
    const servertest::RunResult r = servertest::Run(servertest::Tool("skyrendel-publish"), args);
    return r.exitCode == 0 ? QString() : "skyrendel-publish: " + r.out + r.err;
}

} // namespace sky::endtoend
