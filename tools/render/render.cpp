#include "render.h"

#include "model.h"
#include "scenery.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

namespace sky::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSuper = 3; // samples per pixel along each axis

double Rad(double d) { return d * kPi / 180; }
double Fract(double v) { return v - std::floor(v); }

struct Col {
    double r = 0, g = 0, b = 0;
    Col() = default;
    Col(double a, double b_, double c) : r(a), g(b_), b(c) {}
    explicit Col(const QColor& c) : r(c.redF()), g(c.greenF()), b(c.blueF()) {}
    Col operator*(double k) const { return {r * k, g * k, b * k}; }
    Col operator*(const Col& o) const { return {r * o.r, g * o.g, b * o.b}; }
    Col operator+(const Col& o) const { return {r + o.r, g + o.g, b + o.b}; }
};
Col Mix(const Col& a, const Col& b, double t) { return a * (1 - t) + b * t; }

struct Lighting {
    V3 sun;           // towards the sun, world
    Col sunColour, skyAmbient, groundAmbient, skyEnv, groundEnv;
};

struct Surface {
    Col albedo;
    double gloss = 0.35;  // specular strength
    double shininess = 40;
    double reflect = 0.25;
};

uint64_t Seed(const QString& folder, int index) {
    uint64_t h = 1469598103934665603ULL;
    for (QChar c : folder) {
        h ^= c.unicode();
        h *= 1099511628211ULL;
    }
    h ^= uint64_t(index) * 0x9e3779b97f4a7c15ULL;
    return h;
}

class Painter {
public:
    Painter(const Model& m, const Livery& l, int variant) : m_(m), l_(l), variant_(variant) {}

    Surface surface(Material mat, const V3& p, const V3& n) const {
        Surface s;
        switch (mat) {
        case MatFuselage: return fuselage(p, n);
        case MatWing:
        case MatStab:
            s.albedo = Col(l_.wing) * (n.z < -0.2 ? 0.93 : 1.0);
            s.gloss = 0.25;
            return s;
        case MatFin: return fin(p, n);
        case MatNacelle:
            s.albedo = Col(l_.engine);
            s.gloss = 0.45;
            return s;
        case MatIntake: s.albedo = Col(0.06, 0.065, 0.07); s.gloss = 0.1; return s;
        case MatExhaust: s.albedo = Col(0.16, 0.15, 0.14); s.gloss = 0.2; return s;
        case MatMetal: s.albedo = Col(0.62, 0.64, 0.67); s.gloss = 0.9; s.shininess = 60; s.reflect = 0.4; return s;
        case MatGear: s.albedo = Col(0.7, 0.7, 0.72); s.gloss = 0.6; return s;
        case MatTyre: s.albedo = Col(0.07, 0.07, 0.075); s.gloss = 0.1; s.reflect = 0.05; return s;
        case MatProp: s.albedo = Col(0.08, 0.08, 0.09); s.gloss = 0.3; return s;
        case MatSpinner: s.albedo = Col(l_.tail) * 0.6 + Col(0.35, 0.35, 0.36); s.gloss = 0.7; return s;
        case MatGlass: default: s.albedo = Col(0.05, 0.07, 0.1); s.gloss = 1; s.reflect = 0.6; return s;
        }
    }

private:
    Surface glass() const {
        Surface s;
        s.albedo = Col(0.04, 0.055, 0.08);
        s.gloss = 1.2;
        s.shininess = 80;
        s.reflect = 0.55;
        return s;
    }

    Surface fuselage(const V3& p, const V3& n) const {
        const FuselageProfile& f = m_.fuselage;
        const double hd = f.halfDepth;
        const double x = p.x, z = p.z;
        const double top = f.top(x), bot = f.bottom(x);
        const double hh = std::max(1e-3, (top - bot) / 2);
        const bool light = f.nose == NoseShape::Piston || f.nose == NoseShape::Radial;
        // flight-deck windows
        if (x > m_.cockpitX0 && x < m_.cockpitX1 && n.z > -0.2) {
            const double u = (x - m_.cockpitX0) / (m_.cockpitX1 - m_.cockpitX0);
            if (light) {
                if (z > top - hh * 0.55 && z < top - hh * 0.03 && std::abs(p.y) < f.halfWidthAt(x) * 0.97) return glass();
            } else {
                const double drop = m_.windowRows == 2 ? hh * 0.3 : 0.0; // flight deck between the decks
                const double lo = top - hh * (0.42 + 0.1 * u) - drop, hi = top - hh * (0.1 + 0.06 * u) - drop;
                const bool post = Fract(u * 3.2) < 0.09 || std::abs(p.y) < f.halfWidthAt(x) * 0.04;
                if (z > lo && z < hi && !post && u > 0.08) return glass();
            }
        }
        // cabin windows
        const double side = std::abs(n.y);
        if (light && m_.cabinWindows > 0 && side > 0.45) {
            const double x0 = f.noseEnd, pitch = 0.95;
            const double k = (x - x0) / pitch;
            if (k > 0 && k < m_.cabinWindows) {
                const double fx = Fract(k);
                if (f.nose == NoseShape::Radial) {
                    // round cabin windows
                    const double dx = (fx - 0.5) * pitch / 0.2, dz = (z - hd * 0.35) / 0.2;
                    if (dx * dx + dz * dz < 1) return glass();
                } else if (fx > 0.06 && fx < 0.94 && z > hd * 0.02 && z < top - hh * 0.22) {
                    return glass();
                }
            }
        }
        if (!light && m_.windowRows > 0 && side > 0.35 && x > m_.windowStart && x < m_.windowEnd) {
            const double ws = m_.windowSize;
            for (int r = 0; r < m_.windowRows; ++r) {
                const double zr = m_.windowZ[r];
                const double dz = (z - zr) / (ws * 0.62);
                if (std::abs(dz) > 1) continue;
                const double fx = Fract((x - m_.windowStart) / m_.windowPitch) - 0.5;
                const double dx = fx * m_.windowPitch / (ws * 0.42);
                if (dx * dx * dx * dx + dz * dz * dz * dz < 1) return glass();
            }
            if (m_.humpEnd > 0 && x < m_.humpEnd - 2.5 && x > m_.windowStart) {
                const double zr = m_.humpTop - 0.85;
                const double dz = (z - zr) / (ws * 0.62);
                const double fx = Fract((x - m_.windowStart) / m_.windowPitch) - 0.5;
                const double dx = fx * m_.windowPitch / (ws * 0.42);
                if (std::abs(dz) < 1 && dx * dx * dx * dx + dz * dz * dz * dz < 1) return glass();
            }
        }
        Surface s;
        s.gloss = 0.45;
        s.shininess = 45;
        // doors: thin darker outlines
        bool doorLine = false;
        if (!light && side > 0.35 && f.length > 14) {
            auto door = [&](double dx0, double w) {
                const double ex = std::min(std::abs(x - dx0), std::abs(x - dx0 - w));
                const bool inX = x > dx0 - 0.02 && x < dx0 + w + 0.02;
                const double zlo = bot + hh * 0.25, zhi = m_.windowZ[0] + hh * 0.45;
                if (inX && z > zlo && z < zhi && (ex < 0.025 || std::abs(z - zlo) < 0.025 || std::abs(z - zhi) < 0.025)) doorLine = true;
            };
            door(m_.windowStart - std::max(0.95, f.halfWidth * 0.3) - 0.2, 0.85);
            door(m_.windowEnd - 0.6, 0.8);
        }
        Col paint = Col(l_.top), belly = Col(l_.belly), stripe = Col(l_.stripe), accent = Col(l_.accent);
        Col c = paint;
        const double zw = m_.windowZ[0];
        switch (l_.style) {
        case LiveryStyle::Cheatline:
            if (z < -hd * 0.45) c = belly;
            if (z > zw - hh * 0.42 && z < zw - hh * 0.2) c = stripe;
            else if (z > zw - hh * 0.52 && z < zw - hh * 0.46) c = accent;
            break;
        case LiveryStyle::Belly:
            if (z < -hd * 0.05 - 0.1 * hd * std::sin(x / f.length * kPi)) c = stripe;
            if (std::abs(z + hd * 0.05 + 0.1 * hd * std::sin(x / f.length * kPi)) < hd * 0.035) c = accent;
            break;
        case LiveryStyle::Tailsweep: {
            if (z < -hd * 0.5) c = belly;
            const double t = (x - f.length * 0.5) / (f.length * 0.5);
            const double line = -hd * 1.2 + t * hd * 3.2;
            if (t > 0 && z < line) c = stripe;
            if (t > 0 && std::abs(z - line - hd * 0.16) < hd * 0.06) c = accent;
            break;
        }
        case LiveryStyle::Plain:
            if (z < -hd * 0.55) c = belly;
            break;
        case LiveryStyle::Metal:
            c = Col(0.74, 0.76, 0.79);
            s.gloss = 0.9;
            s.shininess = 25;
            s.reflect = 0.45;
            if (z > zw - hh * 0.25 && z < zw + hh * 0.22) c = stripe;
            if (z > zw + hh * 0.22) c = paint;
            break;
        }
        // dark radome on some liveries
        if (!light && variant_ == 2 && x < f.noseEnd * 0.22) c = Col(0.2, 0.22, 0.25);
        if (doorLine) c = c * 0.62;
        s.albedo = c;
        return s;
    }

    Surface fin(const V3& p, const V3& n) const {
        Surface s;
        s.gloss = 0.4;
        const V3 b = m_.finBase, t = m_.finTop;
        if (std::abs(n.y) < 0.3 || p.z < b.z - 0.05) {
            // winglets, struts and fin edges
            s.albedo = Col(p.z < b.z - 0.5 || std::abs(p.y) > 1.5 ? l_.tail : l_.tail);
            return s;
        }
        const double h = std::max(0.1, t.z - b.z);
        const double u = (p.z - b.z) / h;
        const double xc = b.x + (t.x - b.x) * u;
        Col c = Col(l_.tail);
        const double em = 0.55;
        const double ex = b.x + (t.x - b.x) * em, ez = b.z + h * em;
        const double d = std::hypot(p.x - ex, p.z - ez);
        const double r = std::min(h * 0.22, m_.finChordMid * 0.32);
        switch (variant_ % 3) {
        case 0:
            if (d < r && d > r * 0.62) c = Col(l_.accent);
            if (d < r * 0.3) c = Col(l_.accent);
            break;
        case 1: {
            const double band = (p.x - xc) * 0.6 + (p.z - b.z);
            if (Fract(band / (h * 0.28)) < 0.3 && u > 0.3) c = Col(l_.accent);
            break;
        }
        default: {
            // a chevron
            const double dx = p.x - ex, dz = p.z - ez;
            if (std::abs(dz - std::abs(dx) * 0.9) < r * 0.22 && std::abs(dx) < r * 1.2) c = Col(l_.accent);
            if (u > 0.92) c = Col(l_.top);
            break;
        }
        }
        s.albedo = c;
        return s;
    }

    const Model& m_;
    const Livery& l_;
    int variant_;
};

Lighting LightFor(Backdrop b, const V3& right, const V3& up, const V3& back) {
    Lighting L;
    switch (b) {
    case Backdrop::Dusk:
        L.sun = (right * 0.75 + up * 0.2 + back * 0.2).unit();
        L.sunColour = Col(1.0, 0.62, 0.38) * 0.95;
        L.skyAmbient = Col(0.36, 0.32, 0.46);
        L.groundAmbient = Col(0.25, 0.18, 0.16);
        L.skyEnv = Col(0.55, 0.4, 0.45);
        L.groundEnv = Col(0.2, 0.14, 0.12);
        break;
    case Backdrop::Cloudy:
        L.sun = (right * -0.3 + up * 0.75 + back * 0.55).unit();
        L.sunColour = Col(0.95, 0.95, 0.92) * 0.5;
        L.skyAmbient = Col(0.62, 0.65, 0.7);
        L.groundAmbient = Col(0.52, 0.52, 0.52);
        L.skyEnv = Col(0.75, 0.8, 0.86);
        L.groundEnv = Col(0.35, 0.36, 0.36);
        break;
    case Backdrop::Fields:
        L.sun = (V3(0.3, 0.4, 1)).unit();
        L.sunColour = Col(1.0, 0.97, 0.9) * 0.75;
        L.skyAmbient = Col(0.48, 0.53, 0.6);
        L.groundAmbient = Col(0.42, 0.44, 0.38);
        L.skyEnv = Col(0.6, 0.72, 0.88);
        L.groundEnv = Col(0.3, 0.34, 0.25);
        break;
    default:
        L.sun = (right * -0.35 + up * 0.7 + back * 0.6).unit();
        L.sunColour = Col(1.0, 0.97, 0.9) * 0.72;
        L.skyAmbient = Col(0.5, 0.56, 0.66);
        L.groundAmbient = Col(0.5, 0.5, 0.48);
        L.skyEnv = Col(0.55, 0.7, 0.9);
        L.groundEnv = Col(0.32, 0.32, 0.3);
        break;
    }
    return L;
}

// Rotation about z (heading), then x (bank) applied to model-space vectors
// centred on the aircraft.
struct Pose {
    double ch, sh, cb, sb;
    V3 apply(const V3& v) const {
        // bank about the longitudinal axis
        const V3 a(v.x, v.y * cb - v.z * sb, v.y * sb + v.z * cb);
        return {a.x * ch - a.y * sh, a.x * sh + a.y * ch, a.z};
    }
};

} // namespace

QVector<Shot> StandardShots() {
    QVector<Shot> s;
    auto add = [&](double az, double el, Backdrop b, int livery, bool gear, double fill, double cy = 0.5,
                   double bank = 0, double heading = 0, double dist = 6) {
        Shot x;
        x.azimuth = az;
        x.elevation = el;
        x.backdrop = b;
        x.livery = livery;
        x.gearDown = gear;
        x.fill = fill;
        x.centreY = cy;
        x.bank = bank;
        x.heading = heading;
        x.distance = dist;
        s << x;
    };
    add(90, 2, Backdrop::Clear, 0, false, 0.86);                       // left side
    add(-90, 3, Backdrop::Cloudy, 1, false, 0.86);                     // right side
    add(0.01, 89.5, Backdrop::Fields, 0, false, 0.8, 0.5, 0, -90);     // top view
    add(35, -6, Backdrop::Clear, 2, false, 0.8, 0.5, -6, 0, 4);        // front three-quarter, left
    add(-140, 12, Backdrop::Dusk, 1, false, 0.8, 0.5, 5, 0, 4);       // rear three-quarter, right
    add(68, 3, Backdrop::Airfield, 0, true, 0.74, 0.36, 0, 0, 5);      // on approach over the field
    add(-38, 14, Backdrop::Cloudy, 2, false, 0.8, 0.5, 4, 0, 4);       // front three-quarter, right, from above
    add(125, -28, Backdrop::Clear, 1, true, 0.78, 0.5, 0, 0, 4);       // from below, rear left
    return s;
}

QImage RenderShot(const AircraftShape& shape, const Shot& shot, const QSize& size, const QColor& plain) {
    const int W = size.width(), H = size.height();
    QImage out(W, H, QImage::Format_RGB32);
    const uint64_t seed = Seed(shape.folder, int(shot.azimuth * 10) ^ (int(shot.backdrop) << 12) ^ (shot.livery << 16));
    PaintBackdrop(out, shot.backdrop, seed, plain);

    Random rnd(seed ^ 0x5555);
    const Model m = BuildModel(shape, shot.gearDown, rnd.range(0, 2 * kPi));
    const Livery& livery = shape.liveries[shot.livery % shape.liveries.size()];
    const Painter painter(m, livery, shot.livery % 3);

    // aircraft pose and camera
    const V3 centre = (m.minCorner + m.maxCorner) * 0.5;
    Pose pose{std::cos(Rad(shot.heading)), std::sin(Rad(shot.heading)), std::cos(Rad(shot.bank)), std::sin(Rad(shot.bank))};
    const double az = Rad(shot.azimuth), el = Rad(shot.elevation);
    const V3 dir(-std::cos(az) * std::cos(el), -std::sin(az) * std::cos(el), std::sin(el));
    const double dist = shot.distance * std::max(shape.length, shape.span);
    const V3 eye = dir * dist;
    const V3 fwd = -dir;
    V3 upRef(0, 0, 1);
    if (std::abs(dir.z) > 0.98) upRef = V3(-std::cos(az), -std::sin(az), 0);
    const V3 right = fwd.cross(upRef).unit();
    const V3 up = right.cross(fwd).unit();

    const int S = kSuper;
    const int SW = W * S, SH = H * S;
    std::vector<V3> world(m.vertices.size());
    std::vector<double> sx(m.vertices.size()), sy(m.vertices.size()), iz(m.vertices.size());
    double minX = 1e18, maxX = -1e18, minY = 1e18, maxY = -1e18;
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        world[i] = pose.apply(m.vertices[i].p - centre);
        const V3 rel = world[i] - eye;
        const double z = rel.dot(fwd);
        sx[i] = rel.dot(right) / z;
        sy[i] = -rel.dot(up) / z;
        iz[i] = 1 / z;
        minX = std::min(minX, sx[i]);
        maxX = std::max(maxX, sx[i]);
        minY = std::min(minY, sy[i]);
        maxY = std::max(maxY, sy[i]);
    }
    // fit the aircraft into the frame
    const double scale = std::min(shot.fill * SW / (maxX - minX), 0.86 * SH / (maxY - minY));
    const double ox = shot.centreX * SW - (minX + maxX) / 2 * scale;
    const double oy = shot.centreY * SH - (minY + maxY) / 2 * scale;
    for (size_t i = 0; i < sx.size(); ++i) {
        sx[i] = sx[i] * scale + ox;
        sy[i] = sy[i] * scale + oy;
    }
    const int bx0 = std::max(0, int(std::floor((minX * scale + ox) / S)) - 1) * S;
    const int by0 = std::max(0, int(std::floor((minY * scale + oy) / S)) - 1) * S;
    const int bx1 = std::min(SW, (int(std::ceil((maxX * scale + ox) / S)) + 1) * S);
    const int by1 = std::min(SH, (int(std::ceil((maxY * scale + oy) / S)) + 1) * S);
    const int BW = bx1 - bx0, BH = by1 - by0;
    if (BW <= 0 || BH <= 0) return out;

    // The sample buffers are kept between pictures: fresh pages for every
    // picture cost more than the drawing itself.
    static thread_local std::vector<float> depth;
    static thread_local std::vector<int> triOf;
    const size_t samples = size_t(BW) * BH;
    if (depth.size() < samples) {
        depth.resize(samples);
        triOf.resize(samples);
    }
    std::fill_n(depth.begin(), samples, 0.f);
    std::fill_n(triOf.begin(), samples, -1);
    for (size_t t = 0; t < m.tris.size(); ++t) {
        const Tri& tr = m.tris[t];
        const double x0 = sx[tr.a] - bx0, y0 = sy[tr.a] - by0;
        const double x1 = sx[tr.b] - bx0, y1 = sy[tr.b] - by0;
        const double x2 = sx[tr.c] - bx0, y2 = sy[tr.c] - by0;
        const double area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
        if (std::abs(area) < 1e-9) continue;
        const int xa = std::max(0, int(std::floor(std::min({x0, x1, x2}))));
        const int xb = std::min(BW - 1, int(std::ceil(std::max({x0, x1, x2}))));
        const int ya = std::max(0, int(std::floor(std::min({y0, y1, y2}))));
        const int yb = std::min(BH - 1, int(std::ceil(std::max({y0, y1, y2}))));
        const double inv = 1 / area;
        const double z0 = iz[tr.a], z1 = iz[tr.b], z2 = iz[tr.c];
        for (int py = ya; py <= yb; ++py) {
            const double cy = py + 0.5;
            for (int px = xa; px <= xb; ++px) {
                const double cx = px + 0.5;
                const double w1 = ((cx - x0) * (y2 - y0) - (x2 - x0) * (cy - y0)) * inv;
                const double w2 = ((x1 - x0) * (cy - y0) - (cx - x0) * (y1 - y0)) * inv;
                const double w0 = 1 - w1 - w2;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                const float d = float(w0 * z0 + w1 * z1 + w2 * z2);
                const size_t k = size_t(py) * BW + px;
                if (d > depth[k]) {
                    depth[k] = d;
                    triOf[k] = int(t);
                }
            }
        }
    }

    const Lighting light = LightFor(shot.backdrop, right, up, -fwd);
    auto shade = [&](int t, double cx, double cy) {
        const Tri& tr = m.tris[size_t(t)];
        const double x0 = sx[tr.a] - bx0, y0 = sy[tr.a] - by0;
        const double x1 = sx[tr.b] - bx0, y1 = sy[tr.b] - by0;
        const double x2 = sx[tr.c] - bx0, y2 = sy[tr.c] - by0;
        const double inv = 1 / ((x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0));
        const double w1 = std::clamp(((cx - x0) * (y2 - y0) - (x2 - x0) * (cy - y0)) * inv, 0.0, 1.0);
        const double w2 = std::clamp(((x1 - x0) * (cy - y0) - (cx - x0) * (y1 - y0)) * inv, 0.0, 1.0 - w1);
        const double w0 = 1 - w1 - w2;
        const Vertex &A = m.vertices[tr.a], &B = m.vertices[tr.b], &C = m.vertices[tr.c];
        const V3 p = A.p * w0 + B.p * w1 + C.p * w2;
        const V3 n = (A.n * w0 + B.n * w1 + C.n * w2).unit();
        const Surface s = painter.surface(tr.mat, p, n);
        V3 nw = pose.apply(n).unit();
        const V3 pw = world[tr.a] * w0 + world[tr.b] * w1 + world[tr.c] * w2;
        const V3 v = (eye - pw).unit();
        if (nw.dot(v) < 0) nw = -nw; // inner faces of thin parts
        // darker where the surface turns away, so parts stand out against
        // what lies behind them (a nacelle against the fuselage)
        const double rim = 0.62 + 0.38 * std::sqrt(std::max(0.0, nw.dot(v)));
        const Col amb = Mix(light.groundAmbient, light.skyAmbient, 0.5 + 0.5 * nw.z);
        const double diff = std::max(0.0, nw.dot(light.sun));
        const V3 r = nw * (2 * nw.dot(v)) - v;
        const double spec = s.gloss * std::pow(std::max(0.0, r.dot(light.sun)), s.shininess);
        const double fres = 0.06 + 0.6 * std::pow(1 - std::max(0.0, nw.dot(v)), 4);
        const Col env = r.z > 0 ? light.skyEnv : light.groundEnv;
        const double fill = 0.22 * std::max(0.0, nw.dot(v)); // soft light from the camera
        return s.albedo * (amb + light.sunColour * diff + Col(fill, fill, fill)) * rim + light.sunColour * spec + env * (fres * s.reflect);
    };

    const int px0 = bx0 / S, py0 = by0 / S;
    const int pw = BW / S, ph = BH / S;
    for (int y = 0; y < ph; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(py0 + y));
        for (int x = 0; x < pw; ++x) {
            int ids[kSuper * kSuper], count[kSuper * kSuper];
            double s1[kSuper * kSuper], s2[kSuper * kSuper];
            int groups = 0, covered = 0;
            for (int j = 0; j < S; ++j)
                for (int i = 0; i < S; ++i) {
                    const size_t k = size_t(y * S + j) * BW + (x * S + i);
                    const int t = triOf[k];
                    if (t < 0) continue;
                    ++covered;
                    int g = 0;
                    while (g < groups && ids[g] != t) ++g;
                    if (g == groups) {
                        ids[g] = t;
                        count[g] = 0;
                        s1[g] = s2[g] = 0;
                        ++groups;
                    }
                    ++count[g];
                    s1[g] += x * S + i + 0.5;
                    s2[g] += y * S + j + 0.5;
                }
            if (!covered) continue;
            Col sum;
            for (int g = 0; g < groups; ++g) sum = sum + shade(ids[g], s1[g] / count[g], s2[g] / count[g]) * count[g];
            const QRgb bg = line[px0 + x];
            const double n = S * S;
            const double rest = (n - covered) / 255.0;
            auto ch = [&](double c, int b) { return std::clamp(int(std::lround(((c + b * rest) / n) * 255)), 0, 255); };
            line[px0 + x] = qRgb(ch(sum.r, qRed(bg)), ch(sum.g, qGreen(bg)), ch(sum.b, qBlue(bg)));
        }
    }
    return out;
}

QByteArray EncodeJpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "jpg");
    w.setQuality(quality);
    if (!w.write(image)) throw ShapeError(QStringLiteral("JPEG encoding failed: %1").arg(w.errorString()));
    return bytes;
}

QStringList WriteType(const AircraftShape& shape, const QString& outDir) {
    const QString dir = QDir(outDir).filePath(shape.folder);
    if (!QDir().mkpath(dir)) throw ShapeError(QStringLiteral("%1: cannot make the folder").arg(dir));
    QDir d(dir);
    for (const QString& old : d.entryList({QStringLiteral("[0-9][0-9].jpg")}, QDir::Files)) d.remove(old);
    QStringList written;
    const QVector<Shot> shots = StandardShots();
    for (int i = 0; i < shots.size(); ++i) {
        const QByteArray jpeg = EncodeJpeg(RenderShot(shape, shots[i]));
        const QString path = d.filePath(QStringLiteral("%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0')));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(jpeg) != jpeg.size())
            throw ShapeError(QStringLiteral("%1: cannot be written: %2").arg(path, f.errorString()));
        written << path;
    }
    return written;
}

} // namespace sky::render
