#include "quiz/scoring.h"

#include "quiz/records.h"
#include "shell/appstate.h"
#include "shell/helpers.h"

#include <QDir>

namespace sky::quiz {

ScoreSummary ComputeScore(const QuestionRecords& records, int questionLimit) {
    ScoreSummary s;
    const int a = records.lstUsersInput.size();
    s.questionNofN = QStringLiteral("Question #") + QString::number(a + 1);
    if (questionLimit >= 1) s.questionNofN += QStringLiteral(" of ") + QString::number(questionLimit);
    for (int i = 0; i < a; ++i) {
        if (records.isCorrect(i)) {
            ++s.correct;
            ++s.streak;
        } else {
            s.streak = 0;
        }
    }
    s.answered = a;
    QString bracket;
    if (a > 0) {
        const long long percent = RoundHalfEven(static_cast<double>(s.correct) / a * 100.0);
        s.percentTag = QString::number(percent) + QStringLiteral("%");
        bracket = QStringLiteral(" (") + s.percentTag + QStringLiteral(") ");
    }
    s.scoreText = QString::number(s.correct) + QStringLiteral(" of ") + QString::number(a) + bracket +
                  QStringLiteral(" correct.  Current streak: ") + QString::number(s.streak);
    s.countTag = QString::number(s.correct) + QStringLiteral(" of ") + QString::number(a) + QStringLiteral(" correct");
    return s;
}

Countdown ComputeCountdown(int limitSeconds, qint64 elapsedMs) {
    Countdown c;
    const long long r = RoundHalfEven((static_cast<double>(limitSeconds) * 1000.0 - elapsedMs) / 1000.0);
    c.remainingSeconds = static_cast<int>(r);
    const long long shown = r < 0 ? 0 : r;
    const long long sec = shown % 60;
    const long long min = (shown - sec) / 60;
    c.text = QStringLiteral("Time Left: ") + QString::number(min).rightJustified(2, QLatin1Char('0')) +
             QStringLiteral(":") + QString::number(sec).rightJustified(2, QLatin1Char('0'));
    c.red = min < 1;
    c.timeUp = r < 1;
    return c;
}

namespace {

// The entry of `folder` named `name` regardless of case; empty when none.
QString findEntry(const QString& folder, const QString& name, QDir::Filters filter) {
    if (folder.isEmpty()) return QString();
    const QDir dir(folder);
    if (!dir.exists()) return QString();
    if (QFileInfo(dir.filePath(name)).exists()) return dir.filePath(name);
    for (const QString& entry : dir.entryList(filter))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return QString();
}

} // namespace

QString GetSoundPath(const QString& fileName) {
    if (fileName.isEmpty()) return QString();
    for (const QString& sub : {QStringLiteral("Sound"), QStringLiteral("Sounds"), QString()}) {
        QString folder = ProgramFolder;
        if (!sub.isEmpty()) folder = findEntry(ProgramFolder, sub, QDir::Dirs | QDir::NoDotAndDotDot);
        if (folder.isEmpty()) continue;
        const QString path = findEntry(folder, fileName, QDir::Files);
        if (!path.isEmpty() && FileExists(path, 0)) return path;
    }
    return QString();
}

} // namespace sky::quiz
