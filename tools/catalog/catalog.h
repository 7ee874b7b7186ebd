// The catalogue builder: turns a catalogue source folder (catalog.json with
// its pages, photographs and logos) into the program's database files, and
// describes what an existing database file holds.
//
//   sky::catalog::BuildOptions o{source, out, photosDir};
//   sky::catalog::BuildReport r = sky::catalog::BuildCatalog(o);
//
// Everything is written into a scratch folder beside OUT and moved into OUT
// only when the whole catalogue has been built, so a failure leaves OUT as
// it was. Only the files the builder owns are replaced: skyrendel.skr,
// skyrendeluserdata.skr and DATA/FOLDER.skr of each aircraft.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <exception>

namespace sky::catalog {

// A fault in the catalogue source: the file it is in, the field (a path
// into the manifest such as aircraft[3].photos[1], or empty) and what is
// wrong with it.
class CatalogError : public std::exception {
public:
    CatalogError(QString file, QString field, QString problem);
    const QString& file() const { return file_; }
    const QString& field() const { return field_; }
    const QString& problem() const { return problem_; }
    // "FILE: FIELD: problem"
    QString message() const;
    const char* what() const noexcept override { return what_.constData(); }

private:
    QString file_, field_, problem_;
    QByteArray what_;
};

struct BuildOptions {
    QString source;    // the folder holding catalog.json
    QString out;       // the install folder to lay the files out in
    QString photosDir; // where "photos": "FOLDER" names are looked up; empty = source
};

struct BuildReport {
    int aircraft = 0;
    int photographs = 0;
    int pairs = 0;
    int textConstants = 0;
    int renderedLogos = 0;
};

// Builds the catalogue; throws CatalogError for a fault in the source and
// for a failure to write OUT. Needs a QGuiApplication (name logos are drawn
// with fonts).
BuildReport BuildCatalog(const BuildOptions& options);

// The file names the builder owns inside OUT.
inline const char* kStaticFileName = "skyrendel.skr";
inline const char* kUserFileName = "skyrendeluserdata.skr";
inline const char* kPictureFolderName = "DATA";

// The identifier of picture `index` (0-based) of aircraft `airplaneId`:
// AirplaneID * 1000 + index + 1, increasing in the manifest's order so the
// table's natural order is the manifest's order.
int PictureId(int airplaneId, int index);
constexpr int kMaxPhotographsPerAircraft = 999;
// The largest AirplaneID: its photographs' IDs (PictureId) still fit 32 bits.
constexpr int kMaxAirplaneId = 2000000;

// The size of a name logo, as the name buttons show it.
inline const QSize kNameLogoSize{300, 60};
// A JPEG of the type name in clear lettering on the program's navy band.
QByteArray RenderNameLogo(const QString& typeName);

// How a name is set on its logo: one or two lines at one pixel size. Every
// name that fits on one line at the standard size is set at that size, and
// a longer name breaks onto two lines at the two-line size, so plates of
// short and long names look alike; only a name too long for two lines is
// set smaller.
struct NameLogoLayout {
    QStringList lines;
    int pixelSize = 0;
};
NameLogoLayout LayOutNameLogo(const QString& typeName, const QSize& size = kNameLogoSize);
// The standard and the two-line sizes for a logo of the given size.
int NameLogoOneLinePixels(const QSize& size = kNameLogoSize);
int NameLogoTwoLinePixels(const QSize& size = kNameLogoSize);

// True when `bytes` is a complete baseline or progressive JPEG: start of
// image, a frame header with a non-zero size, a scan and the end of image.
// Cheap: it walks the segment headers and does not decode the scan data.
bool IsCompleteJpeg(const QByteArray& bytes, QString* why = nullptr);

// A readable account of what a database file holds: aircraft (with their
// picture counts from DATA/FOLDER.skr beside the file), pairs and text
// constants, or a picture database's images. Throws SkyError when the file
// cannot be opened.
QString InspectFile(const QString& path);

} // namespace sky::catalog
