// A simulated learner, to measure whether drilling the user's own
// confusions helps.
//
// The model. The learner knows every aircraft except for some confusable
// pairs: for each ordered pair (X, Y) it has a confusion probability c(X, Y),
// the chance that, shown X with Y among the answers, it answers Y. Asked X,
// it looks at the distractors in slot order and takes the first one it
// confuses X with, each with its probability; otherwise it answers right.
// It learns from what it sees graded:
//   - a wrong answer (X taken for Y) halves c(X, Y) and takes a quarter off
//     c(Y, X): seeing the two named side by side teaches both ways;
//   - a right answer with Y among the distractors takes a tenth off c(X, Y).
// Its skill is the share of its confusable pairs it answers right when
// asked X against Y: the mean of 1 - c(X, Y) over the pairs. The run ends
// when that reaches 90%.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>

namespace sky::bench {

class SimulatedLearner {
public:
    struct Confusable {
        QString x, y;
        double probability;
    };
    explicit SimulatedLearner(const QVector<Confusable>& pairs, std::uint64_t seed);

    // The slot (0, 1, 2) the learner clicks; `shown` are the three shown
    // aircraft, `correct` the right slot. Learns from the graded answer.
    int answer(const QString shown[3], int correct);

    double skill() const;
    double confusion(const QString& x, const QString& y) const;

private:
    double uniform();
    QHash<QString, QHash<QString, double>> c_;
    int pairs_ = 0;
    std::uint64_t state_;
};

} // namespace sky::bench
