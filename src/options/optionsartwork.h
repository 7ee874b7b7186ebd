// The options window's artwork, drawn by our own code in the program's
// palette: the heading, the tab faces, the Add and Remove arrows, the
// previous/next buttons and the three bands of the grid's stepped header.
// Every face is an image of the given size in logical pixels, drawn at the
// screen's pixel ratio.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace sky::options::art {

// The grid's cell colours.
inline const QColor kNeverCell{192, 192, 255};
inline const QColor kNeutralCell{255, 255, 255};
inline const QColor kHardCell{0, 0, 128};

QColor WindowBackground();

// "Aircraft Options" over a fading band.
QImage OptionsHeading(const QSize& size);

// A tab face without caption (the caption is its own label); the chosen
// tab is white so that it joins its white page.
QImage TabFace(const QSize& size, bool chosen);

// An arrow button: pointing right (Add, towards the active list) or left
// (Remove, towards the inactive list).
QImage MoveArrowFace(const QSize& size, bool pointsRight, bool hover = false);

// A round previous/next button.
QImage ChangeAircraftFace(const QSize& size, bool pointsRight);

// A rounded button with a caption.
QImage ButtonFace(const QSize& size, const QString& caption);

// One band of the stepped header: filled with `color`, with a rounded top
// right corner and a small notch marking its column's right edge.
QImage HeaderBand(const QSize& size, const QColor& color);

} // namespace sky::options::art
