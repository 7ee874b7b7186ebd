#include "game/gameartwork.h"

#include "shell/artwork.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace sky::game::art {

using namespace sky::artwork;

namespace {


QColor LookColor(Look look) {
    switch (look) {
    case Look::Lit: return kYellow;
    case Look::Dimmed: return kDim;
    case Look::Plain: break;
    }
    return kWhite;
}

// The largest font up to `pixelSize` whose text fits the width.
QFont FitFont(const QString& text, qreal width, int pixelSize, bool bold = true) {
    QFont f = TitleFont(pixelSize, bold);
    while (pixelSize > 8 && QFontMetricsF(f).horizontalAdvance(text) > width) {
        --pixelSize;
        f.setPixelSize(pixelSize);
    }
    return f;
}

void DrawWords(QPainter& p, const QRectF& r, const QString& text, const QColor& color, int pixelSize,
               Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    p.setFont(FitFont(text, r.width(), pixelSize));
    // A soft shadow keeps the words legible on the gradients.
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(r.translated(1, 1), align, text);
    p.setPen(color);
    p.drawText(r, align, text);
}

// The framed, gently shaded plate that carries the selector's pictures.
void DrawPlate(QPainter& p, const QSizeF& size, const QColor& border, qreal radius = 8) {
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, kNavy.lighter(170));
    g.setColorAt(1, kNavy.lighter(120));
    p.setBrush(g);
    p.setPen(QPen(border, 1.5));
    p.drawRoundedRect(r, radius, radius);
}

// A pilot: head, cap with a gold badge, shoulders with epaulettes; drawn in
// a 100 x 100 box.
void DrawPilot(QPainter& p, const QRectF& box) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);
    p.setPen(Qt::NoPen);
    // Shoulders and jacket.
    QPainterPath jacket;
    jacket.moveTo(10, 100);
    jacket.cubicTo(12, 78, 28, 70, 50, 70);
    jacket.cubicTo(72, 70, 88, 78, 90, 100);
    jacket.closeSubpath();
    p.setBrush(kNavy.lighter(115));
    p.drawPath(jacket);
    // Shirt and tie.
    QPainterPath shirt;
    shirt.moveTo(40, 71);
    shirt.lineTo(50, 90);
    shirt.lineTo(60, 71);
    shirt.closeSubpath();
    p.setBrush(kWhite);
    p.drawPath(shirt);
    QPainterPath tie;
    tie.moveTo(48, 74);
    tie.lineTo(52, 74);
    tie.lineTo(53, 86);
    tie.lineTo(50, 90);
    tie.lineTo(47, 86);
    tie.closeSubpath();
    p.setBrush(kNavy);
    p.drawPath(tie);
    // Epaulettes with gold bars.
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(16, 78, 16, 5), 2, 2);
    p.drawRoundedRect(QRectF(68, 78, 16, 5), 2, 2);
    // Neck and head.
    p.setBrush(QColor(0xf0, 0xc8, 0xa0));
    p.drawRect(QRectF(44, 58, 12, 14));
    p.drawEllipse(QPointF(50, 46), 15, 17);
    // Eyes and smile.
    p.setBrush(kNavy);
    p.drawEllipse(QPointF(44.5, 46), 1.6, 1.6);
    p.drawEllipse(QPointF(55.5, 46), 1.6, 1.6);
    p.setPen(QPen(kNavy, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(44, 49, 12, 7), 200 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    // Cap: crown, band, peak and badge.
    QPainterPath crown;
    crown.moveTo(31, 36);
    crown.cubicTo(30, 22, 70, 22, 69, 36);
    crown.closeSubpath();
    p.setBrush(kWhite);
    p.drawPath(crown);
    p.setBrush(kNavy);
    p.drawRect(QRectF(33, 33, 34, 5));
    QPainterPath peak;
    peak.moveTo(33, 38);
    peak.cubicTo(40, 43, 60, 43, 67, 38);
    peak.closeSubpath();
    p.setBrush(kNavy.darker(140));
    p.drawPath(peak);
    p.setBrush(kGold);
    p.drawEllipse(QPointF(50, 30), 4, 3.5);
    p.restore();
}

} // namespace

QColor SelectorBackground() { return kNavy; }
QColor ResultsBackground() { return kNavy; }

QImage SelectorHeading(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient g(0, 0, size.width(), 0);
    g.setColorAt(0, kSky.darker(140));
    g.setColorAt(1, kNavy);
    p.fillRect(QRect(QPoint(0, 0), size), g);
    const int e = size.height() - 16;
    p.drawPixmap(14, 8, Emblem(e));
    const QRectF text(14 + e + 14, 0, size.width() - e - 42, size.height());
    DrawWords(p, text, QStringLiteral("Choose Your Learning / Study Settings"), kWhite, size.height() * 2 / 5);
    p.fillRect(QRectF(0, size.height() - 3, size.width(), 3), kGold);
    return img;
}

QImage ModeFace(const QSize& size, const QString& caption, bool chosen) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, size, chosen ? kYellow : kSkyLight.darker(160), size.height() * 0.25);
    // A small aircraft mark on the left, in the words' colour.
    const QColor color = chosen ? kYellow : kWhite;
    const qreal m = size.height() * 0.5;
    p.save();
    p.translate(size.height() * 0.3, (size.height() - m) / 2);
    p.scale(m / 20.0, m / 20.0);
    QPainterPath plane;
    plane.moveTo(10, 0);
    plane.lineTo(11.5, 7);
    plane.lineTo(20, 11);
    plane.lineTo(20, 13);
    plane.lineTo(11.5, 11);
    plane.lineTo(11, 17);
    plane.lineTo(14, 19);
    plane.lineTo(14, 20);
    plane.lineTo(10, 19);
    plane.lineTo(6, 20);
    plane.lineTo(6, 19);
    plane.lineTo(9, 17);
    plane.lineTo(8.5, 11);
    plane.lineTo(0, 13);
    plane.lineTo(0, 11);
    plane.lineTo(8.5, 7);
    plane.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(plane);
    p.restore();
    const qreal left = size.height() * 0.3 + m + 10;
    // One size for every mode picture: the one that fits the longest caption.
    const qreal room = size.width() - left - 8;
    const int pixels = FitFont(QStringLiteral("Captain's Challenge"), room, size.height() * 2 / 5).pixelSize();
    DrawWords(p, QRectF(left, 0, room, size.height()), caption, color, pixels);
    return img;
}

QImage ChoiceFace(const QString& heading, const QString& choice0, const QString& choice1, int lit, bool dimmed) {
    QImage img = NewImage(kOptionSize);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, kOptionSize, dimmed ? kDim.darker(150) : kSkyLight.darker(170));
    const QColor headColor = dimmed ? kDim : kYellow;
    DrawWords(p, kOptionHeadingRect, heading, headColor, 15);
    // Every choice picture draws its words in one size, the one that fits
    // the longest words of the window.
    const int pixels = qMin(FitFont(QStringLiteral("Immediately"), kChoiceWordRect[0].width(), 15).pixelSize(),
                            FitFont(QStringLiteral("Description"), kChoiceWordRect[1].width(), 15).pixelSize());
    const QString words[2] = {choice0, choice1};
    for (int i = 0; i < 2; ++i) {
        const QColor c = dimmed ? kDim : (i == lit ? kYellow : kWhite);
        DrawWords(p, kChoiceWordRect[i], words[i], c, pixels);
    }
    return img;
}

QImage LimitFace(const QString& words, const QString& unit, Look look) {
    QImage img = NewImage(kOptionSize);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, kOptionSize, look == Look::Dimmed ? kDim.darker(150) : kSkyLight.darker(170));
    const QColor c = LookColor(look);
    DrawWords(p, kLimitWordRect, words, c, 15);
    DrawWords(p, kLimitUnitRect, unit, c, 15);
    return img;
}

QImage DescriptionPanel(const QSize& size, const QString& title, const QString& text, bool withPilot) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawPlate(p, size, kSkyLight.darker(150), 10);
    qreal top = 18;
    if (withPilot) DrawPilot(p, QRectF(size.width() - 96, 10, 80, 80));
    DrawWords(p, QRectF(20, top, size.width() - (withPilot ? 124 : 40), 34), title, kYellow, 22);
    top += withPilot ? 76 : 48;
    p.setFont(TitleFont(14, false));
    p.setPen(kWhite);
    p.drawText(QRectF(20, top, size.width() - 40, size.height() - top - 16), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               text);
    return img;
}

QImage CustomPanelBackground(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    p.setBrush(kNavy.lighter(135));
    p.setPen(QPen(kSkyLight.darker(150), 1.5));
    p.drawRoundedRect(r, 10, 10);
    return img;
}

QImage GoFace(const QSize& size, bool hover) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(2, 2, size.width() - 4, size.height() - 4);
    const QColor green(0x1f, 0xa8, 0x3c);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, hover ? green.lighter(135) : green.lighter(115));
    g.setColorAt(1, hover ? green : green.darker(135));
    p.setBrush(g);
    p.setPen(QPen(hover ? kYellow : kWhite, hover ? 3 : 2));
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    const QString go = QStringLiteral("GO");
    p.setFont(TitleFont(static_cast<int>(size.height() * 0.5)));
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(r.translated(1.5, 1.5), Qt::AlignCenter, go);
    p.setPen(hover ? kYellow : kWhite);
    p.drawText(r, Qt::AlignCenter, go);
    return img;
}

QImage ExitFace(const QSize& size, const QString& caption) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    p.setBrush(kNavy.lighter(160));
    p.setPen(QPen(kSkyLight, 1.5));
    p.drawRoundedRect(r, r.height() * 0.25, r.height() * 0.25);
    const qreal d = size.height() * 0.56;
    const QRectF disc(r.left() + 8, (size.height() - d) / 2, d, d);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x1e, 0x1e));
    p.drawEllipse(disc);
    const qreal k = d * 0.26;
    p.setPen(QPen(kWhite, qMax<qreal>(2, d * 0.14), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(disc.center() + QPointF(-k, -k), disc.center() + QPointF(k, k));
    p.drawLine(disc.center() + QPointF(-k, k), disc.center() + QPointF(k, -k));
    if (!caption.isEmpty()) {
        const QRectF text(disc.right() + 8, 0, r.right() - disc.right() - 14, size.height());
        DrawWords(p, text, caption, kWhite, static_cast<int>(size.height() * 0.42), Qt::AlignCenter);
    }
    return img;
}

QImage ResultsHeading(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient g(0, 0, size.width(), 0);
    g.setColorAt(0, kSky.darker(140));
    g.setColorAt(1, kNavy);
    p.fillRect(QRect(QPoint(0, 0), size), g);
    const int e = size.height() - 16;
    p.drawPixmap(14, 8, Emblem(e));
    DrawWords(p, QRectF(14 + e + 14, 0, size.width() - e - 42, size.height()), QStringLiteral("Results"), kWhite,
              size.height() / 2);
    p.fillRect(QRectF(0, size.height() - 3, size.width(), 3), kGold);
    return img;
}

QImage YourScore(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawWords(p, QRectF(0, 0, size.width(), size.height()), QStringLiteral("Your Score:"), kYellow,
              size.height() * 3 / 5);
    return img;
}

QImage ArrowFace(const QSize& size, bool pointsRight) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(2, 2, size.width() - 4, size.height() - 4);
    QRadialGradient g(r.center() - QPointF(r.width() * 0.15, r.height() * 0.2), r.width() * 0.7);
    g.setColorAt(0, kSky.lighter(130));
    g.setColorAt(1, kSky.darker(130));
    p.setBrush(g);
    p.setPen(QPen(kSkyLight, 2));
    p.drawEllipse(r);
    const qreal w = r.width(), h = r.height();
    QPainterPath arrow;
    // Drawn pointing right, mirrored for left.
    arrow.moveTo(0.30 * w, 0.42 * h);
    arrow.lineTo(0.52 * w, 0.42 * h);
    arrow.lineTo(0.52 * w, 0.28 * h);
    arrow.lineTo(0.76 * w, 0.50 * h);
    arrow.lineTo(0.52 * w, 0.72 * h);
    arrow.lineTo(0.52 * w, 0.58 * h);
    arrow.lineTo(0.30 * w, 0.58 * h);
    arrow.closeSubpath();
    p.translate(r.topLeft());
    if (!pointsRight) {
        p.translate(w, 0);
        p.scale(-1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPath(arrow);
    return img;
}

QImage CaptainsChallengePanel(const QSize& size, bool passed) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, passed ? QColor(0x1c, 0x6b, 0x34) : QColor(0x6b, 0x1f, 0x1f));
    g.setColorAt(1, passed ? QColor(0x10, 0x40, 0x20) : QColor(0x40, 0x12, 0x12));
    p.setBrush(g);
    p.setPen(QPen(passed ? kGold : kSkyLight.darker(140), passed ? 2.5 : 1.5));
    p.drawRoundedRect(r, 10, 10);
    const qreal fig = qMin<qreal>(size.height() - 16, 96);
    DrawPilot(p, QRectF(8, (size.height() - fig) / 2, fig, fig));
    const qreal left = fig + 16;
    DrawWords(p, QRectF(left, 6, size.width() - left - 10, 28), QStringLiteral("Captain's Challenge"), kYellow, 20);
    const QString text = passed ? QStringLiteral("Congratulations! You passed the Captain's Challenge! Click here "
                                                 "to view your completion certificate (PDF file).")
                                : QStringLiteral("Unfortunately, your score was not high enough to earn the tough "
                                                 "Captain's Challenge completion certificate. Please try again.");
    p.setFont(TitleFont(13, false));
    p.setPen(kWhite);
    p.drawText(QRectF(left, 36, size.width() - left - 10, size.height() - 40),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    return img;
}

QImage CaptainsChallengeBadge(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal fig = qMin(size.height() - 4, size.width() / 3);
    p.setBrush(kNavy.lighter(150));
    p.setPen(QPen(kGold, 2));
    p.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 8, 8);
    DrawPilot(p, QRectF(4, (size.height() - fig) / 2, fig, fig));
    DrawWords(p, QRectF(fig + 10, 0, size.width() - fig - 16, size.height()), QStringLiteral("Captain's Challenge"),
              kYellow, size.height() / 3);
    return img;
}

} // namespace sky::game::art
