// Generated catalogue sources for tests and benchmarks: real JPEG
// photographs drawn with QImage, a catalog.json manifest, description
// pages and a FAQ, laid out as the catalogue builder reads them.
//
//   auto src = sky::fixture::GenerateCatalogSource(dir, {500, 20});
//   sky::catalog::BuildCatalog({src.source, out, src.photosDir});
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

namespace sky::fixture {

// A JPEG photograph-like picture (sky gradient, ground, an aircraft shape,
// grain), different for every seed.
QByteArray MakeJpeg(int seed, QSize size = QSize(480, 320), int quality = 85);

// The same picture with a comment segment naming `tag` after its start
// marker: still a valid JPEG, and unique in its bytes.
QByteArray TagJpeg(const QByteArray& jpeg, const QByteArray& tag);

struct CatalogSpec {
    int aircraft = 3;
    int photosPerAircraft = 2;
    // Distinct pictures drawn; the photographs reuse them with a unique tag.
    int distinctPictures = 40;
    QSize pictureSize = QSize(480, 320);
    int quality = 85;
    // Every aircraft's description as a file (false: every third is an
    // address).
    bool allDescriptionsAsFiles = false;
};

struct CatalogSource {
    QString source;    // holds catalog.json, pages/, faq.html
    QString photosDir; // holds FOLDER/NN.jpg
    QStringList folders;
    QStringList names;
    qint64 photoBytes = 0;
};

// The FOLDER and type name of generated aircraft i (0-based).
QString GeneratedFolder(int i);
QString GeneratedName(int i);

// Writes a catalogue source into `root` (source in root/source, photographs
// in root/photos). Throws std::runtime_error when a file cannot be written.
CatalogSource GenerateCatalogSource(const QString& root, const CatalogSpec& spec);

} // namespace sky::fixture
