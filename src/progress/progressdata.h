// Everything the "My Progress" window shows, read in one go from the user
// database: the history, the aircraft names and sets, and what they say.
#pragma once

#include "progress/stats.h"

namespace sky::db {
class Connection;
}

namespace sky::progress {

struct ProgressData {
    QVector<AnswerRecord> history;          // the outline (ReadHistoryOutline)
    QHash<QString, QString> names;          // FOLDER -> display name
    QHash<QString, QVector<bool>> sets;     // FOLDER -> eight set flags
    QVector<QuizPoint> quizzes;
    QVector<SetAccuracy> setAccuracy;
    QVector<AircraftStat> aircraft;
    QVector<Confusion> confusions;          // the most frequent kMaxConfusions
    static constexpr int kMaxConfusions = 100;

    bool isEmpty() const { return history.isEmpty(); }
    // The display name, or the folder with a note when the aircraft has
    // left the catalogue.
    QString nameOf(const QString& folder) const;
};

ProgressData LoadProgress(db::Connection& user);

// "+25%", "-10%", "0%" for a trend; empty when there is none to tell.
QString TrendText(const AircraftStat& stat);
// "67%": a fraction as a whole percentage, rounded half to even.
QString PercentText(double fraction);

} // namespace sky::progress
