// Artwork of the game selector and the results screen, drawn by our own
// code in the shared palette. Every picture is an image of the given
// logical size drawn at the screen's pixel ratio, so it stays crisp on a
// high-density screen.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

namespace sky::game::art {

// How a word of a picture is drawn.
enum class Look { Plain, Lit, Dimmed }; // white, yellow, grey

// --- Game selector -------------------------------------------------------

// The window's background colour (also the colour of its strips).
QColor SelectorBackground();

// The heading reading "Choose Your Learning / Study Settings".
QImage SelectorHeading(const QSize& size);

// A mode picture: its words white (not chosen) or yellow (chosen).
QImage ModeFace(const QSize& size, const QString& caption, bool chosen);

// The option pictures of the Custom Challenge panel share one layout:
// the heading on the left, then two choices, each an option button
// followed by its words.
constexpr QSize kOptionSize{430, 46};
constexpr QRect kOptionHeadingRect{10, 0, 170, 46};
// Where the option buttons of choice 0 and 1 sit, and the words after them.
constexpr QRect kChoiceButtonRect[2] = {{182, 14, 18, 18}, {308, 14, 18, 18}};
constexpr QRect kChoiceWordRect[2] = {{202, 4, 102, 38}, {328, 4, 100, 38}};

// A two-choice picture (Select Correct, Question Difficulty, Grade
// Questions): `lit` 0 or 1 lights the heading and that choice in yellow;
// `dimmed` draws everything grey.
QImage ChoiceFace(const QString& heading, const QString& choice0, const QString& choice1, int lit, bool dimmed);

// The limit pictures (Time Limit / Minutes, Question Limit / Questions):
// a check box, the words, the drop-down list, the unit.
constexpr QRect kLimitCheckRect{10, 14, 18, 18};
constexpr QRect kLimitWordRect{32, 0, 156, 46};
constexpr QRect kLimitListRect{190, 9, 80, 28};
constexpr QRect kLimitUnitRect{280, 0, 146, 46};
QImage LimitFace(const QString& words, const QString& unit, Look look);

// A description panel: a title and wrapped text on a framed panel.
QImage DescriptionPanel(const QSize& size, const QString& title, const QString& text, bool withPilot);
// The background of the Custom Challenge panel.
QImage CustomPanelBackground(const QSize& size);

// GO: normal or under the mouse.
QImage GoFace(const QSize& size, bool hover);

// A red cross with a caption, for the Exit buttons.
QImage ExitFace(const QSize& size, const QString& caption);

// --- Results screen ------------------------------------------------------

QColor ResultsBackground();
// The heading reading "Results".
QImage ResultsHeading(const QSize& size);
// The picture reading "Your Score:".
QImage YourScore(const QSize& size);
// A round arrow button: pointing left (previous) or right (next).
QImage ArrowFace(const QSize& size, bool pointsRight);
// The Captain's Challenge panels of the results screen: the pilot figure,
// the words Captain's Challenge and the verdict text.
QImage CaptainsChallengePanel(const QSize& size, bool passed);
// The pilot figure alone, a badge for the Captain's Challenge.
QImage CaptainsChallengeBadge(const QSize& size);

} // namespace sky::game::art
