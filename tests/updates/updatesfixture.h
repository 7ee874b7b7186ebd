// A data folder with a small catalogue, the settings store in a temporary
// folder pointing the updater at a test server, and builders for the files
// that server hands out (catalogues, picture databases).
#pragma once

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "shell/appstate.h"
#include "shell/settings.h"
#include "support/fixtures.h"
#include "testserverprocess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace updatestest {

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Aircraft {
    int id;
    QString folder;
    bool installed = true;
};

// Builds database files outside the program's data folder and hands back
// their bytes.
class FileMaker {
public:
    // A catalogue holding the given aircraft and the stamp "LastMod_0".
    QByteArray catalogue(const QVector<Aircraft>& aircraft, const QString& stamp) {
        const QString path = dir_.path() + QStringLiteral("/cat%1.skr").arg(++n_);
        sky::db::CreateDatabaseFile(path, sky::db::DbKind::Static);
        sky::db::Connection c;
        sky::db::OpenProgramDatabase(c, path);
        sky::fixtures::InsertAircraft(c, rows(aircraft));
        sky::fixtures::InsertTextConstant(c, QStringLiteral("LastMod_0"), stamp);
        c.Close();
        return ReadAll(path);
    }
    // A picture database with one photograph.
    QByteArray pictures(int seed) {
        const QString path = dir_.path() + QStringLiteral("/pic%1.skr").arg(++n_);
        sky::db::CreateDatabaseFile(path, sky::db::DbKind::Pictures);
        sky::db::Connection c;
        sky::db::OpenProgramDatabase(c, path);
        c.Execute(QStringLiteral("INSERT INTO IMAGES (IMAGE) VALUES (x'%1')")
                      .arg(QString::fromLatin1(sky::fixtures::MakeJpeg(16 + seed, 8, Qt::blue).toHex())));
        c.Close();
        return ReadAll(path);
    }
    static QVector<sky::fixtures::AircraftRow> rows(const QVector<Aircraft>& aircraft) {
        QVector<sky::fixtures::AircraftRow> r;
        for (const Aircraft& a : aircraft) {
            sky::fixtures::AircraftRow row;
            row.id = a.id;
            row.type = QStringLiteral("Type ") + a.folder;
            row.folder = a.folder;
            r << row;
        }
        return r;
    }

private:
    QTemporaryDir dir_;
    int n_ = 0;
};

// The program's data folder with a catalogue and user database of the
// given aircraft (picture databases for the installed ones) and the
// catalogue stamp.
class Installed {
public:
    Installed(const QVector<Aircraft>& aircraft, const QString& stamp) {
        data_.createStaticAndUser();
        const auto rows = FileMaker::rows(aircraft);
        sky::fixtures::InsertAircraft(*sky::db::StaticDB(), rows);
        sky::fixtures::InsertAircraft(*sky::db::UserDB(), rows);
        sky::fixtures::InsertTextConstant(*sky::db::StaticDB(), QStringLiteral("LastMod_0"), stamp);
        for (const Aircraft& a : aircraft)
            if (a.installed) sky::fixtures::CreatePictureDatabase(a.folder, {sky::fixtures::MakeJpeg(8, 8, Qt::red)});
    }
    QString path() const { return data_.path(); }
    QString dataPath() const { return data_.dataPath(); }
    QString catalogue() const { return data_.path() + QStringLiteral("/skyrendel.skr"); }
    QString backup() const { return data_.path() + QStringLiteral("/skyrendel_backup.skr"); }
    // The catalogue's bytes with every connection closed.
    QByteArray catalogueBytes() const {
        sky::db::CloseDatabases();
        const QByteArray b = ReadAll(catalogue());
        sky::db::OpenDatabases();
        return b;
    }

private:
    sky::fixtures::DataFolder data_;
};

// Every file under a folder, relative to it, sorted.
inline QStringList FilesUnder(const QString& folder) {
    QStringList out;
    QDir dir(folder);
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& e : entries) {
        if (e.isDir()) {
            for (const QString& sub : FilesUnder(e.filePath())) out << e.fileName() + QStringLiteral("/") + sub;
        } else {
            out << e.fileName();
        }
    }
    out.sort();
    return out;
}

} // namespace updatestest
