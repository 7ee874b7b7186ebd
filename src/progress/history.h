// The answer history: every answered quiz question, kept in the user
// database's ANSWERHISTORY table (created on first use).
//
//   AnswerRecord r = RecordOfQuestion(records, k);   // question k+1
//   r.quizId = ...; r.answeredAt = ...;
//   AppendAnswer(*db::UserDB(), r);
//   QVector<AnswerRecord> all = ReadHistory(*db::UserDB());
#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

namespace sky::db {
class Connection;
}
namespace sky::quiz {
struct QuestionRecords;
}

namespace sky::progress {

struct AnswerRecord {
    qint64 quizId = 0;     // the quiz's start, ms since 1970 UTC
    QDateTime answeredAt;  // UTC
    int gameMode = 0;
    bool hard = false;
    bool captains = false;
    QString correct;       // FOLDER of the right answer
    QString chosen;        // FOLDER the user chose
    QString distractor1;   // the first distractor (earlier of the other slots)
    QString distractor2;
    int picture = 0;       // picture number of the correct aircraft's photograph
    bool right = false;
    bool operator==(const AnswerRecord& o) const;
};

// The record of answered question `index` (0-based) of a quiz, taken from
// its question records; quizId, answeredAt and the game settings are left
// for the caller. An index without an answer gives an empty record.
AnswerRecord RecordOfQuestion(const quiz::QuestionRecords& records, int index);

// Appends one row (creating the table when it is missing).
void AppendAnswer(db::Connection& connection, const AnswerRecord& record);
// Appends many rows in one transaction (for imports and benchmarks).
void AppendAnswers(db::Connection& connection, const QVector<AnswerRecord>& records);
// Every row in the order written; empty when the table does not exist yet.
QVector<AnswerRecord> ReadHistory(db::Connection& connection);
// The same rows with only what the summaries need: quiz, correct and chosen
// aircraft, right or wrong (the rest left empty). Reads a long history in a
// fraction of the time.
QVector<AnswerRecord> ReadHistoryOutline(db::Connection& connection);

} // namespace sky::progress
