#include "quiz/records.h"

namespace sky::quiz {

bool QuestionRecords::isCorrect(int index) const {
    if (index < 0 || index >= lstUsersInput.size() || index >= lstCorrectAnswer.size()) return false;
    const QString chosen = lstUsersInput.at(index).left(1).toUpper();
    const QString right = lstCorrectAnswer.at(index).left(1).toUpper();
    return !chosen.isEmpty() && chosen == right;
}

void QuestionRecords::ClearQuestionRecords() {
    lstCorrectAnswer.clear();
    lstUsersInput.clear();
    lstAnswerA.clear();
    lstAnswerB.clear();
    lstAnswerC.clear();
}

} // namespace sky::quiz
