// Small data folders for tests and benchmarks: a temporary folder that the
// program takes as its data folder, the static, user and picture databases
// in it, rows for their tables and generated JPEG pictures.
//
//   sky::fixtures::DataFolder data;           // ProgramFolder points at it
//   data.createStaticAndUser();               // both files, both open
//   sky::fixtures::InsertAircraft(*sky::db::StaticDB(), {{1, "Boeing 747", "B747"}});
//   sky::fixtures::CreatePictureDatabase("B747", {sky::fixtures::MakeJpeg(64, 48, Qt::red)});
#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QVector>

namespace sky::db {
class Connection;
}

namespace sky::fixtures {

// A fresh temporary data folder with its DATA folder; while it lives it is
// both the install folder and ProgramFolder. Closes the program's
// connections when it goes.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QString dataPath() const { return dir_.path() + QStringLiteral("/DATA"); }

    // Creates skyrendel.skr and skyrendeluserdata.skr with their tables and
    // opens both program connections.
    void createStaticAndUser();

private:
    QTemporaryDir dir_;
    QString previousProgramFolder_;
};

// One AIRCRAFT row. Null values are written as NULL.
struct AircraftRow {
    int id = 0;
    QVariant type;   // AIRPLANETYPE
    QVariant folder; // FOLDER
    QVariant active = true;
    QVector<bool> sets = QVector<bool>(8, false);
    QVariant html;      // LIBRARYHTML
    QVariant nameImage; // NameImage (bytes)
};

struct PairRow {
    int aircraftId;
    int similarId;
    bool ask;
};

// Rows are added through the program's record sets in one transaction.
void InsertAircraft(db::Connection& connection, const QVector<AircraftRow>& rows);
void InsertPairs(db::Connection& connection, const QVector<PairRow>& pairs);
void InsertTextConstant(db::Connection& connection, const QVariant& name, const QVariant& data);

// A picture database at PictureDatabasePath(folder) holding the given
// photographs in this order (a null QByteArray is stored as NULL).
void CreatePictureDatabase(const QString& folder, const QList<QByteArray>& photos);

// A JPEG of one colour.
QByteArray MakeJpeg(int width, int height, const QColor& color, int quality = 90);
// A JPEG that looks like a photograph (sky, ground, an aircraft-like shape
// and grain), different for each seed; 1024x683 is the catalogue's size.
QByteArray MakePhotoJpeg(int seed, int width = 1024, int height = 683, int quality = 85);

// Every row of a table as text, one line per row with each column's name
// and value (bytes in hex), sorted; equal dumps mean equal tables.
QStringList DumpTable(db::Connection& connection, const QString& table);

} // namespace sky::fixtures
