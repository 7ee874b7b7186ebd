#include "quiz/quizartwork.h"

#include "shell/artwork.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace sky::quiz::art {

using namespace sky::artwork;

namespace {


void prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// The title font at `pixelSize`, smaller when needed for `text` to fit
// `width`.
QFont FittedFont(const QString& text, int pixelSize, qreal width, bool bold) {
    QFont font = TitleFont(qMax(9, pixelSize), bold);
    while (font.pixelSize() > 9 && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

// A rounded face with a vertical gradient between two colours.
void roundedFace(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom, const QColor& border,
                 qreal borderWidth) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(border, borderWidth));
    const qreal radius = qMin(r.height(), r.width()) * 0.24;
    p.drawRoundedRect(r, radius, radius);
}

// A symbol inside a circle of diameter d centred at c.
void drawSymbol(QPainter& p, MenuSymbol symbol, const QPointF& c, qreal d, const QColor& ink, const QColor& disc) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(disc);
    p.drawEllipse(c, d / 2, d / 2);
    p.translate(c);
    p.scale(d / 100.0, d / 100.0);
    QPen pen(ink, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (symbol) {
    case MenuSymbol::Questions: {
        QFont f = TitleFont(64);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(-50, -52, 100, 100), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case MenuSymbol::Options: {
        // Three sliders.
        p.setPen(pen);
        for (int k = 0; k < 3; ++k) {
            const qreal y = -22 + k * 22;
            p.drawLine(QPointF(-26, y), QPointF(26, y));
        }
        p.setBrush(disc);
        p.setPen(QPen(ink, 7));
        p.drawEllipse(QPointF(10, -22), 8, 8);
        p.drawEllipse(QPointF(-12, 0), 8, 8);
        p.drawEllipse(QPointF(4, 22), 8, 8);
        break;
    }
    case MenuSymbol::Updates: {
        p.setPen(pen);
        p.drawLine(QPointF(0, -28), QPointF(0, 14));
        p.drawLine(QPointF(-16, -2), QPointF(0, 14));
        p.drawLine(QPointF(16, -2), QPointF(0, 14));
        p.drawLine(QPointF(-26, 28), QPointF(26, 28));
        break;
    }
    case MenuSymbol::Play: {
        QPainterPath tri;
        tri.moveTo(-14, -26);
        tri.lineTo(28, 0);
        tri.lineTo(-14, 26);
        tri.closeSubpath();
        p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(ink);
        p.drawPath(tri);
        break;
    }
    case MenuSymbol::Exit: {
        p.setPen(pen);
        p.drawLine(QPointF(-20, -20), QPointF(20, 20));
        p.drawLine(QPointF(20, -20), QPointF(-20, 20));
        break;
    }
    case MenuSymbol::Progress: {
        // Three rising bars on a base line.
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        const qreal heights[3] = {18, 32, 46};
        for (int k = 0; k < 3; ++k) p.drawRoundedRect(QRectF(-27 + k * 19, 22 - heights[k], 14, heights[k]), 3, 3);
        p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(-30, 28), QPointF(30, 28));
        break;
    }
    }
    p.restore();
}

// A button face of the quiz panels: a symbol on the left, a caption.
QImage panelButton(const QSize& size, const QString& caption, MenuSymbol symbol, const QColor& base, bool hover,
                   bool pressed) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    QColor top = hover ? base.lighter(118) : base.lighter(104);
    QColor bottom = hover ? base : base.darker(118);
    if (pressed) std::swap(top, bottom);
    roundedFace(p, r, top, bottom, hover ? kYellow : base.darker(150), hover ? 2.5 : 1.2);
    const qreal d = size.height() * 0.62;
    const QPointF c(r.left() + size.height() * 0.5, r.center().y() + (pressed ? 1 : 0));
    drawSymbol(p, symbol, c, d, base.darker(125), kWhite);
    p.setFont(TitleFont(qMax(11, int(size.height() * (caption.size() > 12 ? 0.26 : 0.30)))));
    p.setPen(hover ? kYellow : kWhite);
    const QRectF text(c.x() + d / 2 + 8, r.top() + (pressed ? 1 : 0), r.right() - c.x() - d / 2 - 14, r.height());
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, caption);
    return img;
}

} // namespace

QImage MenuItemFace(const QSize& size, MenuSymbol symbol, const QString& caption, bool hover, bool dimmed) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    if (dimmed) {
        roundedFace(p, r, QColor(0x34, 0x3e, 0x50), QColor(0x26, 0x2e, 0x3b), kDim.darker(140), 1.2);
    } else if (hover) {
        roundedFace(p, r, kSky.lighter(125), kSky, kYellow, 2.5);
    } else {
        roundedFace(p, r, kSky, kNavy.lighter(150), kSkyLight, 1.2);
    }
    const qreal d = size.height() * 0.66;
    const QPointF c(r.left() + size.height() * 0.55, r.center().y());
    const QColor ink = dimmed ? QColor(0x34, 0x3e, 0x50) : (hover ? kSky.darker(110) : kNavy);
    const QColor disc = dimmed ? kDim : (hover ? kYellow : kWhite);
    drawSymbol(p, symbol, c, d, ink, disc);
    // Room on the right for the hover chevron and a clear gap before it,
    // in proportion to the face.
    const qreal chevronReserve = size.height() * 0.85; // the same on every face: no jump on hover
    const QRectF text(c.x() + d / 2 + 14, r.top(), r.right() - c.x() - d / 2 - 14 - chevronReserve, r.height());
    p.setFont(FittedFont(caption, int(size.height() * 0.36), text.width(), true));
    p.setPen(dimmed ? kDim : (hover ? kYellow : kWhite));
    if (dimmed) {
        // The caption with a note under it.
        const qreal split = r.top() + r.height() * 0.60;
        p.drawText(QRectF(text.left(), r.top(), text.width(), split - r.top()), Qt::AlignBottom | Qt::AlignLeft,
                   caption);
        p.setFont(TitleFont(qMax(9, int(size.height() * 0.19)), false));
        p.drawText(QRectF(text.left(), split + 1, text.width(), r.bottom() - split), Qt::AlignTop | Qt::AlignLeft,
                   QStringLiteral("not available in this version"));
    } else {
        p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, caption);
    }
    if (hover && !dimmed) {
        // A small chevron on the right.
        const qreal k = size.height() / 58.0;
        p.setPen(QPen(kYellow, 3 * k, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal x = r.right() - 22 * k;
        const qreal y = r.center().y();
        p.drawLine(QPointF(x - 6 * k, y - 9 * k), QPointF(x + 3 * k, y));
        p.drawLine(QPointF(x + 3 * k, y), QPointF(x - 6 * k, y + 9 * k));
    }
    return img;
}

QImage GradeFace(const QSize& size, bool exitFace, bool hover) {
    if (exitFace)
        return panelButton(size, QStringLiteral("Exit Quiz"), MenuSymbol::Exit, QColor(0xb0, 0x2a, 0x2a), hover,
                           false);
    // The grade face: a tick in the disc.
    QImage img = panelButton(size, QStringLiteral("Grade Quiz"), MenuSymbol::Questions, QColor(0x1f, 0x8a, 0x3c),
                             hover, false);
    QPainter p(&img);
    prepare(p);
    const qreal d = size.height() * 0.62;
    const QPointF c(1.5 + size.height() * 0.5, size.height() / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(c, d / 2, d / 2);
    p.setPen(QPen(QColor(0x1f, 0x8a, 0x3c), d * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(c.x() - d * 0.24, c.y() + d * 0.02), QPointF(c.x() - d * 0.06, c.y() + d * 0.2));
    p.drawLine(QPointF(c.x() - d * 0.06, c.y() + d * 0.2), QPointF(c.x() + d * 0.26, c.y() - d * 0.2));
    return img;
}

QImage ReviewFace(const QSize& size, int state) {
    QImage img = panelButton(size, QStringLiteral("Review Last Question"), MenuSymbol::Questions,
                             QColor(0x5a, 0x4f, 0xb0), state == 1, state == 2);
    // A backwards arrow in the disc.
    QPainter p(&img);
    prepare(p);
    const qreal d = size.height() * 0.62;
    const QPointF c(1.5 + size.height() * 0.5, size.height() / 2.0 + (state == 2 ? 1 : 0));
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawEllipse(c, d / 2, d / 2);
    p.setPen(QPen(QColor(0x5a, 0x4f, 0xb0), d * 0.11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal rr = d * 0.24;
    p.drawArc(QRectF(c.x() - rr, c.y() - rr, 2 * rr, 2 * rr), 100 * 16, 260 * 16);
    const QPointF tip(c.x() - rr * 0.2, c.y() - rr);
    p.drawLine(tip, tip + QPointF(rr * 0.55, -rr * 0.45));
    p.drawLine(tip, tip + QPointF(rr * 0.55, rr * 0.45));
    return img;
}

QImage NextQuestionFace(const QSize& size, bool hover) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    const QColor base(0x2b, 0x6c, 0xb8);
    roundedFace(p, r, hover ? base.lighter(120) : base.lighter(105), hover ? base : base.darker(120),
                hover ? kYellow : base.darker(150), hover ? 2.5 : 1.2);
    p.setFont(TitleFont(qMax(11, int(size.height() * 0.34))));
    p.setPen(hover ? kYellow : kWhite);
    const qreal arrowW = size.height() * 0.7;
    p.drawText(r.adjusted(14, 0, -arrowW - 8, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Next Question"));
    // The arrow.
    const qreal cy = r.center().y();
    const qreal x0 = r.right() - arrowW - 6;
    const qreal x1 = r.right() - 12;
    QPainterPath arrow;
    const qreal h = size.height() * 0.16;
    arrow.moveTo(x0, cy - h * 0.55);
    arrow.lineTo(x1 - h * 1.6, cy - h * 0.55);
    arrow.lineTo(x1 - h * 1.6, cy - h * 1.5);
    arrow.lineTo(x1, cy);
    arrow.lineTo(x1 - h * 1.6, cy + h * 1.5);
    arrow.lineTo(x1 - h * 1.6, cy + h * 0.55);
    arrow.lineTo(x0, cy + h * 0.55);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(hover ? kYellow : kWhite);
    p.drawPath(arrow);
    return img;
}

QImage CaptainsChallengeBadge(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    roundedFace(p, r, kNavy.lighter(130), kNavy, kGold, 2);
    // Wings with a star.
    const qreal h = r.height();
    const QPointF c(r.center().x(), r.top() + h * 0.36);
    const qreal span = qMin(r.width() * 0.42, h * 0.9);
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    for (int side = -1; side <= 1; side += 2) {
        for (int k = 0; k < 3; ++k) {
            QPainterPath feather;
            const qreal y = c.y() - h * 0.08 + k * h * 0.075;
            const qreal len = span * (1.0 - k * 0.22);
            feather.moveTo(c.x() + side * h * 0.12, y);
            feather.quadTo(c.x() + side * len * 0.6, y - h * 0.09, c.x() + side * len, y - h * 0.05);
            feather.quadTo(c.x() + side * len * 0.6, y + h * 0.03, c.x() + side * h * 0.12, y + h * 0.06);
            feather.closeSubpath();
            p.drawPath(feather);
        }
    }
    QPainterPath star;
    const qreal ro = h * 0.13;
    const qreal ri = ro * 0.45;
    for (int k = 0; k < 10; ++k) {
        const qreal a = -M_PI / 2 + k * M_PI / 5;
        const qreal rad = k % 2 ? ri : ro;
        const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
        if (k == 0) star.moveTo(pt);
        else star.lineTo(pt);
    }
    star.closeSubpath();
    p.setBrush(kWhite);
    p.drawPath(star);
    p.setPen(kWhite);
    const QString words = QStringLiteral("Captain's Challenge");
    p.setFont(FittedFont(words, int(h * 0.2), r.width() - 12, true));
    p.drawText(QRectF(r.left(), r.top() + h * 0.56, r.width(), h * 0.4), Qt::AlignCenter, words);
    return img;
}

QImage QuestionMark(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    const qreal d = qMin(size.width(), size.height()) - 4;
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    QRadialGradient g(c - QPointF(d * 0.15, d * 0.15), d * 0.7);
    g.setColorAt(0, kSky.lighter(130));
    g.setColorAt(1, kNavy);
    p.setBrush(g);
    p.setPen(QPen(kGold, qMax(1.5, d * 0.04)));
    p.drawEllipse(c, d / 2, d / 2);
    p.setPen(kWhite);
    p.setFont(TitleFont(int(d * 0.66)));
    p.drawText(QRectF(c.x() - d / 2, c.y() - d / 2, d, d), Qt::AlignCenter, QStringLiteral("?"));
    return img;
}

QImage TabHead(const QSize& size, bool selected) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    QPainterPath path;
    const qreal w = size.width(), h = size.height(), rad = 8;
    path.moveTo(0.5, h);
    path.lineTo(0.5, rad);
    path.quadTo(0.5, 0.5, rad, 0.5);
    path.lineTo(w - rad, 0.5);
    path.quadTo(w - 0.5, 0.5, w - 0.5, rad);
    path.lineTo(w - 0.5, h);
    p.setBrush(selected ? kWhite : kSkyLight);
    p.setPen(QPen(kSky.darker(130), 1));
    p.drawPath(path);
    if (selected) {
        p.setPen(QPen(kGold, 3));
        p.drawLine(QPointF(rad, 2), QPointF(w - rad, 2));
    }
    return img;
}

QImage ControlBand(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0xf3, 0xf7, 0xfc));
    g.setColorAt(1, kSkyLight);
    p.setBrush(g);
    p.setPen(QPen(kSky.lighter(140), 1));
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 10, 10);
    return img;
}

QImage LearningBackground(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, kNavy);
    g.setColorAt(1, kSky.darker(140));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    p.setPen(kWhite);
    p.setFont(TitleFont(26));
    p.drawText(QRect(20, 10, size.width() - 40, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Learning Mode"));
    return img;
}

} // namespace sky::quiz::art
