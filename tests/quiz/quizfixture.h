// A small catalogue for the quiz tests: aircraft named A, B, C... each with
// photographs and a name logo of its own colour, so that a test can tell
// from a shown picture which aircraft it is; aircraft sets and similarity
// pairs as a test needs them, in the static and the user database.
#pragma once

#include "data/databases.h"
#include "data/db.h"
#include "shell/picturebox.h"
#include "support/fixtures.h"

#include <QColor>
#include <QImage>
#include <QVector>

namespace quiztest {

struct Plane {
    QString folder;          // also the type name's first letter
    QVector<int> sets = {};  // set indices marked true
    bool active = true;
    bool installed = true;   // has a picture database
    int photos = 2;
    bool brokenPhotos = false; // photographs that do not decode
};

struct Pair {
    QString a, b;
    bool ask;
};

inline QColor ColourOf(int i) {
    static const QColor colours[] = {QColor(220, 30, 30),  QColor(30, 160, 40),  QColor(30, 60, 220),
                                     QColor(230, 200, 20), QColor(200, 40, 200), QColor(20, 200, 200),
                                     QColor(120, 60, 20),  QColor(250, 140, 20), QColor(120, 120, 120),
                                     QColor(20, 20, 20),   QColor(250, 250, 250), QColor(120, 200, 120)};
    return colours[i % 12];
}

// The name type of a folder, ordered as the folders are.
inline QString NameOf(const QString& folder) { return QStringLiteral("Type ") + folder; }

class Catalogue {
public:
    // Aircraft ids are their positions + 1. Pairs go to the user database
    // unless given as static pairs.
    Catalogue(const QVector<Plane>& planes, const QVector<Pair>& userPairs = {}, const QVector<Pair>& staticPairs = {})
        : planes_(planes) {
        data_.createStaticAndUser();
        QVector<sky::fixtures::AircraftRow> rows;
        for (int i = 0; i < planes.size(); ++i) {
            sky::fixtures::AircraftRow r;
            r.id = i + 1;
            r.type = NameOf(planes[i].folder);
            r.folder = planes[i].folder;
            r.active = planes[i].active;
            for (int s : planes[i].sets) r.sets[s] = true;
            r.nameImage = sky::fixtures::MakeJpeg(60, 12, ColourOf(i));
            rows << r;
            if (!planes[i].installed) continue;
            QList<QByteArray> photos;
            for (int k = 0; k < planes[i].photos; ++k)
                photos << (planes[i].brokenPhotos ? QByteArray("not a picture")
                                                  : sky::fixtures::MakeJpeg(48 + k, 32, ColourOf(i)));
            sky::fixtures::CreatePictureDatabase(planes[i].folder, photos);
        }
        sky::fixtures::InsertAircraft(*sky::db::StaticDB(), rows);
        sky::fixtures::InsertAircraft(*sky::db::UserDB(), rows);
        sky::fixtures::InsertPairs(*sky::db::UserDB(), pairsOf(userPairs));
        sky::fixtures::InsertPairs(*sky::db::StaticDB(), pairsOf(staticPairs));
    }

    int idOf(const QString& folder) const {
        for (int i = 0; i < planes_.size(); ++i)
            if (planes_[i].folder == folder) return i + 1;
        return 0;
    }

    // The aircraft whose colour a picture shows; empty for no picture.
    QString folderShownBy(const QImage& image) const {
        if (image.isNull()) return QString();
        const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
        int best = -1;
        int bestDistance = 1 << 30;
        for (int i = 0; i < planes_.size(); ++i) {
            const QColor k = ColourOf(i);
            const int d = (c.red() - k.red()) * (c.red() - k.red()) + (c.green() - k.green()) * (c.green() - k.green()) +
                          (c.blue() - k.blue()) * (c.blue() - k.blue());
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return best < 0 ? QString() : planes_[best].folder;
    }

    const sky::fixtures::DataFolder& folder() const { return data_; }

private:
    QVector<sky::fixtures::PairRow> pairsOf(const QVector<Pair>& pairs) const {
        QVector<sky::fixtures::PairRow> out;
        for (const Pair& p : pairs) out.push_back({idOf(p.a), idOf(p.b), p.ask});
        return out;
    }

    sky::fixtures::DataFolder data_;
    QVector<Plane> planes_;
};

} // namespace quiztest
