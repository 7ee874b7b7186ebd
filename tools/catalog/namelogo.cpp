// The name logo drawn for an aircraft that has none of its own: the type
// name in white on a navy band, with a gold rule below, in the program's
// palette.
#include "catalog.h"

#include "shell/artwork.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace sky::catalog {

QByteArray RenderNameLogo(const QString& typeName) {
    using namespace sky::artwork;
    const QSize size = kNameLogoSize;
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF band(0, 0, size.width(), size.height());
    QLinearGradient g(band.topLeft(), band.bottomLeft());
    g.setColorAt(0.0, kNavy.lighter(150));
    g.setColorAt(0.55, kNavy);
    g.setColorAt(1.0, kNavy.darker(120));
    p.fillRect(band, g);

    // A faint sky-blue sheen across the top and the gold rule at the foot.
    QLinearGradient sheen(band.topLeft(), QPointF(0, size.height() * 0.45));
    QColor top = kSky;
    top.setAlpha(70);
    QColor clear = kSky;
    clear.setAlpha(0);
    sheen.setColorAt(0, top);
    sheen.setColorAt(1, clear);
    p.fillRect(QRectF(0, 0, size.width(), size.height() * 0.45), sheen);
    const qreal rule = qMax(2.0, size.height() / 20.0);
    p.fillRect(QRectF(0, size.height() - rule * 2, size.width(), rule), kGold);

    // The largest lettering that fits the band with a margin.
    const qreal margin = size.height() * 0.3;
    const QRectF textBox(margin, 0, size.width() - 2 * margin, size.height() - rule * 2);
    QFont font = TitleFont(qRound(size.height() * 0.46));
    font.setLetterSpacing(QFont::PercentageSpacing, 102);
    for (int px = font.pixelSize(); px > 9; --px) {
        font.setPixelSize(px);
        if (QFontMetricsF(font).horizontalAdvance(typeName) <= textBox.width()) break;
    }
    if (QFontMetricsF(font).horizontalAdvance(typeName) > textBox.width()) {
        // Still too wide at the smallest size: squeeze it horizontally.
        font.setStretch(qMax(50, int(100 * textBox.width() / QFontMetricsF(font).horizontalAdvance(typeName))));
    }
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(textBox.translated(1.2, 1.5), Qt::AlignCenter, typeName);
    p.setPen(kWhite);
    p.drawText(textBox, Qt::AlignCenter, typeName);
    p.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 92);
    return bytes;
}

} // namespace sky::catalog
