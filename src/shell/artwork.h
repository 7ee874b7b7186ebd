// Artwork drawn by our own code: one palette and a few shared drawing
// helpers, so every window looks of one piece. Pixmaps are drawn at the
// screen's pixel ratio so they stay crisp on high-density screens.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace sky::artwork {

// The palette.
inline const QColor kNavy{0x0f, 0x1f, 0x3a};
inline const QColor kSky{0x3d, 0x7e, 0xc9};
inline const QColor kSkyLight{0xcf, 0xe3, 0xf7};
inline const QColor kGold{0xf2, 0xb7, 0x05};
inline const QColor kWhite{0xff, 0xff, 0xff};
inline const QColor kYellow{0xff, 0xff, 0x00};
inline const QColor kDim{0x8a, 0x93, 0xa3};

// The device pixel ratio artwork is drawn for.
qreal PixelRatio();
// A transparent pixmap of `size` logical pixels at the screen's ratio.
QPixmap NewCanvas(const QSize& size, const QColor& fill = Qt::transparent);
// The same as an image, for the picture controls.
QImage NewImage(const QSize& size, const QColor& fill = Qt::transparent);
QFont TitleFont(int pixelSize, bool bold = true);

// A rounded button face with a caption; `highlight` gives the face under
// the mouse, `dimmed` the unavailable one.
QPixmap ButtonFace(const QSize& size, const QString& caption, bool highlight, bool dimmed = false);

// The program's emblem: a stylised aircraft over a ring.
QPixmap Emblem(int size);

// The application's icon: the emblem on a navy disc, `size` pixels square
// (exactly, whatever the screen's ratio), for the desktop's icon theme and
// the windows' icon.
QImage ApplicationIcon(int size);

QPixmap SplashArtwork(const QSize& size);
// The same, kept in the face cache: what the first screen shows.
QImage SplashFace(const QSize& size);
QPixmap MaintenanceBackground(const QSize& size);
QPixmap MaintenanceHeading();

// A window's heading: a small aircraft emblem and the words in gold italics
// over a band that fades from sky blue.
QImage WindowHeading(const QSize& size, const QString& words);

} // namespace sky::artwork
