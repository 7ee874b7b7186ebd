#include "learner.h"

namespace sky::bench {

SimulatedLearner::SimulatedLearner(const QVector<Confusable>& pairs, std::uint64_t seed)
    : state_(seed * 0x9E3779B97F4A7C15ull + 1) {
    for (const Confusable& p : pairs) {
        if (!c_[p.x].contains(p.y)) ++pairs_;
        c_[p.x][p.y] = p.probability;
    }
}

double SimulatedLearner::uniform() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) / double(1ull << 53);
}

double SimulatedLearner::confusion(const QString& x, const QString& y) const {
    return c_.value(x).value(y, 0.0);
}

int SimulatedLearner::answer(const QString shown[3], int correct) {
    const QString& x = shown[correct];
    int chosen = correct;
    for (int s = 0; s < 3 && chosen == correct; ++s) {
        if (s == correct) continue;
        const double p = confusion(x, shown[s]);
        if (p > 0 && uniform() < p) chosen = s;
    }
    if (chosen != correct) {
        const QString& y = shown[chosen];
        c_[x][y] *= 0.5;
        if (c_.contains(y) && c_[y].contains(x)) c_[y][x] *= 0.75;
    } else {
        for (int s = 0; s < 3; ++s)
            if (s != correct && c_.contains(x) && c_[x].contains(shown[s])) c_[x][shown[s]] *= 0.9;
    }
    return chosen;
}

double SimulatedLearner::skill() const {
    if (pairs_ == 0) return 1.0;
    double sum = 0;
    for (auto x = c_.begin(); x != c_.end(); ++x)
        for (auto y = x->begin(); y != x->end(); ++y) sum += 1.0 - y.value();
    return sum / pairs_;
}

} // namespace sky::bench
