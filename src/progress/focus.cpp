#include "progress/focus.h"

#include <algorithm>

namespace sky::progress {

void FocusModel::clear() {
    box_.clear();
    taken_.clear();
    takenFor_.clear();
    serial_ = 0;
}

void FocusModel::add(const AnswerRecord& r) {
    if (r.correct.isEmpty()) return;
    ++serial_;
    int& box = box_.insert(r.correct, box_.value(r.correct, kStartBox)).value();
    if (r.right) {
        box = std::min(box + 1, kBoxes - 1);
    } else {
        box = 0;
        if (!r.chosen.isEmpty() && r.chosen != r.correct) {
            Taken& t = taken_[r.correct][r.chosen];
            ++t.count;
            t.latest = serial_;
            Taken& back = takenFor_[r.chosen][r.correct];
            ++back.count;
            back.latest = serial_;
            // Who takes X for Y mixes up Y with X too.
            int& other = box_.insert(r.chosen, box_.value(r.chosen, kStartBox)).value();
            other = std::min(other, 1);
        }
    }
}

void FocusModel::addAll(const QVector<AnswerRecord>& history) {
    for (const AnswerRecord& r : history) add(r);
}

int FocusModel::boxOf(const QString& folder) const { return box_.value(folder, kStartBox); }

double FocusModel::weightOfBox(int box) { return double(1 << (kBoxes - 1 - std::clamp(box, 0, kBoxes - 1))); }

double FocusModel::weightOf(const QString& folder) { return weightOfBox(boxOf(folder)); }

namespace {

template <typename Map, typename Taken>
QStringList ordered(const Map& map, const QString& folder) {
    const auto it = map.constFind(folder);
    if (it == map.constEnd()) return {};
    QVector<QPair<QString, Taken>> list;
    for (auto t = it->constBegin(); t != it->constEnd(); ++t) list << qMakePair(t.key(), t.value());
    std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        if (a.second.count != b.second.count) return a.second.count > b.second.count;
        return a.second.latest > b.second.latest;
    });
    QStringList out;
    for (const auto& p : list) out << p.first;
    return out;
}

} // namespace

QStringList FocusModel::confusionsOf(const QString& folder) {
    QStringList out = ordered<decltype(taken_), Taken>(taken_, folder);
    for (const QString& other : ordered<decltype(takenFor_), Taken>(takenFor_, folder))
        if (!out.contains(other)) out << other;
    return out;
}

} // namespace sky::progress
