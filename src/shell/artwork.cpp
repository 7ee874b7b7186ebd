#include "shell/artwork.h"

#include "shell/facecache.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace sky::artwork {

qreal PixelRatio() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? qMax<qreal>(1.0, s->devicePixelRatio()) : 1.0;
}

QPixmap NewCanvas(const QSize& size, const QColor& fill) {
    const qreal ratio = PixelRatio();
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(fill);
    return pm;
}

QImage NewImage(const QSize& size, const QColor& fill) {
    const qreal ratio = PixelRatio();
    QImage img(size * ratio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(fill);
    return img;
}

QFont TitleFont(int pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QPixmap ButtonFace(const QSize& size, const QString& caption, bool highlight, bool dimmed) {
    QPixmap pm = NewCanvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (dimmed) {
        g.setColorAt(0, QColor(0x3a, 0x44, 0x55));
        g.setColorAt(1, QColor(0x2b, 0x33, 0x40));
    } else {
        g.setColorAt(0, highlight ? kSky.lighter(125) : kSky);
        g.setColorAt(1, highlight ? kSky : kNavy.lighter(140));
    }
    p.setBrush(g);
    p.setPen(QPen(dimmed ? kDim.darker(130) : (highlight ? kYellow : kSkyLight), highlight ? 2.5 : 1.5));
    p.drawRoundedRect(r, size.height() * 0.22, size.height() * 0.22);
    p.setFont(TitleFont(qMax(10, size.height() * 2 / 5)));
    p.setPen(dimmed ? kDim : (highlight ? kYellow : kWhite));
    p.drawText(r, Qt::AlignCenter, caption);
    return pm;
}

QPixmap Emblem(int size) {
    QPixmap pm = NewCanvas(QSize(size, size));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    p.setPen(QPen(kGold, 4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(50, 50), 44, 44);
    QPainterPath plane;
    plane.moveTo(50, 12);
    plane.cubicTo(55, 16, 55, 30, 55, 40);
    plane.lineTo(88, 58);
    plane.lineTo(88, 64);
    plane.lineTo(55, 55);
    plane.lineTo(54, 76);
    plane.lineTo(64, 84);
    plane.lineTo(64, 88);
    plane.lineTo(50, 84);
    plane.lineTo(36, 88);
    plane.lineTo(36, 84);
    plane.lineTo(46, 76);
    plane.lineTo(45, 55);
    plane.lineTo(12, 64);
    plane.lineTo(12, 58);
    plane.lineTo(45, 40);
    plane.cubicTo(45, 30, 45, 16, 50, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPath(plane);
    return pm;
}

QImage ApplicationIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    QRadialGradient sky(QPointF(40, 30), 70);
    sky.setColorAt(0, kSky);
    sky.setColorAt(1, kNavy);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawEllipse(QPointF(50, 50), 48, 48);
    QPixmap emblem = Emblem(size);
    emblem.setDevicePixelRatio(1.0);
    p.resetTransform();
    // The emblem's ring sits inside the disc's rim.
    const int inset = size / 14;
    p.drawPixmap(QRect(inset, inset, size - 2 * inset, size - 2 * inset), emblem);
    return img;
}

QPixmap SplashArtwork(const QSize& size) {
    QPixmap pm = NewCanvas(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, kNavy);
    sky.setColorAt(1, kSky);
    p.fillRect(QRect(QPoint(0, 0), size), sky);
    const int e = size.height() * 3 / 5;
    p.drawPixmap(24, (size.height() - e) / 2, Emblem(e));
    // The title and the subtitle as one block, centred, with a gap below
    // the title's descenders so that the "y" never touches the subtitle.
    const QFont title = TitleFont(size.height() / 4);
    const QFont subtitle = TitleFont(qMax(10, size.height() / 11), false);
    const QFontMetrics ft(title), fs(subtitle);
    const int gap = qMax(3, size.height() / 40);
    const int top = (size.height() - (ft.height() + gap + fs.height())) / 2;
    const int left = 24 + e + 18;
    const int width = size.width() - e - 48;
    p.setPen(kWhite);
    p.setFont(title);
    p.drawText(QRect(left, top, width, ft.height()), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Skyrendel"));
    p.setFont(subtitle);
    p.setPen(kSkyLight);
    p.drawText(QRect(left, top + ft.height() + gap, width, fs.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Aircraft recognition trainer"));
    return pm;
}

QImage SplashFace(const QSize& size) {
    return CachedFace(QStringLiteral("splash|%1x%2").arg(size.width()).arg(size.height()),
                      [size] { return SplashArtwork(size).toImage(); });
}

QPixmap MaintenanceBackground(const QSize& size) {
    QPixmap pm = NewCanvas(size);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, kWhite);
    g.setColorAt(1, kSkyLight);
    p.fillRect(QRect(QPoint(0, 0), size), g);
    return pm;
}

QPixmap MaintenanceHeading() {
    QPixmap pm = NewCanvas(QSize(320, 44));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(0, 4, Emblem(36));
    p.setPen(kNavy);
    p.setFont(TitleFont(20));
    p.drawText(QRect(46, 0, 274, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("One moment please"));
    return pm;
}

QImage WindowHeading(const QSize& size, const QString& words) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0, kSky.darker(150));
    band.setColorAt(1, QColor(kSky.red(), kSky.green(), kSky.blue(), 0));
    p.fillRect(QRect(QPoint(0, 0), size), band);
    const int e = size.height() - 12;
    p.drawPixmap(QRect(8, 6, e, e), Emblem(e));
    QFont f = TitleFont(qMax(12, size.height() * 9 / 20));
    f.setItalic(true);
    p.setFont(f);
    const QRect text(e + 20, 0, size.width() - e - 24, size.height());
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(text.translated(2, 2), Qt::AlignVCenter | Qt::AlignLeft, words);
    p.setPen(kGold);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, words);
    return img;
}

} // namespace sky::artwork
