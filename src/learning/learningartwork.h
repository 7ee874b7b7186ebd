// The learning panel's and the FAQ window's artwork, drawn by our own code
// in the program's palette: headings, arrow buttons, report links, tab
// heads and the exit button. Every face is an image of the given size in
// logical pixels, drawn at the screen's pixel ratio.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace sky::learning::art {

// What the report links read.
inline constexpr const char* kReportPictureText = "Report a problem with this specific picture of this aircraft";
inline constexpr const char* kReportAircraftText = "Report a problem with this aircraft";
inline constexpr const char* kSeeProblemText = "See a problem or issue with an aircraft or question?";

// The learning panel's background and that of its tab pages.
QColor PanelBackground();
QColor PageBackground();
QColor PageBorder();

// The heading pictures: "Learning Mode" and "Frequently Asked Questions".
QImage LearningHeading(const QSize& size);
QImage FaqHeading(const QSize& size);

// A round arrow button pointing left or right; `hover` is the face under
// the mouse.
QImage ArrowFace(const QSize& size, bool pointsRight, bool hover = false);

// A report link: a small warning mark and the underlined text. `onDark`
// draws it for a dark background, otherwise for a light one.
QImage ReportLinkFace(const QSize& size, const QString& text, bool onDark);

// A tab head of the learning panel: the chosen tab is drawn in the page's
// colour so that it joins its page; the other one is darker.
QImage TabHeadFace(const QSize& size, const QString& caption, bool chosen);

// A rounded exit button with a caption ("Exit", "Close").
QImage ExitFace(const QSize& size, const QString& caption, bool hover = false);

} // namespace sky::learning::art
