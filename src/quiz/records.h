// The running quiz's question records and score, kept by the main window
// and read by the results screen.
#pragma once

#include <QString>
#include <QStringList>

namespace sky::quiz {

struct QuestionRecords {
    // Entry k: slot A/B/C of question k+1 as FOLDER + "!" + picture number.
    QStringList lstAnswerA;
    QStringList lstAnswerB;
    QStringList lstAnswerC;
    // Entry k: the correct letter + "!" + the correct picture's number.
    QStringList lstCorrectAnswer;
    // Entry k: the letter the user chose for question k+1.
    QStringList lstUsersInput;

    int CorrectCount = 0;
    int AnsweredCount = 0;

    // The score summary texts (the tags of lblCurrentScore 0 and 1).
    QString scorePercentTag;
    QString scoreCountTag;

    // True when question `index` (0-based) was answered correctly.
    bool isCorrect(int index) const;
    void ClearQuestionRecords();
};

} // namespace sky::quiz
