// Showing photographs from a catalogue of 500 aircraft with 20 photographs
// of 1024x683 each, against decoding the same photographs from memory.
#include "support/benchutil.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/pictures.h"
#include "shell/picturebox.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <unistd.h>

using namespace sky;

namespace {

constexpr int kAircraft = 500;
constexpr int kPhotos = 20;
constexpr int kDistinctPhotos = 24;
// Distinct picture database files; the other aircraft's files are links to
// them (the same bytes on disk, read through their own names).
constexpr int kDistinctDatabases = 25;
constexpr int kSamples = 400;

class Target : public PictureTarget {
public:
    void setPicture(const QImage& image) override { image_ = image; }
    QImage picture() const override { return image_; }

private:
    QImage image_;
};

QString folderOf(int i) { return QStringLiteral("AC%1").arg(i, 3, 10, QLatin1Char('0')); }

// The bytes of the photograph at `position` in the folder's picture database.
QByteArray photoBytes(const QString& folder, int position) {
    db::Connection c;
    db::OpenProgramDatabase(c, db::PictureDatabasePath(folder));
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT Image FROM IMAGES"), c, db::adOpenKeyset);
    for (int i = 0; i < position; ++i) rs.moveNext();
    return rs.fields(0).value().toByteArray();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    FakePlatform platform;
    fixtures::DataFolder data;

    QList<QByteArray> pool;
    qint64 poolBytes = 0;
    for (int k = 0; k < kDistinctPhotos; ++k) {
        pool << fixtures::MakePhotoJpeg(k);
        poolBytes += pool.back().size();
    }
    for (int d = 0; d < kDistinctDatabases; ++d) {
        QList<QByteArray> photos;
        for (int k = 0; k < kPhotos; ++k) photos << pool[(d * 7 + k) % pool.size()];
        fixtures::CreatePictureDatabase(folderOf(d), photos);
    }
    for (int i = kDistinctDatabases; i < kAircraft; ++i) {
        const QString from = db::PictureDatabasePath(folderOf(i % kDistinctDatabases));
        const QString to = db::PictureDatabasePath(folderOf(i));
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0 && !QFile::copy(from, to)) {
            std::fprintf(stderr, "bench_data_pictures: cannot lay out %s\n", qPrintable(to));
            return 1;
        }
    }
    std::fprintf(stderr, "bench_data_pictures: %d aircraft x %d photographs, %.0f KB per photograph on average\n",
                 kAircraft, kPhotos, poolBytes / 1024.0 / kDistinctPhotos);

    Target target;
    // Warm up: the files, the image plugin and the caches.
    for (int i = 0; i < 20; ++i) data::LoadAircraftPicture(folderOf(i), -1, &target);

    QVector<double> load, decode;
    QElapsedTimer t;
    for (int s = 0; s < kSamples; ++s) {
        const QString folder = folderOf(static_cast<int>(platform.random.next() * kAircraft));
        t.start();
        const int position = data::LoadAircraftPicture(folder, -1, &target);
        load << t.nsecsElapsed() / 1e6;
        if (target.picture().isNull()) {
            std::fprintf(stderr, "bench_data_pictures: nothing shown for %s\n", qPrintable(folder));
            return 1;
        }

        const QByteArray bytes = photoBytes(folder, position);
        t.start();
        QImage image;
        image.loadFromData(bytes, "JPG");
        decode << t.nsecsElapsed() / 1e6;
        if (image.size() != target.picture().size()) {
            std::fprintf(stderr, "bench_data_pictures: a different photograph decoded\n");
            return 1;
        }
    }
    benchutil::report("load_aircraft_picture_median_ms", benchutil::median(load), "ms");
    benchutil::report("load_aircraft_picture_p95_ms", benchutil::percentile(load, 0.95), "ms");
    benchutil::report("jpeg_decode_only_median_ms", benchutil::median(decode), "ms");
    return 0;
}
