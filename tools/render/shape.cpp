#include "shape.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace sky::render {
namespace {

// Walks one JSON object, knowing where it sits in the file so that every
// complaint can name the file and the field.
class Reader {
public:
    Reader(const QString& file, const QString& where, const QJsonObject& obj)
        : file_(file), where_(where), obj_(obj) {}

    [[noreturn]] void fail(const QString& key, const QString& what) const {
        throw ShapeError(QStringLiteral("%1: %2: field \"%3\": %4")
                             .arg(file_, where_, key, what));
    }

    bool has(const QString& key) const { return obj_.contains(key) && !obj_.value(key).isNull(); }

    double number(const QString& key, double fallback, bool required = false,
                  double lo = -1e9, double hi = 1e9) const {
        if (!has(key)) {
            if (required) fail(key, QStringLiteral("missing (a number is required)"));
            return fallback;
        }
        const QJsonValue v = obj_.value(key);
        if (!v.isDouble()) fail(key, QStringLiteral("must be a number"));
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < lo || d > hi)
            fail(key, QStringLiteral("%1 is out of range (%2 to %3)").arg(d).arg(lo).arg(hi));
        return d;
    }
    double positive(const QString& key, double fallback, bool required = false) const {
        const double d = number(key, fallback, required, 0, 1e4);
        if (required && d <= 0) fail(key, QStringLiteral("must be greater than 0"));
        return d;
    }
    int integer(const QString& key, int fallback, bool required, int lo, int hi) const {
        const double d = number(key, fallback, required, lo, hi);
        if (d != std::floor(d)) fail(key, QStringLiteral("must be a whole number"));
        return int(d);
    }
    bool boolean(const QString& key, bool fallback) const {
        if (!has(key)) return fallback;
        if (!obj_.value(key).isBool()) fail(key, QStringLiteral("must be true or false"));
        return obj_.value(key).toBool();
    }
    QString text(const QString& key, bool required, const QString& fallback = {}) const {
        if (!has(key)) {
            if (required) fail(key, QStringLiteral("missing (a text is required)"));
            return fallback;
        }
        if (!obj_.value(key).isString()) fail(key, QStringLiteral("must be a text"));
        return obj_.value(key).toString();
    }
    template <typename E>
    E choice(const QString& key, const QVector<QPair<QString, E>>& options, bool required, E fallback) const {
        if (!has(key)) {
            if (required) fail(key, QStringLiteral("missing (one of %1)").arg(names(options)));
            return fallback;
        }
        const QString t = text(key, true);
        for (const auto& o : options)
            if (o.first == t) return o.second;
        fail(key, QStringLiteral("\"%1\" is not one of %2").arg(t, names(options)));
    }
    QColor color(const QString& key, const QColor& fallback) const {
        if (!has(key)) return fallback;
        const QString t = text(key, true);
        static const QRegularExpression hex(QStringLiteral("^#[0-9a-fA-F]{6}$"));
        if (!hex.match(t).hasMatch()) fail(key, QStringLiteral("\"%1\" is not a colour like #1b4f9c").arg(t));
        return QColor(t);
    }
    Reader object(const QString& key, bool required) const {
        if (!has(key)) {
            if (required) fail(key, QStringLiteral("missing (an object is required)"));
            return Reader(file_, path(key), QJsonObject());
        }
        if (!obj_.value(key).isObject()) fail(key, QStringLiteral("must be an object"));
        return Reader(file_, path(key), obj_.value(key).toObject());
    }
    QJsonArray array(const QString& key, bool required) const {
        if (!has(key)) {
            if (required) fail(key, QStringLiteral("missing (a list is required)"));
            return {};
        }
        if (!obj_.value(key).isArray()) fail(key, QStringLiteral("must be a list"));
        return obj_.value(key).toArray();
    }
    Reader element(const QString& key, const QJsonArray& a, int i) const {
        const QString p = QStringLiteral("%1[%2]").arg(key).arg(i);
        if (!a.at(i).isObject()) fail(p, QStringLiteral("must be an object"));
        return Reader(file_, path(p), a.at(i).toObject());
    }
    QString path(const QString& key) const { return where_ + "." + key; }
    const QString& file() const { return file_; }

private:
    template <typename E>
    static QString names(const QVector<QPair<QString, E>>& options) {
        QStringList l;
        for (const auto& o : options) l << o.first;
        return l.join(QStringLiteral(", "));
    }
    QString file_, where_;
    QJsonObject obj_;
};

Livery ReadLivery(const Reader& r) {
    Livery l;
    l.name = r.text(QStringLiteral("name"), false);
    l.style = r.choice<LiveryStyle>(QStringLiteral("style"),
                                    {{"cheatline", LiveryStyle::Cheatline}, {"belly", LiveryStyle::Belly},
                                     {"tailsweep", LiveryStyle::Tailsweep}, {"plain", LiveryStyle::Plain},
                                     {"metal", LiveryStyle::Metal}},
                                    false, LiveryStyle::Cheatline);
    l.top = r.color(QStringLiteral("top"), l.top);
    l.belly = r.color(QStringLiteral("belly"), l.belly);
    l.stripe = r.color(QStringLiteral("stripe"), l.stripe);
    l.tail = r.color(QStringLiteral("tail"), l.tail);
    l.accent = r.color(QStringLiteral("accent"), l.accent);
    l.engine = r.color(QStringLiteral("engine"), l.engine);
    l.wing = r.color(QStringLiteral("wing"), l.wing);
    return l;
}

AircraftShape ReadType(const Reader& r) {
    AircraftShape s;
    s.folder = r.text(QStringLiteral("folder"), true);
    if (s.folder.isEmpty() || s.folder.contains('/') || s.folder.contains('\\') || s.folder.startsWith('.'))
        r.fail(QStringLiteral("folder"), QStringLiteral("\"%1\" is not a usable folder name").arg(s.folder));
    s.name = r.text(QStringLiteral("name"), false, s.folder);
    s.length = r.positive(QStringLiteral("length"), 0, true);
    s.span = r.positive(QStringLiteral("span"), 0, true);
    s.height = r.positive(QStringLiteral("height"), 0, true);
    const double L = s.length;

    const Reader f = r.object(QStringLiteral("fuselage"), true);
    Fuselage& fu = s.fuselage;
    fu.width = f.positive(QStringLiteral("width"), 0, true);
    fu.depth = f.positive(QStringLiteral("depth"), fu.width);
    fu.nose = f.choice<NoseShape>(QStringLiteral("nose"),
                                  {{"airliner", NoseShape::Airliner}, {"round", NoseShape::Round},
                                   {"pointed", NoseShape::Pointed}, {"bizjet", NoseShape::Bizjet},
                                   {"blunt", NoseShape::Blunt}, {"piston", NoseShape::Piston},
                                   {"radial", NoseShape::Radial}},
                                  false, NoseShape::Airliner);
    fu.noseLength = f.positive(QStringLiteral("noseLength"), fu.width * 1.6);
    fu.tailLength = f.positive(QStringLiteral("tailLength"), fu.width * 2.8);
    if (fu.noseLength + fu.tailLength > L * 0.95)
        f.fail(QStringLiteral("tailLength"), QStringLiteral("nose and tail cone are longer than the aircraft"));
    fu.tailUpsweep = f.number(QStringLiteral("tailUpsweep"), 0.55, false, -1, 1.5);
    fu.tailEndRadius = f.positive(QStringLiteral("tailEndRadius"), fu.width * 0.08);
    fu.humpLength = f.positive(QStringLiteral("humpLength"), 0);
    fu.humpHeight = f.positive(QStringLiteral("humpHeight"), 0);
    fu.windowRows = f.integer(QStringLiteral("windowRows"), 1, false, 0, 2);
    fu.windowPitch = f.positive(QStringLiteral("windowPitch"), 0.53);
    fu.windowSize = f.positive(QStringLiteral("windowSize"), 0.3);
    fu.cabinWindows = f.integer(QStringLiteral("cabinWindows"), 0, false, 0, 12);

    const Reader w = r.object(QStringLiteral("wing"), true);
    Wing& wi = s.wing;
    wi.position = w.choice<WingPosition>(QStringLiteral("position"),
                                         {{"low", WingPosition::Low}, {"mid", WingPosition::Mid},
                                          {"high", WingPosition::High}},
                                         true, WingPosition::Low);
    wi.sweep = w.number(QStringLiteral("sweep"), 0, true, -10, 70);
    wi.dihedral = w.number(QStringLiteral("dihedral"), 3, false, -15, 15);
    wi.dihedralOuter = w.number(QStringLiteral("dihedralOuter"), wi.dihedral, false, -15, 15);
    wi.rootChord = w.positive(QStringLiteral("rootChord"), 0, true);
    wi.tipChord = w.positive(QStringLiteral("tipChord"), 0, true);
    wi.x = w.number(QStringLiteral("x"), 0.4, false, 0.05, 0.9);
    wi.kink = w.number(QStringLiteral("kink"), 0, false, 0, 0.8);
    wi.kinkChord = w.positive(QStringLiteral("kinkChord"), wi.tipChord + (wi.rootChord - wi.tipChord) * (1 - wi.kink));
    wi.thickness = w.number(QStringLiteral("thickness"), 0.13, false, 0.03, 0.3);
    wi.tip = w.choice<WingTip>(QStringLiteral("tip"),
                               {{"plain", WingTip::Plain}, {"winglet", WingTip::Winglet},
                                {"sharklet", WingTip::Sharklet}, {"fence", WingTip::Fence},
                                {"raked", WingTip::Raked}, {"tiptank", WingTip::TipTank}},
                               false, WingTip::Plain);
    wi.tipHeight = w.positive(QStringLiteral("tipHeight"), wi.tipChord * 1.2);
    wi.strut = w.boolean(QStringLiteral("strut"), false);
    wi.gearPods = w.boolean(QStringLiteral("gearPods"), false);
    wi.biplane = w.boolean(QStringLiteral("biplane"), false);
    wi.lowerSpan = w.positive(QStringLiteral("lowerSpan"), s.span * 0.8);
    wi.lowerChord = w.positive(QStringLiteral("lowerChord"), wi.rootChord * 0.9);
    wi.gap = w.positive(QStringLiteral("gap"), fu.depth);

    const QJsonArray engines = r.array(QStringLiteral("engines"), true);
    if (engines.isEmpty()) r.fail(QStringLiteral("engines"), QStringLiteral("must list at least one engine group"));
    for (int i = 0; i < engines.size(); ++i) {
        const Reader e = r.element(QStringLiteral("engines"), engines, i);
        EngineGroup g;
        g.count = e.integer(QStringLiteral("count"), 0, true, 1, 8);
        g.kind = e.choice<EngineKind>(QStringLiteral("kind"),
                                      {{"jet", EngineKind::Jet}, {"turboprop", EngineKind::Turboprop},
                                       {"piston", EngineKind::Piston}, {"radial", EngineKind::Radial}},
                                      true, EngineKind::Jet);
        g.position = e.choice<EnginePosition>(QStringLiteral("position"),
                                              {{"under-wing", EnginePosition::UnderWing},
                                               {"rear-fuselage", EnginePosition::RearFuselage},
                                               {"tail", EnginePosition::Tail},
                                               {"wing-nacelle", EnginePosition::WingNacelle},
                                               {"nose", EnginePosition::Nose},
                                               {"over-wing", EnginePosition::OverWing}},
                                              true, EnginePosition::UnderWing);
        const bool onWing = g.position == EnginePosition::UnderWing || g.position == EnginePosition::WingNacelle ||
                            g.position == EnginePosition::OverWing;
        if (onWing && g.count % 2)
            e.fail(QStringLiteral("count"), QStringLiteral("engines on the wing come in pairs"));
        if ((g.position == EnginePosition::Tail || g.position == EnginePosition::Nose) && g.count != 1)
            e.fail(QStringLiteral("count"), QStringLiteral("a tail or nose engine group holds one engine"));
        if (g.position == EnginePosition::RearFuselage && g.count != 2 && g.count != 4)
            e.fail(QStringLiteral("count"), QStringLiteral("rear-fuselage engines come as 2 or 4"));
        const QJsonArray st = e.array(QStringLiteral("stations"), false);
        for (int k = 0; k < st.size(); ++k) {
            if (!st.at(k).isDouble() || st.at(k).toDouble() <= 0 || st.at(k).toDouble() >= 1)
                e.fail(QStringLiteral("stations[%1]").arg(k), QStringLiteral("must be a fraction of the half span between 0 and 1"));
            g.stations << st.at(k).toDouble();
        }
        if (onWing) {
            if (!g.stations.isEmpty() && g.stations.size() != g.count / 2)
                e.fail(QStringLiteral("stations"), QStringLiteral("needs %1 entries, one for each engine on a side").arg(g.count / 2));
            if (g.stations.isEmpty()) {
                if (g.count == 2) g.stations = {0.34};
                else if (g.count == 4) g.stations = {0.36, 0.62};
                else for (int k = 0; k < g.count / 2; ++k) g.stations << 0.25 + 0.5 * k / (g.count / 2);
            }
        }
        const bool prop = g.kind != EngineKind::Jet;
        g.diameter = e.positive(QStringLiteral("diameter"), prop ? fu.width * 0.4 : fu.width * 0.45);
        g.length = e.positive(QStringLiteral("length"), g.diameter * (prop ? 3.5 : 2.2));
        g.x = e.number(QStringLiteral("x"), -1, false, -1, 0.95);
        g.blades = e.integer(QStringLiteral("blades"), prop ? 4 : 0, false, 0, 8);
        g.propDiameter = e.positive(QStringLiteral("propDiameter"), prop ? g.diameter * 2.5 : 0);
        g.flatBottom = e.boolean(QStringLiteral("flatBottom"), false);
        s.engines << g;
    }

    const Reader t = r.object(QStringLiteral("tail"), true);
    Tail& ta = s.tail;
    ta.layout = t.choice<TailLayout>(QStringLiteral("layout"),
                                     {{"conventional", TailLayout::Conventional}, {"t-tail", TailLayout::TTail},
                                      {"cruciform", TailLayout::Cruciform}},
                                     true, TailLayout::Conventional);
    ta.finHeight = t.positive(QStringLiteral("finHeight"), std::max(0.5, s.height - fu.depth * 1.4));
    ta.finRootChord = t.positive(QStringLiteral("finRootChord"), ta.finHeight * 1.1);
    ta.finTipChord = t.positive(QStringLiteral("finTipChord"), ta.finRootChord * 0.4);
    ta.finSweep = t.number(QStringLiteral("finSweep"), 35, false, -10, 75);
    ta.stabSpan = t.positive(QStringLiteral("stabSpan"), s.span * 0.35);
    ta.stabRootChord = t.positive(QStringLiteral("stabRootChord"), ta.stabSpan * 0.3);
    ta.stabTipChord = t.positive(QStringLiteral("stabTipChord"), ta.stabRootChord * 0.4);
    ta.stabSweep = t.number(QStringLiteral("stabSweep"), 30, false, -10, 70);
    ta.stabDihedral = t.number(QStringLiteral("stabDihedral"), 0, false, -15, 15);
    ta.stabHeight = t.number(QStringLiteral("stabHeight"), 0.5, false, 0, 1);
    ta.dorsal = t.boolean(QStringLiteral("dorsal"), false);
    ta.ventral = t.positive(QStringLiteral("ventral"), 0);

    const Reader g = r.object(QStringLiteral("gear"), true);
    Gear& ge = s.gear;
    ge.layout = g.choice<GearLayout>(QStringLiteral("layout"),
                                     {{"tricycle", GearLayout::Tricycle}, {"tailwheel", GearLayout::Tailwheel}},
                                     true, GearLayout::Tricycle);
    ge.retractable = g.boolean(QStringLiteral("retractable"), true);
    ge.height = g.positive(QStringLiteral("height"), fu.depth * 0.35);
    ge.noseX = g.number(QStringLiteral("noseX"), ge.layout == GearLayout::Tailwheel ? 0.92 : 0.12, false, 0.01, 0.99);
    ge.mainTrack = g.positive(QStringLiteral("mainTrack"), fu.width * 1.5);
    ge.mainWheels = g.integer(QStringLiteral("mainWheels"), 2, false, 1, 6);
    ge.wheelDiameter = g.positive(QStringLiteral("wheelDiameter"), std::max(0.4, fu.depth * 0.3));

    const QJsonArray liveries = r.array(QStringLiteral("liveries"), true);
    if (liveries.isEmpty()) r.fail(QStringLiteral("liveries"), QStringLiteral("must list at least one livery"));
    for (int i = 0; i < liveries.size(); ++i)
        s.liveries << ReadLivery(r.element(QStringLiteral("liveries"), liveries, i));
    return s;
}

} // namespace

QVector<AircraftShape> ParseShapes(const QByteArray& json, const QString& fileName) {
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError)
        throw ShapeError(QStringLiteral("%1: not valid JSON at offset %2: %3")
                             .arg(fileName).arg(err.offset).arg(err.errorString()));
    if (!doc.isObject())
        throw ShapeError(QStringLiteral("%1: the file must hold an object with a \"types\" list").arg(fileName));
    const Reader root(fileName, QStringLiteral("(top)"), doc.object());
    const QJsonArray types = root.array(QStringLiteral("types"), true);
    QVector<AircraftShape> out;
    QSet<QString> seen;
    for (int i = 0; i < types.size(); ++i) {
        if (!types.at(i).isObject())
            root.fail(QStringLiteral("types[%1]").arg(i), QStringLiteral("must be an object"));
        const QJsonObject o = types.at(i).toObject();
        QString where = QStringLiteral("types[%1]").arg(i);
        if (o.value(QStringLiteral("folder")).isString())
            where += QStringLiteral(" (%1)").arg(o.value(QStringLiteral("folder")).toString());
        AircraftShape s = ReadType(Reader(fileName, where, o));
        if (seen.contains(s.folder.toUpper()))
            Reader(fileName, where, o).fail(QStringLiteral("folder"), QStringLiteral("\"%1\" appears twice").arg(s.folder));
        seen.insert(s.folder.toUpper());
        out << s;
    }
    return out;
}

QVector<AircraftShape> LoadShapes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ShapeError(QStringLiteral("%1: cannot be read: %2").arg(path, f.errorString()));
    return ParseShapes(f.readAll(), path);
}

} // namespace sky::render
