#include "progress/recorder.h"

#include "data/databases.h"
#include "data/db.h"
#include "game/gamesettings.h"
#include "quiz/records.h"
#include "shell/errors.h"

namespace sky::progress {

HistoryRecorder::HistoryRecorder(std::function<QDateTime()> now) : now_(std::move(now)) {
    if (!now_) now_ = [] { return QDateTime::currentDateTimeUtc(); };
}

HistoryRecorder::~HistoryRecorder() {
    if (!installed_) return;
    if (quiz::CurrentFocusSource() == this) quiz::SetFocusSource(nullptr);
    quiz::SetAnswerHook({});
}

void HistoryRecorder::install() {
    installed_ = true;
    quiz::SetFocusSource(this);
    quiz::SetAnswerHook([this](const quiz::QuestionRecords& records, int index) { answerGiven(records, index); });
}

FocusModel& HistoryRecorder::model() {
    db::Connection* user = db::UserDB();
    const QString from = user && user->isOpen() ? user->path() : QString();
    if (!loaded_ || from != loadedFrom_) {
        model_.clear();
        loaded_ = true;
        loadedFrom_ = from;
        if (user && user->isOpen()) {
            try {
                model_.addAll(ReadHistoryOutline(*user));
            } catch (const SkyError&) {
                // An unreadable history drills nothing in particular.
            }
        }
        model_.addAll(unsaved_);
    }
    return model_;
}

double HistoryRecorder::weightOf(const QString& folder) { return model().weightOf(folder); }
QStringList HistoryRecorder::confusionsOf(const QString& folder) { return model().confusionsOf(folder); }

void HistoryRecorder::answerGiven(const quiz::QuestionRecords& records, int index) {
    AnswerRecord r = RecordOfQuestion(records, index);
    if (r.correct.isEmpty() && r.chosen.isEmpty()) return;
    const QDateTime now = now_().toUTC();
    if (index == 0 || quizId_ == 0) {
        // Quizzes are told apart by their start; two in one millisecond
        // still get two points.
        quizId_ = std::max(now.toMSecsSinceEpoch(), quizId_ + 1);
    }
    r.quizId = quizId_;
    r.answeredAt = now;
    r.gameMode = game::GameMode;
    r.hard = game::IsHardDifficulty;
    r.captains = game::IsCaptainsChallenge;
    // The model is read only when the focused drawing first asks for it;
    // until then the history in the database is all it needs.
    if (loaded_) model_.add(r);
    db::Connection* user = db::UserDB();
    try {
        if (!user || !user->isOpen()) throw SkyError(db::kErrNotOpen, QStringLiteral("The database is not open."));
        AppendAnswer(*user, r);
    } catch (const SkyError&) {
        // The quiz goes on; only this answer is missing from the history,
        // and the model of this run still learns from it.
        unsaved_ << r;
    }
}

} // namespace sky::progress
