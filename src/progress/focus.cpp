#include "progress/focus.h"

#include <algorithm>

namespace sky::progress {

void FocusModel::clear() {
    box_.clear();
    taken_.clear();
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
        }
    }
}

void FocusModel::addAll(const QVector<AnswerRecord>& history) {
    for (const AnswerRecord& r : history) add(r);
}

int FocusModel::boxOf(const QString& folder) const { return box_.value(folder, kStartBox); }

double FocusModel::weightOfBox(int box) { return double(1 << (kBoxes - 1 - std::clamp(box, 0, kBoxes - 1))); }

double FocusModel::weightOf(const QString& folder) { return weightOfBox(boxOf(folder)); }

QStringList FocusModel::confusionsOf(const QString& folder) {
    const auto it = taken_.constFind(folder);
    if (it == taken_.constEnd()) return {};
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

} // namespace sky::progress
