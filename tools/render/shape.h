// The parametric description of an aircraft type, as read from a shapes
// file (content/demo/shapes.json). Lengths are in metres, angles in degrees.
// Model axes: x runs aft from the nose tip, y to starboard, z up; z = 0 is
// the fuselage's reference axis.
#pragma once

#include <QColor>
#include <QString>
#include <QVector>
#include <stdexcept>

namespace sky::render {

// A shapes file that cannot be used: the message names the file and the
// field at fault.
class ShapeError : public std::runtime_error {
public:
    explicit ShapeError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

enum class WingPosition { Low, Mid, High };
enum class WingTip { Plain, Winglet, Sharklet, Fence, Raked, TipTank };
enum class EngineKind { Jet, Turboprop, Piston, Radial };
enum class EnginePosition { UnderWing, RearFuselage, Tail, WingNacelle, Nose, OverWing };
enum class TailLayout { Conventional, TTail, Cruciform };
enum class GearLayout { Tricycle, Tailwheel };
enum class NoseShape { Airliner, Round, Pointed, Bizjet, Blunt, Piston, Radial };
enum class LiveryStyle { Cheatline, Belly, Tailsweep, Plain, Metal };

struct Fuselage {
    double width = 0;         // greatest width
    double depth = 0;         // greatest depth (A380: taller than wide)
    NoseShape nose = NoseShape::Airliner;
    double noseLength = 0;    // from the nose tip to the full section
    double tailLength = 0;    // length of the tail cone
    double tailUpsweep = 0.55;// how far the tail end rises, in half depths
    double tailEndRadius = 0; // radius of the tail end (APU cone, exhaust)
    double humpLength = 0;    // upper-deck hump (747): 0 for none
    double humpHeight = 0;
    int windowRows = 1;       // 2: double deck
    double windowPitch = 0.53;
    double windowSize = 0.3;
    int cabinWindows = 0;     // light aircraft: a few big windows instead
};

struct Wing {
    WingPosition position = WingPosition::Low;
    double sweep = 0;         // leading edge
    double dihedral = 0;
    double dihedralOuter = -999; // outer panel beyond the kink (An-24)
    double rootChord = 0;
    double tipChord = 0;
    double x = 0.4;           // root leading edge, fraction of length
    double kink = 0;          // trailing-edge kink, fraction of half span
    double kinkChord = 0;
    double thickness = 0.13;
    WingTip tip = WingTip::Plain;
    double tipHeight = 0;     // winglet height
    bool strut = false;
    bool gearPods = false;    // main gear pods behind the wing (Tu-154)
    // biplane: a lower wing
    bool biplane = false;
    double lowerSpan = 0;
    double lowerChord = 0;
    double gap = 0;
};

struct EngineGroup {
    int count = 0;
    EngineKind kind = EngineKind::Jet;
    EnginePosition position = EnginePosition::UnderWing;
    QVector<double> stations; // fraction of half span (one side)
    double length = 0;
    double diameter = 0;
    double x = -1;            // rear-fuselage: nacelle front, fraction of length
    int blades = 0;
    double propDiameter = 0;
    bool flatBottom = false;  // 737-style flattened intake
};

struct Tail {
    TailLayout layout = TailLayout::Conventional;
    double finHeight = 0;     // above the fuselage top at its root
    double finRootChord = 0;
    double finTipChord = 0;
    double finSweep = 35;
    double stabSpan = 0;
    double stabRootChord = 0;
    double stabTipChord = 0;
    double stabSweep = 30;
    double stabDihedral = 0;
    double stabHeight = 0.5;  // cruciform: fraction of fin height
    bool dorsal = false;      // dorsal fin fillet
    double ventral = 0;       // ventral fin depth
};

struct Gear {
    GearLayout layout = GearLayout::Tricycle;
    bool retractable = true;
    double height = 0;        // ground clearance of the fuselage bottom
    double noseX = 0.12;      // fraction of length (tailwheel: the tail wheel)
    double mainTrack = 0;
    int mainWheels = 2;       // wheels on each main leg
    double wheelDiameter = 0;
};

struct Livery {
    QString name;
    LiveryStyle style = LiveryStyle::Cheatline;
    QColor top{Qt::white};
    QColor belly{0xc8, 0xcc, 0xd2};
    QColor stripe{0x1b, 0x4f, 0x9c};
    QColor tail{0x1b, 0x4f, 0x9c};
    QColor accent{0xf2, 0xb7, 0x05};
    QColor engine{0xd8, 0xdb, 0xe0};
    QColor wing{0xc4, 0xc8, 0xcf};
};

struct AircraftShape {
    QString folder;
    QString name;
    double length = 0;
    double span = 0;
    double height = 0;
    Fuselage fuselage;
    Wing wing;
    QVector<EngineGroup> engines;
    Tail tail;
    Gear gear;
    QVector<Livery> liveries;
};

// Reads a shapes file; throws ShapeError naming the file and the field.
QVector<AircraftShape> LoadShapes(const QString& path);
// The same from bytes already read; `fileName` is used in messages.
QVector<AircraftShape> ParseShapes(const QByteArray& json, const QString& fileName);

} // namespace sky::render
