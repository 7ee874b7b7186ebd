// What the answer history says: accuracy per quiz and per aircraft set, each
// aircraft's accuracy and trend, the pairs the user confuses, and the CSV
// export. Plain code over the rows of ReadHistory.
#pragma once

#include "progress/history.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace sky::progress {

struct QuizPoint {
    qint64 quizId = 0;
    QDateTime started;   // the first answer's time
    int answered = 0;
    int right = 0;
    double accuracy() const { return answered > 0 ? double(right) / answered : 0.0; }
};
// One point per quiz, oldest first.
QVector<QuizPoint> AccuracyPerQuiz(const QVector<AnswerRecord>& history);

struct SetAccuracy {
    int set = 0;         // aircraft set index 0 to 7
    int answered = 0;
    int right = 0;
    double accuracy() const { return answered > 0 ? double(right) / answered : 0.0; }
};
// For each of the eight aircraft sets, the answers whose correct aircraft
// is a member (by `setsOf`: FOLDER -> eight flags). Aircraft unknown to
// `setsOf` count in no set.
QVector<SetAccuracy> AccuracyPerSet(const QVector<AnswerRecord>& history, const QHash<QString, QVector<bool>>& setsOf);

struct AircraftStat {
    QString folder;
    int answered = 0;
    int right = 0;
    // Accuracy of the later half of its answers minus that of the earlier
    // half (an odd one out goes to the earlier half); 0 below two answers.
    double trend = 0;
    double accuracy() const { return answered > 0 ? double(right) / answered : 0.0; }
};
// Every aircraft that was the correct answer, worst first: lowest accuracy,
// then most answers, then folder.
QVector<AircraftStat> AircraftWorstFirst(const QVector<AnswerRecord>& history);

struct Confusion {
    QString correct;   // the aircraft shown
    QString chosen;    // what the user took it for
    int count = 0;
};
// Wrong answers grouped by (correct, chosen), most frequent first, then by
// folders.
QVector<Confusion> ConfusionPairs(const QVector<AnswerRecord>& history);

// "You took the Airbus A320 for a Boeing 737-800 6 times" (once, twice).
QString ConfusionSentence(const QString& correctName, const QString& chosenName, int count);

// The history as CSV: a header line, then one line per answer; fields with
// a comma, quote or line break are quoted with doubled quotes; a field that
// a spreadsheet would take for a formula is prefixed with a quote mark.
QString HistoryCsv(const QVector<AnswerRecord>& history);
// Writes HistoryCsv beside `path` and renames it into place; false with
// `error` set when that fails (an existing file is then left as it was).
bool ExportHistoryCsv(const QVector<AnswerRecord>& history, const QString& path, QString* error);

} // namespace sky::progress
