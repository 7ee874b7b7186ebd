#include "model.h"

#include <algorithm>

namespace sky::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
double Rad(double deg) { return deg * kPi / 180; }
double Clamp01(double t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }
// A quarter ellipse rising from 0 to 1; `p` < 2 makes it more pointed.
double Ell(double t, double p) {
    t = Clamp01(t);
    return std::pow(1 - std::pow(1 - t, p), 1 / p);
}

using Ring = std::vector<V3>;

class Builder {
public:
    explicit Builder(Model& m) : m_(m) {}

    // Joins rings of equal size into a closed tube; caps close the ends.
    void loft(const std::vector<Ring>& rings, Material mat, bool capStart, bool capEnd,
              Material capStartMat, Material capEndMat) {
        const int rows = int(rings.size());
        const int cols = int(rings[0].size());
        const int base = int(m_.vertices.size());
        for (int i = 0; i < rows; ++i) {
            V3 centre;
            for (const V3& p : rings[i]) centre = centre + p;
            centre = centre * (1.0 / cols);
            const int ip = std::max(0, i - 1), in = std::min(rows - 1, i + 1);
            for (int j = 0; j < cols; ++j) {
                const int jp = (j + cols - 1) % cols, jn = (j + 1) % cols;
                V3 along = rings[in][j] - rings[ip][j];
                V3 around = rings[i][jn] - rings[i][jp];
                V3 n = along.cross(around);
                if (n.len() < 1e-9) {
                    // degenerate point (a nose tip): face along the loft
                    n = (i == 0 ? rings[std::min(rows - 1, 1)][j] - rings[0][j]
                                : rings[i][j] - rings[i - 1][j]);
                    if (i == 0) n = -n;
                }
                n = n.unit();
                if (n.dot(rings[i][j] - centre) < 0 && (rings[i][j] - centre).len() > 1e-6) n = -n;
                m_.vertices.push_back({rings[i][j], n});
            }
        }
        for (int i = 0; i + 1 < rows; ++i)
            for (int j = 0; j < cols; ++j) {
                const int jn = (j + 1) % cols;
                const int a = base + i * cols + j, b = base + i * cols + jn;
                const int c = base + (i + 1) * cols + j, d = base + (i + 1) * cols + jn;
                m_.tris.push_back({a, b, d, mat});
                m_.tris.push_back({a, d, c, mat});
            }
        if (capStart) cap(rings[0], rings[std::min(1, rows - 1)], capStartMat);
        if (capEnd) cap(rings[rows - 1], rings[std::max(0, rows - 2)], capEndMat);
    }

    // Closes a ring with a fan; `inner` is the neighbouring ring, so the
    // cap faces away from it.
    void cap(const Ring& ring, const Ring& inner, Material mat) {
        V3 centre, out;
        for (size_t j = 0; j < ring.size(); ++j) {
            centre = centre + ring[j];
            out = out + (ring[j] - inner[j]);
        }
        centre = centre * (1.0 / ring.size());
        const V3 n = out.unit();
        const int base = int(m_.vertices.size());
        m_.vertices.push_back({centre, n});
        for (const V3& p : ring) m_.vertices.push_back({p, n});
        const int k = int(ring.size());
        for (int j = 0; j < k; ++j) m_.tris.push_back({base, base + 1 + j, base + 1 + (j + 1) % k, mat});
    }

    // A body along x: stations of (x, centre y, centre z, half width,
    // half height) with a superellipse section.
    struct Station { double x, y, z, hw, hh; };
    void body(const std::vector<Station>& st, int segments, double exponent, Material mat,
              Material frontCap, Material rearCap, bool caps = true, double flatBottom = 1) {
        std::vector<Ring> rings;
        for (const Station& s : st) {
            Ring r;
            for (int j = 0; j < segments; ++j) {
                const double a = 2 * kPi * j / segments;
                const double c = std::cos(a), sn = std::sin(a);
                const double e = 2 / exponent;
                const double yy = (c < 0 ? -1 : 1) * std::pow(std::abs(c), e);
                double zz = (sn < 0 ? -1 : 1) * std::pow(std::abs(sn), e);
                if (zz < 0) zz *= flatBottom;
                r.push_back({s.x, s.y + s.hw * yy, s.z + s.hh * zz});
            }
            rings.push_back(r);
        }
        loft(rings, mat, caps, caps, frontCap, rearCap);
    }

    // A lifting surface through sections of (leading edge, chord); chords
    // run along `chordDir`, thickness along `thickDir`.
    struct Section { V3 le; double chord; };
    void surface(const std::vector<Section>& sections, const V3& chordDir, const V3& thickDir,
                 double thickness, Material mat) {
        constexpr int K = 9;
        std::vector<Ring> rings;
        for (const Section& s : sections) {
            Ring r;
            // upper surface from the trailing edge to the leading edge, then
            // the lower one back
            for (int k = K; k >= 0; --k) r.push_back(airfoil(s, chordDir, thickDir, thickness, k, K, 1));
            for (int k = 1; k < K; ++k) r.push_back(airfoil(s, chordDir, thickDir, thickness, k, K, -1));
            rings.push_back(r);
        }
        loft(rings, mat, true, true, mat, mat);
    }

    void tube(const V3& a, const V3& b, double r, Material mat, int segments = 8) {
        const V3 ax = (b - a).unit();
        V3 u = ax.cross(std::abs(ax.z) < 0.9 ? V3(0, 0, 1) : V3(1, 0, 0)).unit();
        V3 v = ax.cross(u);
        std::vector<Ring> rings(2);
        for (int j = 0; j < segments; ++j) {
            const double t = 2 * kPi * j / segments;
            const V3 off = u * (r * std::cos(t)) + v * (r * std::sin(t));
            rings[0].push_back(a + off);
            rings[1].push_back(b + off);
        }
        loft(rings, mat, true, true, mat, mat);
    }

    void wheel(const V3& c, double radius, double width) {
        std::vector<Ring> rings;
        const double ys[4] = {-0.5, -0.42, 0.42, 0.5};
        const double rs[4] = {0.55, 1.0, 1.0, 0.55};
        for (int i = 0; i < 4; ++i) {
            Ring r;
            for (int j = 0; j < 18; ++j) {
                const double t = 2 * kPi * j / 18;
                r.push_back({c.x + radius * rs[i] * std::cos(t), c.y + width * ys[i], c.z + radius * rs[i] * std::sin(t)});
            }
            rings.push_back(r);
        }
        loft(rings, MatTyre, true, true, MatMetal, MatMetal);
    }

private:
    static V3 airfoil(const Section& s, const V3& cd, const V3& td, double t, int k, int K, int side) {
        const double u = 0.5 - 0.5 * std::cos(kPi * k / K);
        const double yt = 5 * t * (0.2969 * std::sqrt(u) - 0.126 * u - 0.3516 * u * u + 0.2843 * u * u * u - 0.1036 * u * u * u * u);
        return s.le + cd * (u * s.chord) + td * (side * yt * s.chord);
    }
    Model& m_;
};

struct WingGeom {
    double xw, zRoot, semi, sweepTan;
    double kink, rootC, kinkC, tipC, dih, dihOuter;
    double chord(double y) const {
        const double f = std::abs(y) / semi;
        if (kink > 0 && f < kink) return rootC + (kinkC - rootC) * (f / kink);
        if (kink > 0) return kinkC + (tipC - kinkC) * ((f - kink) / (1 - kink));
        return rootC + (tipC - rootC) * f;
    }
    double xle(double y) const { return xw + std::abs(y) * sweepTan; }
    double z(double y) const {
        const double a = std::abs(y);
        const double yk = (kink > 0 ? kink : 1) * semi;
        if (a <= yk) return zRoot + a * std::tan(Rad(dih));
        return zRoot + yk * std::tan(Rad(dih)) + (a - yk) * std::tan(Rad(dihOuter));
    }
};

void Propeller(Builder& b, const V3& hub, double radius, int blades, double phase, double spinnerR) {
    if (blades <= 0) return;
    // spinner
    std::vector<Builder::Station> sp;
    for (int i = 0; i <= 6; ++i) {
        const double t = i / 6.0;
        const double r = spinnerR * Ell(t, 1.6);
        sp.push_back({hub.x - spinnerR * 1.8 * (1 - t), hub.y, hub.z, r, r});
    }
    b.body(sp, 14, 2, MatSpinner, MatSpinner, MatSpinner);
    for (int k = 0; k < blades; ++k) {
        const double a = phase + 2 * kPi * k / blades;
        const V3 radial(0, std::cos(a), std::sin(a));
        const V3 tangent(0, -std::sin(a), std::cos(a));
        const double pitch = Rad(40);
        const V3 chord = (tangent * std::cos(pitch) + V3(1, 0, 0) * std::sin(pitch)).unit();
        const V3 thick = radial.cross(chord).unit();
        const double c = radius * 0.16;
        std::vector<Builder::Section> secs;
        const double fr[4] = {0.25, 0.45, 0.8, 1.0};
        const double cf[4] = {0.8, 1.0, 0.8, 0.45};
        for (int i = 0; i < 4; ++i)
            secs.push_back({hub + radial * (radius * fr[i]) - chord * (c * cf[i] * 0.35) + V3(-spinnerR * 0.4, 0, 0), c * cf[i]});
        b.surface(secs, chord, thick, 0.12, MatProp);
    }
}

// A jet nacelle whose intake lip sits at x0.
void JetNacelle(Builder& b, double x0, double y, double z, double len, double R, bool flat) {
    std::vector<Builder::Station> st;
    const double us[8] = {0, 0.04, 0.14, 0.3, 0.55, 0.78, 0.92, 1.0};
    const double rs[8] = {0.86, 0.95, 1.0, 1.0, 0.96, 0.84, 0.72, 0.66};
    for (int i = 0; i < 8; ++i) st.push_back({x0 + len * us[i], y, z, R * rs[i], R * rs[i]});
    b.body(st, 24, 2, MatNacelle, MatIntake, MatExhaust, true, flat ? 0.78 : 1.0);
    // fan spinner and exhaust plug
    std::vector<Builder::Station> sp = {{x0 + len * 0.02, y, z, 0.001, 0.001},
                                        {x0 + len * 0.08, y, z, R * 0.22, R * 0.22},
                                        {x0 + len * 0.14, y, z, R * 0.3, R * 0.3}};
    b.body(sp, 12, 2, MatMetal, MatMetal, MatMetal);
    std::vector<Builder::Station> plug = {{x0 + len * 0.9, y, z, R * 0.4, R * 0.4},
                                          {x0 + len * 1.06, y, z, R * 0.28, R * 0.28},
                                          {x0 + len * 1.14, y, z, 0.001, 0.001}};
    b.body(plug, 12, 2, MatMetal, MatMetal, MatMetal);
}

// A propeller-engine nacelle: spinner end at x0, tapering aft.
void PropNacelle(Builder& b, const EngineGroup& g, double x0, double y, double z, double len, double phase) {
    const double R = g.diameter / 2;
    std::vector<Builder::Station> st;
    if (g.kind == EngineKind::Radial) {
        const double us[6] = {0, 0.03, 0.25, 0.5, 0.8, 1.0};
        const double rs[6] = {0.88, 1.0, 1.0, 0.92, 0.6, 0.3};
        for (int i = 0; i < 6; ++i) st.push_back({x0 + len * us[i], y, z, R * rs[i], R * rs[i]});
    } else {
        const double us[7] = {0, 0.06, 0.16, 0.4, 0.65, 0.88, 1.0};
        const double rs[7] = {0.55, 0.82, 1.0, 1.0, 0.9, 0.55, 0.25};
        for (int i = 0; i < 7; ++i) st.push_back({x0 + len * us[i], y, z, R * rs[i] * 0.85, R * rs[i]});
    }
    b.body(st, 20, 2, MatNacelle, g.kind == EngineKind::Radial ? MatIntake : MatNacelle, MatExhaust);
    Propeller(b, V3(x0, y, z), g.propDiameter / 2, g.blades, phase, R * (g.kind == EngineKind::Radial ? 0.35 : 0.5));
}

} // namespace

// The fuselage outline is described by the profile functions below, shared
// by the mesh and the livery painter.
double FuselageProfile::top(double x) const {
    const double hd = halfDepth;
    if (x < noseEnd) {
        const double t = x / noseEnd;
        switch (nose) {
        case NoseShape::Piston: return hd * (0.3 + 0.7 * std::pow(Clamp01((t - 0.45) / 0.55), 0.8)) - hd * 0.08 * (1 - t);
        case NoseShape::Radial: return hd * (0.78 + 0.22 * Ell(t, 2));
        case NoseShape::Round: return -0.12 * hd + 1.12 * hd * Ell(t, 2.1);
        case NoseShape::Pointed: return -0.22 * hd + 1.22 * hd * Ell(t, 1.5);
        case NoseShape::Bizjet: return -0.3 * hd + 1.3 * hd * Ell(t, 1.45);
        case NoseShape::Blunt: return -0.2 * hd + 1.2 * hd * Ell(t, 2.3);
        case NoseShape::Airliner: return -0.28 * hd + 1.28 * hd * Ell(t, 1.75);
        }
    }
    if (x > tailStart) {
        const double u = Clamp01((x - tailStart) / (length - tailStart));
        const double endTop = tailUpsweep * hd + tailEndRadius;
        return hd - (hd - endTop) * std::pow(u, 1.8);
    }
    return hd;
}

double FuselageProfile::bottom(double x) const {
    const double hd = halfDepth;
    if (x < noseEnd) {
        const double t = x / noseEnd;
        switch (nose) {
        case NoseShape::Piston: return -hd * (0.5 + 0.5 * Ell(t / 0.5, 2));
        case NoseShape::Radial: return -hd * (0.78 + 0.22 * Ell(t, 2));
        case NoseShape::Round: return -0.12 * hd - 0.88 * hd * Ell(t / 0.62, 2);
        case NoseShape::Pointed: return -0.22 * hd - 0.78 * hd * Ell(t / 0.75, 1.7);
        case NoseShape::Bizjet: return -0.3 * hd - 0.7 * hd * Ell(t / 0.7, 1.6);
        case NoseShape::Blunt: return -0.2 * hd - 0.8 * hd * Ell(t / 0.6, 2.2);
        case NoseShape::Airliner: return -0.28 * hd - 0.72 * hd * Ell(t / 0.62, 1.9);
        }
    }
    if (x > tailStart) {
        const double u = Clamp01((x - tailStart) / (length - tailStart));
        const double endBottom = tailUpsweep * hd - tailEndRadius;
        return -hd + (endBottom + hd) * std::pow(u, 1.15);
    }
    return -hd;
}

double FuselageProfile::halfWidthAt(double x) const {
    const double hw = halfWidth;
    if (x < noseEnd) {
        const double t = x / noseEnd;
        switch (nose) {
        case NoseShape::Piston: return hw * (0.55 + 0.45 * Ell(t / 0.6, 2));
        case NoseShape::Radial: return hw * (0.8 + 0.2 * Ell(t, 2));
        case NoseShape::Pointed:
        case NoseShape::Bizjet: return hw * Ell(t / 0.9, 1.6);
        default: return hw * Ell(t / 0.8, 2);
        }
    }
    if (x > tailStart) {
        const double u = Clamp01((x - tailStart) / (length - tailStart));
        return tailEndRadius + (hw - tailEndRadius) * std::pow(1 - std::pow(u, 1.7), 0.85);
    }
    return hw;
}

Model BuildModel(const AircraftShape& s, bool gearDown, double propPhase) {
    Model m;
    Builder b(m);
    const double L = s.length;
    const Fuselage& fu = s.fuselage;
    FuselageProfile& P = m.fuselage;
    P.length = L;
    P.halfWidth = fu.width / 2;
    P.halfDepth = fu.depth / 2;
    P.noseEnd = fu.noseLength;
    P.tailStart = L - fu.tailLength;
    P.nose = fu.nose;
    P.tailUpsweep = fu.tailUpsweep;
    P.tailEndRadius = fu.tailEndRadius;
    const double hd = P.halfDepth, hw = P.halfWidth;
    const bool tailEngine = std::any_of(s.engines.begin(), s.engines.end(),
                                        [](const EngineGroup& g) { return g.position == EnginePosition::Tail; });

    // fuselage
    {
        std::vector<Builder::Station> st;
        const int nNose = 26, nMid = 8, nTail = 22;
        for (int i = 0; i < nNose; ++i) {
            const double t = std::pow(double(i) / nNose, 1.6);
            st.push_back({P.noseEnd * t, 0, 0, 0, 0});
        }
        for (int i = 0; i < nMid; ++i) st.push_back({P.noseEnd + (P.tailStart - P.noseEnd) * i / nMid, 0, 0, 0, 0});
        for (int i = 0; i <= nTail; ++i) st.push_back({P.tailStart + (L - P.tailStart) * i / nTail, 0, 0, 0, 0});
        for (auto& x : st) {
            const double t = P.top(x.x), bt = P.bottom(x.x);
            x.z = (t + bt) / 2;
            x.hh = std::max(1e-4, (t - bt) / 2);
            x.hw = std::max(1e-4, P.halfWidthAt(x.x));
        }
        st.front().hw = st.front().hh = 1e-4;
        if (fu.nose == NoseShape::Piston || fu.nose == NoseShape::Radial) {
            st.front().hw = P.halfWidthAt(0);
            st.front().hh = (P.top(0) - P.bottom(0)) / 2;
            st.front().z = (P.top(0) + P.bottom(0)) / 2;
        }
        const double ex = fu.nose == NoseShape::Piston ? 3.0 : 2.25;
        b.body(st, 36, ex, MatFuselage, fu.nose == NoseShape::Radial ? MatIntake : MatFuselage,
               tailEngine ? MatExhaust : MatMetal);
    }
    // upper-deck hump
    if (fu.humpLength > 0 && fu.humpHeight > 0) {
        std::vector<Builder::Station> st;
        const double x0 = P.noseEnd * 0.18, x1 = fu.humpLength;
        for (int i = 0; i <= 24; ++i) {
            const double t = double(i) / 24;
            const double x = x0 + (x1 - x0) * t;
            const double rise = t < 0.35 ? Ell(t / 0.35, 1.8) : (t > 0.8 ? std::pow(1 - (t - 0.8) / 0.2, 0.6) : 1.0);
            const double baseTop = P.top(x);
            const double topZ = std::max(baseTop, hd + fu.humpHeight * rise);
            const double hh = std::max(0.05, (topZ - (hd - hd * 0.9)) / 2);
            const double width = hw * (0.78 * std::min(1.0, 0.35 + rise)) * std::min(1.0, P.halfWidthAt(x) / hw + 0.2);
            st.push_back({x, 0, topZ - hh, std::max(0.05, width), hh});
        }
        b.body(st, 28, 2.2, MatFuselage, MatFuselage, MatFuselage);
        m.humpEnd = x1;
        m.humpTop = hd + fu.humpHeight;
    }

    // wing
    const Wing& w = s.wing;
    WingGeom wg;
    wg.xw = w.x * L;
    wg.zRoot = w.position == WingPosition::Low ? -hd * 0.72 : (w.position == WingPosition::Mid ? 0 : hd * 0.9);
    if (w.biplane) wg.zRoot = hd * 1.02;
    wg.semi = s.span / 2;
    wg.sweepTan = std::tan(Rad(w.sweep));
    wg.kink = w.kink;
    wg.rootC = w.rootChord;
    wg.kinkC = w.kinkChord;
    wg.tipC = w.tipChord;
    wg.dih = w.dihedral;
    wg.dihOuter = w.dihedralOuter;
    const double rakeFrom = w.tip == WingTip::Raked ? 0.9 : 1.0;
    for (int side = -1; side <= 1; side += 2) {
        std::vector<Builder::Section> secs;
        const int n = 14;
        for (int i = 0; i <= n; ++i) {
            const double y = wg.semi * rakeFrom * i / n;
            secs.push_back({V3(wg.xle(y), side * y, wg.z(y)), wg.chord(y)});
        }
        if (w.tip == WingTip::Raked) {
            const double y0 = wg.semi * rakeFrom;
            for (int i = 1; i <= 3; ++i) {
                const double f = i / 3.0;
                const double y = y0 + (wg.semi - y0) * f;
                const double c0 = wg.chord(y0);
                const double le = wg.xle(y0) + (y - y0) * std::tan(Rad(w.sweep + 22));
                const double te = wg.xle(y0) + c0 + (y - y0) * std::tan(Rad(w.sweep + 5));
                secs.push_back({V3(le, side * y, wg.z(y)), std::max(0.15, te - le) * (1 - 0.6 * f * f)});
            }
        }
        b.surface(secs, V3(1, 0, 0), V3(0, 0, 1), w.thickness * 0.85, MatWing);
        // wingtip device
        const V3 tipLe(wg.xle(wg.semi), side * wg.semi, wg.z(wg.semi));
        const double tc = wg.chord(wg.semi);
        auto vertical = [&](double h, double cant, double sweepDeg, double rootFrac, double tipFrac, bool curved) {
            std::vector<Builder::Section> ws;
            const int steps = curved ? 4 : 1;
            for (int i = 0; i <= steps; ++i) {
                const double f = double(i) / steps;
                double out = std::tan(Rad(cant)) * h * f;
                if (curved) out += h * 0.35 * (std::sin(f * kPi / 2) - f * 0.2);
                const double hz = curved ? h * std::pow(f, 1.25) : h * f;
                const double c = tc * (rootFrac + (tipFrac - rootFrac) * f);
                ws.push_back({tipLe + V3(std::tan(Rad(sweepDeg)) * h * f + tc * (rootFrac - c / tc) * 0.7, side * out, hz), c});
            }
            b.surface(ws, V3(1, 0, 0), V3(0, side, 0), 0.09, MatFin);
        };
        switch (w.tip) {
        case WingTip::Winglet: vertical(w.tipHeight, 14, 38, 0.95, 0.32, true); break;
        case WingTip::Sharklet: vertical(w.tipHeight, 10, 35, 0.95, 0.3, true); break;
        case WingTip::Fence: vertical(w.tipHeight, 0, 45, 0.9, 0.3, false); vertical(-w.tipHeight * 0.6, 0, -45, 0.9, 0.3, false); break;
        case WingTip::TipTank: {
            const double r = tc * 0.22;
            std::vector<Builder::Station> st;
            for (int i = 0; i <= 10; ++i) {
                const double t = i / 10.0;
                const double rr = r * std::sqrt(std::max(0.0, 1 - std::pow(2 * t - 1, 2)));
                st.push_back({tipLe.x - tc * 0.3 + tc * 1.5 * t, tipLe.y, tipLe.z, std::max(1e-3, rr), std::max(1e-3, rr)});
            }
            b.body(st, 14, 2, MatFin, MatFin, MatFin);
            break;
        }
        default: break;
        }
        // trailing-edge gear pods
        if (w.gearPods) {
            const double y = s.gear.mainTrack / 2;
            const double x0 = wg.xle(y) + wg.chord(y) * 0.25, len = wg.chord(y) * 1.25;
            const double r = wg.chord(y) * 0.16;
            std::vector<Builder::Station> st;
            for (int i = 0; i <= 10; ++i) {
                const double t = i / 10.0;
                const double rr = r * std::pow(std::sin(kPi * std::min(0.5, t * 1.6 + 0.05 * 0)) , 0.5) * (t > 0.6 ? std::pow(1 - (t - 0.6) / 0.4, 0.6) : 1);
                st.push_back({x0 + len * t, side * y, wg.z(y) - r * 0.3, std::max(1e-3, rr), std::max(1e-3, rr * 1.1)});
            }
            b.body(st, 14, 2, MatWing, MatWing, MatWing);
        }
        // lift strut (high-wing light aircraft)
        if (w.strut) {
            const double ys = wg.semi * 0.55;
            const double xa = wg.xle(ys) + wg.chord(ys) * 0.3;
            b.tube(V3(xa, side * hw * 0.85, -hd * 0.55), V3(xa, side * ys, wg.z(ys) - 0.05), std::max(0.04, hd * 0.05), MatFin);
        }
        // lower wing and interplane struts (biplane)
        if (w.biplane) {
            const double semi = w.lowerSpan / 2;
            const double z0 = -hd * 0.8;
            const double xl = wg.xw + w.rootChord * 0.15;
            std::vector<Builder::Section> ls;
            for (int i = 0; i <= 6; ++i) {
                const double y = semi * i / 6;
                ls.push_back({V3(xl + y * wg.sweepTan, side * y, z0 + y * std::tan(Rad(w.dihedral))), w.lowerChord});
            }
            b.surface(ls, V3(1, 0, 0), V3(0, 0, 1), w.thickness, MatWing);
            const double ys = semi * 0.82;
            const double zl = z0 + ys * std::tan(Rad(w.dihedral));
            const double zu = wg.z(ys);
            for (double f : {0.2, 0.7}) {
                const double xu = wg.xle(ys) + wg.chord(ys) * f;
                b.tube(V3(xu, side * ys, zl), V3(xu, side * ys, zu), 0.07, MatFin);
            }
            b.tube(V3(xl + w.lowerChord * 0.3, side * ys, zl), V3(wg.xle(ys) + w.rootChord * 0.6, side * ys * 0.35, zu), 0.025, MatGear);
        }
    }

    // tail
    const Tail& t = s.tail;
    const double finRootLe = L - t.finRootChord - std::max(0.15, fu.tailEndRadius * 0.5);
    const double finRootZ = P.top(finRootLe + t.finRootChord * 0.4) - 0.05;
    const double finTipLe = finRootLe + t.finHeight * std::tan(Rad(t.finSweep));
    const double finTipZ = finRootZ + t.finHeight;
    {
        std::vector<Builder::Section> fs;
        for (int i = 0; i <= 5; ++i) {
            const double f = i / 5.0;
            fs.push_back({V3(finRootLe + (finTipLe - finRootLe) * f, 0, finRootZ - (i == 0 ? 0.3 : 0) + t.finHeight * f),
                          t.finRootChord + (t.finTipChord - t.finRootChord) * f});
        }
        b.surface(fs, V3(1, 0, 0), V3(0, 1, 0), t.layout == TailLayout::TTail ? 0.13 : 0.11, MatFin);
        m.finBase = V3(finRootLe + t.finRootChord * 0.5, 0, finRootZ);
        m.finTop = V3(finTipLe + t.finTipChord * 0.5, 0, finTipZ);
        m.finChordMid = (t.finRootChord + t.finTipChord) / 2;
        if (t.dorsal) {
            const double dl = t.finRootChord * 0.7;
            const double h = t.finHeight * 0.2;
            std::vector<Builder::Section> ds = {
                {V3(finRootLe - dl, 0, P.top(finRootLe - dl) - 0.15), dl + t.finRootChord * 0.5},
                {V3(finRootLe - 0.1 * dl, 0, finRootZ + h), t.finRootChord * 0.6}};
            b.surface(ds, V3(1, 0, 0), V3(0, 1, 0), 0.08, MatFin);
        }
        if (t.ventral > 0) {
            const double vx = L - fu.tailLength * 0.5;
            const double vz = P.bottom(vx) + 0.1;
            const double vc = fu.tailLength * 0.35;
            std::vector<Builder::Section> vs = {{V3(vx - vc * 0.3, 0, vz + 0.1), vc},
                                                {V3(vx + vc * 0.35, 0, vz - t.ventral), vc * 0.45}};
            b.surface(vs, V3(1, 0, 0), V3(0, 1, 0), 0.1, MatFin);
        }
    }
    {
        double sx, sz;
        if (t.layout == TailLayout::TTail) {
            sx = finTipLe + std::max(0.0, t.finTipChord - t.stabRootChord) * 0.4;
            sz = finTipZ - 0.02;
        } else if (t.layout == TailLayout::Cruciform) {
            const double f = t.stabHeight;
            sx = finRootLe + (finTipLe - finRootLe) * f + 0.1 * t.finRootChord;
            sz = finRootZ + t.finHeight * f;
        } else {
            sx = std::min(L - t.stabRootChord - 0.1, finRootLe + t.finRootChord * 0.2);
            sz = P.centre(sx + t.stabRootChord * 0.5) + hd * 0.05;
        }
        for (int side = -1; side <= 1; side += 2) {
            std::vector<Builder::Section> ss;
            const double semi = t.stabSpan / 2;
            for (int i = 0; i <= 5; ++i) {
                const double f = i / 5.0;
                const double y = semi * f;
                ss.push_back({V3(sx + y * std::tan(Rad(t.stabSweep)), side * y, sz + y * std::tan(Rad(t.stabDihedral))),
                              t.stabRootChord + (t.stabTipChord - t.stabRootChord) * f});
            }
            b.surface(ss, V3(1, 0, 0), V3(0, 0, 1), 0.1, MatStab);
        }
        if (t.layout == TailLayout::TTail) {
            // the bullet fairing where the tailplane meets the fin
            const double r = t.finTipChord * 0.09 + 0.05;
            std::vector<Builder::Station> st;
            const double x0 = std::min(sx, finTipLe) - r * 2, len = std::max(t.finTipChord, t.stabRootChord) + r * 3;
            for (int i = 0; i <= 8; ++i) {
                const double f = i / 8.0;
                const double rr = r * std::sqrt(std::max(0.0, 1 - std::pow(2 * f - 1, 4)));
                st.push_back({x0 + len * f, 0, sz, std::max(1e-3, rr), std::max(1e-3, rr)});
            }
            b.body(st, 12, 2, MatFin, MatFin, MatFin);
        }
    }

    // engines
    int engineIndex = 0;
    for (const EngineGroup& g : s.engines) {
        const double R = g.diameter / 2;
        switch (g.position) {
        case EnginePosition::UnderWing:
        case EnginePosition::WingNacelle:
        case EnginePosition::OverWing:
            for (double eta : g.stations)
                for (int side = -1; side <= 1; side += 2) {
                    const double y = eta * wg.semi * side;
                    const double xle = wg.xle(y), c = wg.chord(y), zw = wg.z(y);
                    const double phase = propPhase + 0.9 * engineIndex++;
                    if (g.kind == EngineKind::Jet) {
                        const double zc = zw - R * (g.flatBottom ? 1.0 : 1.2) - 0.25;
                        const double x0 = xle - g.length * (g.flatBottom ? 0.75 : 0.62);
                        JetNacelle(b, x0, y, zc, g.length, R, g.flatBottom);
                        std::vector<Builder::Section> py = {
                            {V3(x0 + g.length * 0.3, y, zc + R * 0.6), g.length * 0.65},
                            {V3(xle - 0.1 * c, y, zw), c * 0.8}};
                        b.surface(py, V3(1, 0, 0), V3(0, 1, 0), 0.16, MatNacelle);
                    } else {
                        double zc;
                        if (g.position == EnginePosition::OverWing) zc = zw + R * 0.6;
                        else if (w.position == WingPosition::High || w.biplane) zc = zw - R * 0.45;
                        else zc = zw + R * 0.05;
                        const double x0 = xle - g.length * 0.38;
                        PropNacelle(b, g, x0, y, zc, g.length, phase);
                    }
                }
            break;
        case EnginePosition::RearFuselage: {
            const double x0 = g.x > 0 ? g.x * L : P.tailStart + fu.tailLength * 0.12;
            const double xm = x0 + g.length * 0.5;
            const double zc = P.centre(xm) + (P.top(xm) - P.bottom(xm)) * 0.2;
            for (int side = -1; side <= 1; side += 2) {
                const double y0 = P.halfWidthAt(xm) + R * 1.05 + 0.15;
                JetNacelle(b, x0, side * y0, zc, g.length, R, false);
                double yOut = y0;
                if (g.count == 4) {
                    yOut = y0 + R * 2.08;
                    JetNacelle(b, x0, side * yOut, zc, g.length, R, false);
                }
                std::vector<Builder::Section> py = {{V3(x0 + g.length * 0.3, 0, zc), g.length * 0.5},
                                                    {V3(x0 + g.length * 0.38, side * yOut, zc), g.length * 0.42}};
                b.surface(py, V3(1, 0, 0), V3(0, 0, 1), 0.14, MatNacelle);
            }
            break;
        }
        case EnginePosition::Tail: {
            // centre engine: an intake on top of the fuselage ahead of the
            // fin, its duct faired into the fin root; exhaust at the tail end
            const double x0 = g.x > 0 ? g.x * L : finRootLe - g.length * 0.25;
            std::vector<Builder::Station> st;
            for (int i = 0; i <= 8; ++i) {
                const double f = i / 8.0;
                const double x = x0 + (L - x0) * f;
                const double r = R * (f < 0.08 ? 0.9 + f : 1.0) * (1 - 0.5 * f * f);
                const double zc = std::max(P.top(x) + r * (0.2 - 0.8 * f), P.centre(x) + r * 0.1);
                st.push_back({x, 0, zc, r * 0.95, r});
            }
            b.body(st, 20, 2, MatNacelle, MatIntake, MatExhaust);
            break;
        }
        case EnginePosition::Nose: {
            const double R0 = std::max(P.halfWidthAt(0), 0.1);
            Propeller(b, V3(-0.02, 0, P.centre(0)), g.propDiameter / 2, g.blades, propPhase,
                      R0 * (g.kind == EngineKind::Radial ? 0.4 : 0.45));
            break;
        }
        }
    }

    // gear
    const Gear& ge = s.gear;
    m.groundZ = -hd - ge.height;
    const bool down = gearDown || !ge.retractable;
    if (down) {
        const double rw = ge.wheelDiameter / 2;
        const double g0 = m.groundZ + rw;
        const double xm = ge.layout == GearLayout::Tailwheel ? wg.xw + w.rootChord * 0.05 : wg.xw + w.rootChord * 0.62;
        const double ym = ge.mainTrack / 2;
        for (int side = -1; side <= 1; side += 2) {
            const double y = side * ym;
            double topZ;
            V3 top;
            if (w.position == WingPosition::Low && !w.biplane) {
                topZ = std::min(wg.z(ym), -hd * 0.5);
                top = V3(xm, y, topZ);
            } else {
                // high wing: from a nacelle above, else from the fuselage side
                bool nacelle = false;
                for (const EngineGroup& g : s.engines)
                    for (double eta : g.stations)
                        if (std::abs(eta * wg.semi - ym) < 0.8 && g.position == EnginePosition::WingNacelle) nacelle = true;
                top = nacelle ? V3(xm, y, wg.z(ym) - 0.3) : V3(xm, side * hw * 0.7, -hd * 0.7);
            }
            const V3 axle(xm, y, g0);
            b.tube(top, axle + V3(0, 0, rw * 0.4), std::max(0.05, rw * 0.16), MatGear);
            const double ww = rw * 0.75;
            const int n = ge.mainWheels;
            if (n == 1) b.wheel(axle, rw, ww);
            else {
                const int rows = n <= 2 ? 1 : n / 2;
                for (int r = 0; r < rows; ++r) {
                    const double dx = (r - (rows - 1) / 2.0) * rw * 2.25;
                    for (int k = -1; k <= 1; k += 2) b.wheel(axle + V3(dx, k * (ww * 0.62), 0), rw, ww);
                }
                if (rows > 1) b.tube(axle + V3(-rw * 1.1 * (rows - 1), 0, 0), axle + V3(rw * 1.1 * (rows - 1), 0, 0), rw * 0.14, MatGear);
            }
        }
        if (ge.layout == GearLayout::Tricycle) {
            const double xn = ge.noseX * L;
            const double rn = rw * 0.72;
            const V3 axle(xn, 0, m.groundZ + rn);
            b.tube(V3(xn, 0, P.bottom(xn) + 0.1), axle + V3(0, 0, rn * 0.3), std::max(0.04, rn * 0.16), MatGear);
            if (L > 20) {
                b.wheel(axle + V3(0, -rn * 0.45, 0), rn, rn * 0.6);
                b.wheel(axle + V3(0, rn * 0.45, 0), rn, rn * 0.6);
            } else {
                b.wheel(axle, rn, rn * 0.6);
            }
        }
    }
    if (ge.layout == GearLayout::Tailwheel) {
        // tail wheels stay out in flight
        {
            const double rt = ge.wheelDiameter / 2 * 0.4;
            const double xt = ge.noseX * L;
            const double zb = P.bottom(xt);
            const V3 axle(xt + rt * 0.6, 0, std::min(zb - rt * 1.4, m.groundZ + rt + (L * 0.1)));
            b.tube(V3(xt, 0, zb + 0.05), axle, std::max(0.03, rt * 0.2), MatGear);
            b.wheel(axle, rt, rt * 0.7);
        }
    }

    // window layout for the livery painter
    m.windowRows = fu.windowRows;
    m.windowPitch = fu.windowPitch;
    m.windowSize = fu.windowSize;
    m.cabinWindows = fu.cabinWindows;
    if (fu.windowRows == 2) {
        m.windowZ[0] = -hd * 0.22;
        m.windowZ[1] = hd * 0.5;
    } else {
        m.windowZ[0] = hd * 0.22;
    }
    m.windowStart = P.noseEnd + std::max(1.2, fu.width * 0.35);
    m.windowEnd = P.tailStart + fu.tailLength * 0.22;
    if (fu.nose == NoseShape::Piston || fu.nose == NoseShape::Radial) {
        m.cockpitX0 = P.noseEnd * 0.55;
        m.cockpitX1 = P.noseEnd;
    } else {
        m.cockpitX0 = P.noseEnd * 0.5;
        m.cockpitX1 = P.noseEnd * 0.84;
    }

    V3 lo(1e9, 1e9, 1e9), hi(-1e9, -1e9, -1e9);
    for (const Vertex& v : m.vertices) {
        lo = V3(std::min(lo.x, v.p.x), std::min(lo.y, v.p.y), std::min(lo.z, v.p.z));
        hi = V3(std::max(hi.x, v.p.x), std::max(hi.y, v.p.y), std::max(hi.z, v.p.z));
    }
    m.minCorner = lo;
    m.maxCorner = hi;
    return m;
}

} // namespace sky::render
