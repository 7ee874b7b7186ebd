// The 3-D model built from a shape: a triangle mesh whose triangles carry a
// material, plus the fuselage profile the livery painter needs.
#pragma once

#include "shape.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace sky::render {

struct V3 {
    double x = 0, y = 0, z = 0;
    V3() = default;
    V3(double a, double b, double c) : x(a), y(b), z(c) {}
    V3 operator+(const V3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    V3 operator-(const V3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    V3 operator*(double k) const { return {x * k, y * k, z * k}; }
    V3 operator-() const { return {-x, -y, -z}; }
    double dot(const V3& o) const { return x * o.x + y * o.y + z * o.z; }
    V3 cross(const V3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    double len() const { return std::sqrt(dot(*this)); }
    V3 unit() const { const double l = len(); return l > 0 ? *this * (1 / l) : V3(0, 0, 1); }
};

enum Material : uint8_t {
    MatFuselage, MatWing, MatFin, MatStab, MatNacelle, MatIntake, MatExhaust,
    MatMetal, MatGear, MatTyre, MatProp, MatSpinner, MatGlass, MatCount
};

struct Vertex {
    V3 p, n;
};
struct Tri {
    int a, b, c;
    Material mat;
};

// The fuselage outline along its length, for the livery and windows.
struct FuselageProfile {
    double length = 0;
    double noseEnd = 0;   // x where the full section starts
    double tailStart = 0; // x where the tail cone starts
    double halfWidth = 0, halfDepth = 0;
    double top(double x) const;
    double bottom(double x) const;
    double halfWidthAt(double x) const;
    double centre(double x) const { return (top(x) + bottom(x)) / 2; }
    NoseShape nose = NoseShape::Airliner;
    double tailUpsweep = 0.55, tailEndRadius = 0.3;
};

struct Model {
    std::vector<Vertex> vertices;
    std::vector<Tri> tris;
    FuselageProfile fuselage;
    double groundZ = 0;        // z of the ground under the wheels (gear down)
    V3 finTop, finBase;        // for the tail emblem
    double finChordMid = 0;
    double windowZ[2] = {0, 0};
    int windowRows = 1;
    double windowStart = 0, windowEnd = 0, windowPitch = 0.53, windowSize = 0.3;
    int cabinWindows = 0;
    double humpEnd = 0, humpTop = 0;
    double cockpitX0 = 0, cockpitX1 = 0;
    V3 minCorner, maxCorner;
};

Model BuildModel(const AircraftShape& s, bool gearDown, double propPhase);

} // namespace sky::render
