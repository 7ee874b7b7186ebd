// Shared by the learning tests: a catalogue of aircraft with photographs
// whose colour tells which one is shown, and a stand-in for the main
// window's learning panel with its tab heads, pages and exit button.
#pragma once

#include "data/catalog.h"
#include "data/databases.h"
#include "support/fixtures.h"

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QVector>
#include <QWidget>

#include "shell/picturebox.h"

namespace learningtest {

struct Plane {
    int id;          // AirplaneID in the static database
    QString name;    // AIRPLANETYPE
    QString folder;  // FOLDER
    int photos;      // -1: no picture database at all
    QVariant html = QVariant(); // LIBRARYHTML
    int userId = 0;  // AirplaneID in the user database (0: the same as id)
    bool active = true;
};

// Photograph i of the aircraft with static id k: red 20k+10 (mod 250),
// green 20i+10, blue 128.
inline QColor photoColour(int k, int i) { return QColor((20 * k + 10) % 250, (20 * i + 10) % 250, 128); }

// Which photograph (0-based) an image shows for aircraft k; -1 for none.
inline int shownPhoto(const QImage& image, int k, int photos) {
    if (image.isNull()) return -1;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    for (int i = 0; i < photos; ++i) {
        const QColor want = photoColour(k, i);
        if (qAbs(c.red() - want.red()) <= 6 && qAbs(c.green() - want.green()) <= 6) return i;
    }
    return -1;
}

inline QByteArray logoFor(int k) { return sky::fixtures::MakeJpeg(200, 24, QColor(k * 10 % 250, 200, 40)); }

// Writes the planes into both databases and their picture databases.
inline void buildCatalogue(const QVector<Plane>& planes) {
    QVector<sky::fixtures::AircraftRow> statics, users;
    for (const Plane& p : planes) {
        sky::fixtures::AircraftRow row;
        row.id = p.id;
        row.type = p.name;
        row.folder = p.folder;
        row.active = p.active;
        row.html = p.html;
        row.nameImage = logoFor(p.id);
        statics << row;
        row.id = p.userId ? p.userId : p.id;
        users << row;
        if (p.photos >= 0) {
            QList<QByteArray> photos;
            for (int i = 0; i < p.photos; ++i) photos << sky::fixtures::MakeJpeg(32, 24, photoColour(p.id, i));
            sky::fixtures::CreatePictureDatabase(p.folder, photos);
        }
    }
    sky::fixtures::InsertAircraft(*sky::db::StaticDB(), statics);
    sky::fixtures::InsertAircraft(*sky::db::UserDB(), users);
}

// The main window's learning panel as far as learning mode sees it.
class StandInPanel : public QWidget {
public:
    explicit StandInPanel(const QSize& size = QSize(984, 684)) {
        setObjectName(QStringLiteral("picLearningMode"));
        resize(size);
        auto* exit = new QPushButton(QStringLiteral("Exit"), this);
        exit->setObjectName(QStringLiteral("cmdExit"));
        exit->resize(96, 36);
        const QString captions[2] = {QStringLiteral("Compare With Another"), QStringLiteral("About this Aircraft")};
        for (int i = 0; i < 2; ++i) {
            pages[i] = new QWidget(this);
            pages[i]->setObjectName(QStringLiteral("picPanel_%1").arg(i));
            heads[i] = new sky::PictureBox(this, QStringLiteral("TopTab_%1").arg(i));
            auto* caption = new QLabel(captions[i], heads[i]);
            caption->setObjectName(QStringLiteral("lblTopTabCaption_%1").arg(i));
            caption->setAlignment(Qt::AlignCenter);
            covers[i] = new QWidget(this);
            covers[i]->setObjectName(QStringLiteral("TabCover_%1").arg(i));
            covers[i]->setAutoFillBackground(true);
            QPalette p = covers[i]->palette();
            p.setColor(QPalette::Window, Qt::white);
            covers[i]->setPalette(p);
        }
    }
    QWidget* pages[2] = {};
    sky::PictureBox* heads[2] = {};
    QWidget* covers[2] = {};
};

} // namespace learningtest
