// Artwork of the main window, drawn by our own code in the shared palette
// (shell/artwork.h). Every picture is an image of the given logical size
// drawn at the screen's pixel ratio, so it stays crisp on a high-density
// screen.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

namespace sky::quiz::art {

// The menu items, each with its own symbol: 0 questions, 1 options, 2
// updates, 3 play, 4 exit.
enum class MenuSymbol { Questions, Options, Updates, Play, Exit, Progress };
QImage MenuItemFace(const QSize& size, MenuSymbol symbol, const QString& caption, bool hover, bool dimmed);

// The grade button: the exit face (before the first answer) or the grade
// face, each normal or under the mouse.
QImage GradeFace(const QSize& size, bool exitFace, bool hover);

// The review button: 0 normal, 1 under the mouse, 2 pressed.
QImage ReviewFace(const QSize& size, int state);

// The next-question button, normal or under the mouse.
QImage NextQuestionFace(const QSize& size, bool hover);

// The Captain's Challenge badge: wings and a star with the words.
QImage CaptainsChallengeBadge(const QSize& size);

// A round question mark, beside the name to find on the pictures panel.
QImage QuestionMark(const QSize& size);

// A tab head of the learning panel.
QImage TabHead(const QSize& size, bool selected);

// Backgrounds: the band that holds a quiz panel's controls, the learning
// panel's picture.
QImage ControlBand(const QSize& size);
QImage LearningBackground(const QSize& size);

// The colours of the quiz panels.
inline const QColor kPanelWhite{0xff, 0xff, 0xff};
inline const QColor kReviewGrey{0xe0, 0xe0, 0xe0};
inline const QColor kGreen{0x00, 0xc0, 0x00};
inline const QColor kRed{0xff, 0x00, 0x00};

} // namespace sky::quiz::art
