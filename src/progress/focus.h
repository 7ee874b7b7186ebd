// "Focus on my weak spots": what the history says about drilling.
//
// The schedule is Leitner's: every aircraft sits in one of five boxes,
// 0 (just missed) to 4 (well known). An aircraft never answered starts in
// box 2. A wrong answer on it (it was the correct aircraft and the user chose
// another) sends it back to box 0, and the aircraft chosen instead to box 1
// at most (who takes X for Y mixes Y up with X too); a right answer moves
// it up one box, to box 4 at most. Its weight as the correct aircraft halves with each box:
// 16, 8, 4, 2, 1. So a miss makes the aircraft sixteen times as likely as a
// well-known one, and right answers bring it down again step by step.
//
// The confusions are counted per direction: "took A for B" counts for A
// (shown A, chose B), most often first, ties going to the latest. After
// those come the aircraft that were taken for A, in the same order.
#pragma once

#include "progress/history.h"
#include "quiz/questions.h"

#include <QHash>

namespace sky::progress {

class FocusModel : public quiz::FocusSource {
public:
    static constexpr int kBoxes = 5;
    static constexpr int kStartBox = 2;

    void clear();
    void add(const AnswerRecord& record);
    void addAll(const QVector<AnswerRecord>& history);

    int boxOf(const QString& folder) const;
    static double weightOfBox(int box);

    double weightOf(const QString& folder) override;
    QStringList confusionsOf(const QString& folder) override;

private:
    struct Taken {
        int count = 0;
        qint64 latest = 0;
    };
    QHash<QString, int> box_;
    QHash<QString, QHash<QString, Taken>> taken_;    // shown X: what it was taken for
    QHash<QString, QHash<QString, Taken>> takenFor_; // chosen Y: what was taken for it
    qint64 serial_ = 0;
};

} // namespace sky::progress
