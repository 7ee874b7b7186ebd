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

namespace {

QFont LogoFont(int pixelSize) {
    QFont font = sky::artwork::TitleFont(pixelSize);
    font.setLetterSpacing(QFont::PercentageSpacing, 102);
    return font;
}

// The width the lettering may take, inside the band's margins.
qreal TextWidth(const QSize& size) { return size.width() - 2 * size.height() * 0.3; }

bool Fits(const QStringList& lines, int pixelSize, const QSize& size) {
    const QFontMetricsF fm(LogoFont(pixelSize));
    for (const QString& line : lines)
        if (fm.horizontalAdvance(line) > TextWidth(size)) return false;
    return true;
}

// The name broken at the blank that makes its longer line the shortest.
QStringList TwoLines(const QString& name, int pixelSize) {
    const QFontMetricsF fm(LogoFont(pixelSize));
    QStringList best;
    qreal bestWidth = 0;
    for (int i = 0; i < name.size(); ++i) {
        if (name[i] != QLatin1Char(' ')) continue;
        const QStringList lines{name.left(i).trimmed(), name.mid(i + 1).trimmed()};
        if (lines[0].isEmpty() || lines[1].isEmpty()) continue;
        const qreal width = qMax(fm.horizontalAdvance(lines[0]), fm.horizontalAdvance(lines[1]));
        if (best.isEmpty() || width < bestWidth) {
            best = lines;
            bestWidth = width;
        }
    }
    return best;
}

} // namespace

int NameLogoOneLinePixels(const QSize& size) { return qRound(size.height() * 0.42); }
int NameLogoTwoLinePixels(const QSize& size) { return qRound(size.height() * 0.3); }

NameLogoLayout LayOutNameLogo(const QString& typeName, const QSize& size) {
    const QString name = typeName.simplified();
    const int one = NameLogoOneLinePixels(size), two = NameLogoTwoLinePixels(size);
    if (Fits({name}, one, size)) return {{name}, one};
    const QStringList lines = TwoLines(name, two);
    if (!lines.isEmpty()) {
        for (int px = two; px > 9; --px)
            if (Fits(lines, px, size)) return {lines, px};
    }
    // One word too long for the band, or no room even on two lines.
    for (int px = two; px > 9; --px)
        if (Fits({name}, px, size)) return {{name}, px};
    return {{name}, 10};
}

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

    const qreal margin = size.height() * 0.3;
    const QRectF textBox(margin, 0, size.width() - 2 * margin, size.height() - rule * 2);
    const NameLogoLayout layout = LayOutNameLogo(typeName, size);
    QFont font = LogoFont(layout.pixelSize);
    const QString text = layout.lines.join(QLatin1Char('\n'));
    if (layout.lines.size() == 1 && QFontMetricsF(font).horizontalAdvance(text) > textBox.width()) {
        // Too wide even at the smallest size: squeeze it horizontally.
        font.setStretch(qMax(50, int(100 * textBox.width() / QFontMetricsF(font).horizontalAdvance(text))));
    }
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(textBox.translated(1.2, 1.5), Qt::AlignCenter, text);
    p.setPen(kWhite);
    p.drawText(textBox, Qt::AlignCenter, text);
    p.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 92);
    return bytes;
}

} // namespace sky::catalog
