// The texts of a running quiz, computed from its question records: the
// question number, the score with its streak, the two summary texts the
// results screen shows, the countdown; and where the sound clips are.
#pragma once

#include <QString>

namespace sky::quiz {

struct QuestionRecords;

struct ScoreSummary {
    QString questionNofN; // "Question #4" or "Question #4 of 10"
    QString scoreText;    // "2 of 3 (67%)  correct.  Current streak: 1"
    QString percentTag;   // "67%", empty before the first answer
    QString countTag;     // "2 of 3 correct"
    int correct = 0;
    int answered = 0;
    int streak = 0;
};

// `questionLimit` below 1 means no limit.
ScoreSummary ComputeScore(const QuestionRecords& records, int questionLimit);

struct Countdown {
    int remainingSeconds = 0; // rounded half to even
    QString text;             // "Time Left: 01:05"
    bool red = false;         // the last minute
    bool timeUp = false;      // below one second
};

// The countdown `elapsedMs` into a quiz of `limitSeconds`. A late tick that
// finds the time already past shows 00:00.
Countdown ComputeCountdown(int limitSeconds, qint64 elapsedMs);

// The full path of a sound clip: ProgramFolder/Sound, ProgramFolder/Sounds,
// then ProgramFolder itself, names matched regardless of case; empty when
// none has it.
QString GetSoundPath(const QString& fileName);

} // namespace sky::quiz
