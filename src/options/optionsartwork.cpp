#include "options/optionsartwork.h"

#include "shell/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace sky::options::art {

using namespace sky::artwork;

QColor WindowBackground() { return kNavy.lighter(115); }

QImage OptionsHeading(const QSize& size) { return WindowHeading(size, QStringLiteral("Aircraft Options")); }

QImage TabFace(const QSize& size, bool chosen) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height(), rad = h * 0.3;
    QPainterPath head;
    head.moveTo(0.5, h + 1);
    head.lineTo(0.5, rad);
    head.quadTo(0.5, 0.5, rad, 0.5);
    head.lineTo(w - rad, 0.5);
    head.quadTo(w - 0.5, 0.5, w - 0.5, rad);
    head.lineTo(w - 0.5, h + 1);
    if (chosen) {
        p.setBrush(kWhite);
    } else {
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, kSkyLight.darker(110));
        g.setColorAt(1, kSkyLight.darker(145));
        p.setBrush(g);
    }
    p.setPen(QPen(kSkyLight.darker(170), 1));
    p.drawPath(head);
    if (chosen) {
        p.setPen(QPen(kGold, 3));
        p.drawLine(QPointF(rad, 2), QPointF(w - rad, 2));
    }
    return img;
}

QImage MoveArrowFace(const QSize& size, bool pointsRight, bool hover) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();
    const QRectF r(1, 1, w - 2, h - 2);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    const QColor base = pointsRight ? QColor(0x2e, 0x8b, 0x57) : QColor(0xb0, 0x3a, 0x2e);
    g.setColorAt(0, hover ? base.lighter(140) : base.lighter(115));
    g.setColorAt(1, base.darker(120));
    p.setBrush(g);
    p.setPen(QPen(hover ? kYellow : base.darker(160), 1.2));
    p.drawRoundedRect(r, h * 0.25, h * 0.25);
    // The arrow: a shaft and a head, pointing the way the aircraft go.
    QPainterPath arrow;
    const qreal cy = h / 2, shaft = h * 0.13, headH = h * 0.32;
    const qreal x0 = w * 0.2, x1 = w * 0.8, xh = pointsRight ? w * 0.55 : w * 0.45;
    if (pointsRight) {
        arrow.moveTo(x0, cy - shaft);
        arrow.lineTo(xh, cy - shaft);
        arrow.lineTo(xh, cy - headH);
        arrow.lineTo(x1, cy);
        arrow.lineTo(xh, cy + headH);
        arrow.lineTo(xh, cy + shaft);
        arrow.lineTo(x0, cy + shaft);
    } else {
        arrow.moveTo(x1, cy - shaft);
        arrow.lineTo(xh, cy - shaft);
        arrow.lineTo(xh, cy - headH);
        arrow.lineTo(x0, cy);
        arrow.lineTo(xh, cy + headH);
        arrow.lineTo(xh, cy + shaft);
        arrow.lineTo(x1, cy + shaft);
    }
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPath(arrow);
    return img;
}

QImage ChangeAircraftFace(const QSize& size, bool pointsRight) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = qMin(size.width(), size.height()) - 2;
    const QRectF c((size.width() - d) / 2, (size.height() - d) / 2, d, d);
    QLinearGradient g(c.topLeft(), c.bottomLeft());
    g.setColorAt(0, kSky.lighter(120));
    g.setColorAt(1, kNavy.lighter(150));
    p.setBrush(g);
    p.setPen(QPen(kSkyLight, 1.5));
    p.drawEllipse(c);
    QPainterPath tri;
    const qreal cx = c.center().x(), cy = c.center().y(), s = d * 0.22;
    if (pointsRight) {
        tri.moveTo(cx - s * 0.7, cy - s);
        tri.lineTo(cx + s, cy);
        tri.lineTo(cx - s * 0.7, cy + s);
    } else {
        tri.moveTo(cx + s * 0.7, cy - s);
        tri.lineTo(cx - s, cy);
        tri.lineTo(cx + s * 0.7, cy + s);
    }
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPath(tri);
    return img;
}

QImage ButtonFace(const QSize& size, const QString& caption) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, kSky);
    g.setColorAt(1, kNavy.lighter(140));
    p.setBrush(g);
    p.setPen(QPen(kSkyLight, 1.5));
    p.drawRoundedRect(r, size.height() * 0.22, size.height() * 0.22);
    p.setFont(TitleFont(qMax(10, size.height() * 2 / 5 - 1)));
    p.setPen(kWhite);
    p.drawText(r, Qt::AlignCenter, caption);
    return img;
}

QImage HeaderBand(const QSize& size, const QColor& color) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height(), rad = qMin<qreal>(10, h / 3);
    QPainterPath band;
    band.moveTo(0, h);
    band.lineTo(0, 0);
    band.lineTo(w - rad, 0);
    band.quadTo(w, 0, w, rad);
    band.lineTo(w, h);
    band.closeSubpath();
    p.setPen(QPen(QColor(0, 0, 128).lighter(130), 1));
    p.setBrush(color);
    p.drawPath(band);
    return img;
}

} // namespace sky::options::art
