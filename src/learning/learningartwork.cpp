#include "learning/learningartwork.h"

#include "shell/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace sky::learning::art {

using namespace sky::artwork;

QColor PanelBackground() { return kNavy.lighter(135); }
QColor PageBackground() { return QColor(0xf4, 0xf8, 0xfd); }
QColor PageBorder() { return kSkyLight.darker(125); }

QImage LearningHeading(const QSize& size) { return WindowHeading(size, QStringLiteral("Learning Mode")); }
QImage FaqHeading(const QSize& size) { return WindowHeading(size, QStringLiteral("Frequently Asked Questions")); }

QImage ArrowFace(const QSize& size, bool pointsRight, bool hover) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal d = qMin(size.width(), size.height()) - 4;
    const QRectF r((size.width() - d) / 2, (size.height() - d) / 2, d, d);
    QRadialGradient g(r.center() - QPointF(d * 0.15, d * 0.2), d * 0.7);
    g.setColorAt(0, (hover ? kGold : kSky).lighter(130));
    g.setColorAt(1, (hover ? kGold : kSky).darker(130));
    p.setBrush(g);
    p.setPen(QPen(hover ? kYellow : kSkyLight, 1.5));
    p.drawEllipse(r);
    QPainterPath arrow;
    // Drawn pointing right, mirrored for left.
    arrow.moveTo(0.34 * d, 0.24 * d);
    arrow.lineTo(0.72 * d, 0.50 * d);
    arrow.lineTo(0.34 * d, 0.76 * d);
    arrow.closeSubpath();
    p.translate(r.topLeft());
    if (!pointsRight) {
        p.translate(d, 0);
        p.scale(-1, 1);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(hover ? kNavy : kWhite);
    p.drawPath(arrow);
    return img;
}

QImage ReportLinkFace(const QSize& size, const QString& text, bool onDark) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int h = size.height();
    const qreal t = h * 0.7;
    // A warning triangle with an exclamation mark.
    QPainterPath tri;
    tri.moveTo(2 + t / 2, (h - t) / 2);
    tri.lineTo(2 + t, (h + t) / 2);
    tri.lineTo(2, (h + t) / 2);
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPath(tri);
    p.setPen(QPen(kNavy, qMax(1.2, t / 9)));
    p.drawLine(QPointF(2 + t / 2, (h - t) / 2 + t * 0.32), QPointF(2 + t / 2, (h - t) / 2 + t * 0.68));
    p.drawPoint(QPointF(2 + t / 2, (h - t) / 2 + t * 0.84));
    QFont f = TitleFont(qMax(9, h * 11 / 20), false);
    f.setUnderline(true);
    p.setFont(f);
    p.setPen(onDark ? kSkyLight : kSky.darker(140));
    p.drawText(QRectF(t + 8, 0, size.width() - t - 8, h), Qt::AlignVCenter | Qt::AlignLeft, text);
    return img;
}

QImage TabHeadFace(const QSize& size, const QString& caption, bool chosen) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height(), rad = h * 0.3;
    QPainterPath head;
    head.moveTo(0.5, h);
    head.lineTo(0.5, rad);
    head.quadTo(0.5, 0.5, rad, 0.5);
    head.lineTo(w - rad, 0.5);
    head.quadTo(w - 0.5, 0.5, w - 0.5, rad);
    head.lineTo(w - 0.5, h);
    if (chosen) {
        p.setBrush(PageBackground());
    } else {
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, kSkyLight.darker(115));
        g.setColorAt(1, kSkyLight.darker(140));
        p.setBrush(g);
    }
    p.setPen(QPen(PageBorder(), 1));
    p.drawPath(head);
    p.setFont(TitleFont(qMax(10, int(h * 0.42)), chosen));
    p.setPen(chosen ? kNavy : kNavy.lighter(160));
    p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, caption);
    return img;
}

QImage ExitFace(const QSize& size, const QString& caption, bool hover) {
    return ButtonFace(size, caption, hover).toImage();
}

} // namespace sky::learning::art
