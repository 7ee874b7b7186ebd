// Draws aircraft illustrations from parametric shapes: a small depth-buffered
// rasteriser over QImage, with painted skies behind. No windows and no
// display are needed; the same shape and shot always give the same pixels.
#pragma once

#include "shape.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>
#include <QVector>

namespace sky::render {

enum class Backdrop { Clear, Cloudy, Dusk, Airfield, Fields, Plain };

// One picture of an aircraft: where the camera stands (azimuth 0 looks at
// the nose, 90 at the left side, -90 at the right side; elevation above
// the aircraft), which backdrop and livery, and whether the gear is down.
struct Shot {
    double azimuth = 90;
    double elevation = 0;
    double bank = 0;        // aircraft roll, degrees, right wing down > 0
    double heading = 0;     // aircraft yaw, degrees
    Backdrop backdrop = Backdrop::Clear;
    int livery = 0;         // index into the shape's liveries (wraps)
    bool gearDown = false;
    double fill = 0.84;     // share of the frame the aircraft spans
    double centreX = 0.5, centreY = 0.5;
    double distance = 6;    // camera distance in aircraft lengths
};

constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 683;
constexpr int kJpegQuality = 85;

// The pictures every type gets, in order: both side views, the top view,
// three-quarter views, in varied liveries and skies.
QVector<Shot> StandardShots();

// Renders one picture. `plain` is the backdrop colour for Backdrop::Plain.
QImage RenderShot(const AircraftShape& shape, const Shot& shot,
                  const QSize& size = QSize(kPictureWidth, kPictureHeight),
                  const QColor& plain = QColor(0x80, 0xa0, 0xc0));

QByteArray EncodeJpeg(const QImage& image, int quality = kJpegQuality);

// Writes OUTDIR/FOLDER/01.jpg, 02.jpg, ... for one type, removing older
// numbered pictures in that folder first. Returns the files written;
// throws ShapeError when a file cannot be written.
QStringList WriteType(const AircraftShape& shape, const QString& outDir);

} // namespace sky::render
