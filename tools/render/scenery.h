// The painted backdrops behind the aircraft: skies, an airfield, fields
// seen from above. Pseudo-random detail comes from a seed only.
#pragma once

#include "render.h"

#include <QImage>
#include <cstdint>

namespace sky::render {

// A small deterministic generator (splitmix64).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    uint64_t state_;
};

void PaintBackdrop(QImage& image, Backdrop backdrop, uint64_t seed, const QColor& plain);

} // namespace sky::render
