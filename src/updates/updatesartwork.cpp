#include "updates/updatesartwork.h"

#include "shell/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace sky::updates::art {

using namespace sky::artwork;

QImage Heading(const QSize& size, const QString& words) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, kNavy);
    g.setColorAt(1, kSky.darker(160));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    // A small aircraft silhouette at the left.
    const QPixmap emblem = Emblem(size.height() - 12);
    p.drawPixmap(8, 6, emblem);
    p.setPen(kGold);
    p.setFont(TitleFont(qMax(14, size.height() / 2 - 2)));
    p.drawText(QRect(size.height() + 8, 0, size.width() - size.height() - 16, size.height()),
               Qt::AlignVCenter | Qt::AlignLeft, words);
    p.setPen(QPen(kGold, 2));
    p.drawLine(0, size.height() - 1, size.width(), size.height() - 1);
    return img;
}

QImage HelpDeskFace(const QSize& size, bool hover) {
    QImage img = NewImage(size, kWhite);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = qMin(size.width(), size.height() - 22) - 8;
    const QRectF ring((size.width() - d) / 2.0, 4, d, d);
    p.setPen(Qt::NoPen);
    p.setBrush(hover ? kGold : QColor(0xd9, 0x3a, 0x2b));
    p.drawEllipse(ring);
    p.setBrush(kWhite);
    const qreal inner = d * 0.5;
    p.drawEllipse(QRectF(ring.center().x() - inner / 2, ring.center().y() - inner / 2, inner, inner));
    // The white bands of the ring.
    p.setPen(QPen(kWhite, d * 0.12));
    p.drawArc(ring.adjusted(d * 0.12, d * 0.12, -d * 0.12, -d * 0.12), 30 * 16, 30 * 16);
    p.drawArc(ring.adjusted(d * 0.12, d * 0.12, -d * 0.12, -d * 0.12), 210 * 16, 30 * 16);
    p.setPen(kNavy);
    p.setFont(TitleFont(12));
    p.drawText(QRect(0, size.height() - 20, size.width(), 20), Qt::AlignCenter, QStringLiteral("Help Desk"));
    return img;
}

} // namespace sky::updates::art
