#include "scenery.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace sky::render {
namespace {

void SkyGradient(QPainter& p, const QRectF& r, std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    for (const auto& s : stops) g.setColorAt(s.first, s.second);
    p.fillRect(r, g);
}

// A cumulus: a heap of soft puffs, lit from above, greyer underneath.
void Cumulus(QPainter& p, Random& rnd, double cx, double cy, double w, double h, const QColor& lit,
             const QColor& shade, double alpha) {
    const int puffs = 10 + int(rnd.uniform() * 10);
    for (int i = 0; i < puffs; ++i) {
        const double px = cx + rnd.range(-0.5, 0.5) * w;
        const double along = 1 - std::abs(px - cx) / (w * 0.6);
        const double r = h * rnd.range(0.35, 0.6) * std::max(0.35, along);
        const double py = cy - rnd.range(0, 0.55) * h * std::max(0.2, along) + r * 0.3;
        QRadialGradient g(QPointF(px, py - r * 0.25), r);
        QColor c0 = lit, c1 = lit, c2 = shade;
        c0.setAlphaF(alpha);
        c1.setAlphaF(alpha * 0.85);
        c2.setAlphaF(0);
        g.setColorAt(0, c0);
        g.setColorAt(0.55, c1);
        g.setColorAt(1, c2);
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(px, py), r, r);
    }
    // flat, shaded base
    QRadialGradient base(QPointF(cx, cy + h * 0.1), w * 0.55);
    QColor b0 = shade, b1 = shade;
    b0.setAlphaF(alpha * 0.55);
    b1.setAlphaF(0);
    base.setColorAt(0, b0);
    base.setColorAt(1, b1);
    p.save();
    p.translate(cx, cy + h * 0.1);
    p.scale(1, 0.22);
    p.translate(-cx, -(cy + h * 0.1));
    p.setBrush(base);
    p.drawEllipse(QPointF(cx, cy + h * 0.1), w * 0.55, w * 0.55);
    p.restore();
}

void Cirrus(QPainter& p, Random& rnd, double W, double H, int count, double alpha) {
    for (int i = 0; i < count; ++i) {
        const double cx = rnd.range(0, W), cy = rnd.range(0.05, 0.45) * H;
        const double len = rnd.range(0.2, 0.5) * W;
        p.save();
        p.translate(cx, cy);
        p.rotate(rnd.range(-12, 12));
        for (int k = 0; k < 6; ++k) {
            const double ox = rnd.range(-0.4, 0.4) * len, oy = rnd.range(-8, 8);
            QRadialGradient g(QPointF(ox, oy), len * 0.3);
            g.setColorAt(0, QColor(255, 255, 255, int(255 * alpha)));
            g.setColorAt(1, QColor(255, 255, 255, 0));
            p.setBrush(g);
            p.setPen(Qt::NoPen);
            p.save();
            p.translate(ox, oy);
            p.scale(1, 0.08);
            p.drawEllipse(QPointF(0, 0), len * 0.3, len * 0.3);
            p.restore();
        }
        p.restore();
    }
}

void Airfield(QPainter& p, Random& rnd, double W, double H) {
    const double hz = H * 0.64;
    SkyGradient(p, QRectF(0, 0, W, hz), {{0, QColor(0x3f, 0x78, 0xc0)}, {0.75, QColor(0xa9, 0xc8, 0xe6)}, {1, QColor(0xd8, 0xe4, 0xee)}});
    Random r2(rnd.next());
    for (int i = 0; i < 4; ++i)
        Cumulus(p, r2, r2.range(0, W), r2.range(0.15, 0.45) * hz, r2.range(120, 260), r2.range(40, 80),
                QColor(255, 255, 255), QColor(0xb8, 0xc2, 0xcf), 0.9);
    // distant hills and tree line
    QPainterPath hills;
    hills.moveTo(0, hz);
    for (int x = 0; x <= int(W); x += 16)
        hills.lineTo(x, hz - 10 - 8 * std::sin(x * 0.006 + rnd.uniform()) - rnd.range(0, 4));
    hills.lineTo(W, hz);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x7d, 0x94, 0x8a));
    p.drawPath(hills);
    // hangars, terminal and tower
    double x = rnd.range(20, 120);
    while (x < W - 60) {
        const double w = rnd.range(40, 120), h = rnd.range(10, 26);
        const int g = int(rnd.range(150, 200));
        p.setBrush(QColor(g, g + 4, g + 8));
        if (rnd.uniform() < 0.5) {
            QPainterPath roof;
            roof.moveTo(x, hz);
            roof.lineTo(x, hz - h);
            roof.quadTo(x + w / 2, hz - h * 1.5, x + w, hz - h);
            roof.lineTo(x + w, hz);
            p.drawPath(roof);
        } else {
            p.drawRect(QRectF(x, hz - h, w, h));
            p.setBrush(QColor(0x50, 0x60, 0x70));
            p.drawRect(QRectF(x + 3, hz - h * 0.6, w - 6, h * 0.22));
        }
        x += w + rnd.range(10, 90);
    }
    const double tx = rnd.range(0.6, 0.85) * W;
    p.setBrush(QColor(0xc8, 0xc8, 0xc4));
    p.drawRect(QRectF(tx, hz - 58, 9, 58));
    p.setBrush(QColor(0x3a, 0x4a, 0x5a));
    p.drawRect(QRectF(tx - 7, hz - 70, 23, 13));
    // grass
    QLinearGradient grass(0, hz, 0, H);
    grass.setColorAt(0, QColor(0x8a, 0x9e, 0x6a));
    grass.setColorAt(1, QColor(0x55, 0x7a, 0x3a));
    p.fillRect(QRectF(0, hz, W, H - hz), grass);
    // the runway in perspective, with its markings
    const double vx = W * rnd.range(0.35, 0.65);
    QPolygonF rw;
    rw << QPointF(vx - W * 0.05, hz + 6) << QPointF(vx + W * 0.05, hz + 6) << QPointF(W * 1.35, H) << QPointF(-W * 0.35, H);
    p.setBrush(QColor(0x5c, 0x5e, 0x60));
    p.drawPolygon(rw);
    p.setPen(QPen(QColor(0xe8, 0xe8, 0xe8), 2));
    p.drawLine(QPointF(vx - W * 0.05, hz + 6), QPointF(-W * 0.35, H));
    p.drawLine(QPointF(vx + W * 0.05, hz + 6), QPointF(W * 1.35, H));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    for (int k = 0; k < 12; ++k) {
        const double t0 = std::pow(k / 12.0, 1.8), t1 = std::pow((k + 0.45) / 12.0, 1.8);
        const double y0 = hz + 6 + (H - hz - 6) * t0, y1 = hz + 6 + (H - hz - 6) * t1;
        const double w0 = 1 + 5 * t0, w1 = 1 + 5 * t1;
        QPolygonF d;
        d << QPointF(vx + (W / 2 - vx) * t0 - w0, y0) << QPointF(vx + (W / 2 - vx) * t0 + w0, y0)
          << QPointF(vx + (W / 2 - vx) * t1 + w1, y1) << QPointF(vx + (W / 2 - vx) * t1 - w1, y1);
        p.drawPolygon(d);
    }
    // haze over the horizon
    QLinearGradient haze(0, hz - 30, 0, hz + 30);
    haze.setColorAt(0, QColor(220, 228, 236, 0));
    haze.setColorAt(0.5, QColor(220, 228, 236, 110));
    haze.setColorAt(1, QColor(220, 228, 236, 0));
    p.fillRect(QRectF(0, hz - 30, W, 60), haze);
}

void Fields(QPainter& p, Random& rnd, double W, double H) {
    p.fillRect(QRectF(0, 0, W, H), QColor(0x6f, 0x86, 0x52));
    p.save();
    p.translate(W / 2, H / 2);
    p.rotate(rnd.range(-25, 25));
    const QColor tones[] = {QColor(0x7d, 0x96, 0x55), QColor(0x9a, 0xa6, 0x62), QColor(0x5e, 0x7c, 0x46),
                            QColor(0xb5, 0xa8, 0x6e), QColor(0x8c, 0x7d, 0x5a), QColor(0x6a, 0x8e, 0x5a)};
    p.setPen(QPen(QColor(0x58, 0x66, 0x40), 2));
    double y = -H;
    while (y < H) {
        const double h = rnd.range(60, 160);
        double x = -W;
        while (x < W) {
            const double w = rnd.range(80, 220);
            p.setBrush(tones[rnd.next() % 6]);
            p.drawRect(QRectF(x, y, w, h));
            x += w;
        }
        y += h;
    }
    // a road
    p.setPen(QPen(QColor(0x9a, 0x98, 0x90), 6));
    p.drawLine(QPointF(-W, rnd.range(-H / 2, H / 2)), QPointF(W, rnd.range(-H / 2, H / 2)));
    p.restore();
    // soft haze: the ground is far below
    p.fillRect(QRectF(0, 0, W, H), QColor(200, 215, 230, 70));
}

} // namespace

void PaintBackdrop(QImage& image, Backdrop backdrop, uint64_t seed, const QColor& plain) {
    Random rnd(seed);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double W = image.width(), H = image.height();
    const QRectF all(0, 0, W, H);
    switch (backdrop) {
    case Backdrop::Plain:
        p.fillRect(all, plain);
        break;
    case Backdrop::Clear:
        SkyGradient(p, all, {{0, QColor(0x24, 0x5e, 0xae)}, {0.6, QColor(0x5d, 0x94, 0xd2)}, {1, QColor(0xb5, 0xd2, 0xec)}});
        Cirrus(p, rnd, W, H, 2 + int(rnd.uniform() * 3), 0.35);
        break;
    case Backdrop::Cloudy: {
        SkyGradient(p, all, {{0, QColor(0x4f, 0x7c, 0xb0)}, {0.7, QColor(0x93, 0xb1, 0xd0)}, {1, QColor(0xc9, 0xd5, 0xe2)}});
        const int n = 7 + int(rnd.uniform() * 5);
        for (int i = 0; i < n; ++i) {
            const double cy = rnd.range(0.12, 1.0) * H;
            const double sz = 0.6 + cy / H;
            Cumulus(p, rnd, rnd.range(-0.1, 1.1) * W, cy, rnd.range(160, 360) * sz, rnd.range(50, 110) * sz,
                    QColor(0xfa, 0xfb, 0xfd), QColor(0xa2, 0xae, 0xbe), 0.95);
        }
        break;
    }
    case Backdrop::Dusk: {
        SkyGradient(p, all, {{0, QColor(0x1c, 0x22, 0x4a)}, {0.45, QColor(0x5b, 0x3d, 0x6e)}, {0.75, QColor(0xc7, 0x5e, 0x5a)}, {1, QColor(0xf4, 0xa4, 0x52)}});
        const double sx = rnd.range(0.15, 0.85) * W, sy = H * 0.93;
        QRadialGradient glow(QPointF(sx, sy), H * 0.6);
        glow.setColorAt(0, QColor(255, 226, 160, 220));
        glow.setColorAt(0.08, QColor(255, 190, 110, 150));
        glow.setColorAt(1, QColor(255, 140, 80, 0));
        p.fillRect(all, glow);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 240, 205));
        p.drawEllipse(QPointF(sx, sy), 18, 18);
        for (int i = 0; i < 5; ++i) {
            const double cy = rnd.range(0.5, 0.85) * H;
            p.save();
            p.translate(rnd.range(0, W), cy);
            p.scale(1, 0.09);
            QRadialGradient g(QPointF(0, 0), rnd.range(120, 300));
            g.setColorAt(0, QColor(0x6a, 0x3a, 0x5a, 170));
            g.setColorAt(1, QColor(0x6a, 0x3a, 0x5a, 0));
            p.setBrush(g);
            p.drawEllipse(QPointF(0, 0), 300, 300);
            p.restore();
        }
        break;
    }
    case Backdrop::Airfield:
        Airfield(p, rnd, W, H);
        break;
    case Backdrop::Fields:
        Fields(p, rnd, W, H);
        break;
    }
}

} // namespace sky::render
