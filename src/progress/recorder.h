// Writes every answer of every quiz into the history as it is given, and
// keeps the focus model of the running program up to date with it.
//
//   HistoryRecorder recorder;
//   recorder.install();   // the quiz's answer hook and focus source
#pragma once

#include "progress/focus.h"

#include <functional>

namespace sky::progress {

class HistoryRecorder : public quiz::FocusSource {
public:
    // `now` gives the current time (UTC); the system clock when empty.
    explicit HistoryRecorder(std::function<QDateTime()> now = {});
    ~HistoryRecorder() override;

    // Becomes the quiz's answer hook and the program's focus source.
    void install();

    // Question `index` of `records` has just been answered. Answer 0 starts
    // a new quiz. A history that cannot be written costs the quiz nothing:
    // the answer still counts, and the model still learns from it.
    void answerGiven(const quiz::QuestionRecords& records, int index);

    // FocusSource: the model, read from the user database on first use.
    double weightOf(const QString& folder) override;
    QStringList confusionsOf(const QString& folder) override;

    FocusModel& model();
    // Forget the model; the next use reads the history again.
    void reload() { loaded_ = false; }
    qint64 currentQuizId() const { return quizId_; }

private:
    std::function<QDateTime()> now_;
    FocusModel model_;
    bool loaded_ = false;
    QString loadedFrom_;
    QVector<AnswerRecord> unsaved_; // answers the database did not take
    qint64 quizId_ = 0;
    bool installed_ = false;
};

} // namespace sky::progress
