#include "progress/stats.h"

#include <QMap>
#include <QSaveFile>
#include <algorithm>

namespace sky::progress {

QVector<QuizPoint> AccuracyPerQuiz(const QVector<AnswerRecord>& history) {
    QMap<qint64, QuizPoint> byQuiz;
    for (const AnswerRecord& r : history) {
        QuizPoint& p = byQuiz[r.quizId];
        if (p.answered == 0) {
            p.quizId = r.quizId;
            p.started = r.answeredAt;
        }
        ++p.answered;
        if (r.right) ++p.right;
    }
    return QVector<QuizPoint>(byQuiz.begin(), byQuiz.end());
}

QVector<SetAccuracy> AccuracyPerSet(const QVector<AnswerRecord>& history,
                                    const QHash<QString, QVector<bool>>& setsOf) {
    QVector<SetAccuracy> out(8);
    for (int j = 0; j < 8; ++j) out[j].set = j;
    for (const AnswerRecord& r : history) {
        const auto it = setsOf.constFind(r.correct);
        if (it == setsOf.constEnd()) continue;
        for (int j = 0; j < 8 && j < it->size(); ++j) {
            if (!it->at(j)) continue;
            ++out[j].answered;
            if (r.right) ++out[j].right;
        }
    }
    return out;
}

QVector<AircraftStat> AircraftWorstFirst(const QVector<AnswerRecord>& history) {
    QHash<QString, QVector<bool>> answers;
    QStringList order;
    for (const AnswerRecord& r : history) {
        if (r.correct.isEmpty()) continue;
        auto it = answers.find(r.correct);
        if (it == answers.end()) {
            order << r.correct;
            it = answers.insert(r.correct, {});
        }
        it->append(r.right);
    }
    QVector<AircraftStat> out;
    out.reserve(order.size());
    for (const QString& folder : order) {
        const QVector<bool>& a = answers.value(folder);
        AircraftStat s;
        s.folder = folder;
        s.answered = a.size();
        s.right = int(std::count(a.begin(), a.end(), true));
        if (a.size() >= 2) {
            const int later = a.size() / 2;
            const int earlier = a.size() - later;
            const int rightEarlier = int(std::count(a.begin(), a.begin() + earlier, true));
            s.trend = double(s.right - rightEarlier) / later - double(rightEarlier) / earlier;
        }
        out << s;
    }
    std::sort(out.begin(), out.end(), [](const AircraftStat& x, const AircraftStat& y) {
        // Compared as whole fractions, so equal accuracies are equal.
        const qint64 lx = qint64(x.right) * y.answered, ly = qint64(y.right) * x.answered;
        if (lx != ly) return lx < ly;
        if (x.answered != y.answered) return x.answered > y.answered;
        return x.folder < y.folder;
    });
    return out;
}

QVector<Confusion> ConfusionPairs(const QVector<AnswerRecord>& history) {
    QMap<QPair<QString, QString>, int> counts;
    for (const AnswerRecord& r : history) {
        if (r.right || r.correct.isEmpty() || r.chosen.isEmpty() || r.correct == r.chosen) continue;
        ++counts[qMakePair(r.correct, r.chosen)];
    }
    QVector<Confusion> out;
    for (auto it = counts.begin(); it != counts.end(); ++it) out << Confusion{it.key().first, it.key().second, it.value()};
    std::stable_sort(out.begin(), out.end(), [](const Confusion& a, const Confusion& b) { return a.count > b.count; });
    return out;
}

QString ConfusionSentence(const QString& correctName, const QString& chosenName, int count) {
    const QString times = count == 1 ? QStringLiteral("once")
                          : count == 2 ? QStringLiteral("twice")
                                       : QString::number(count) + QStringLiteral(" times");
    return QStringLiteral("You took the ") + correctName + QStringLiteral(" for a ") + chosenName +
           QStringLiteral(" ") + times;
}

namespace {

QString csvField(QString f) {
    if (!f.isEmpty() && QStringLiteral("=+-@").contains(f.at(0))) f.prepend(QLatin1Char('\''));
    if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) || f.contains(QLatin1Char('\n')) ||
        f.contains(QLatin1Char('\r'))) {
        f.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        f = QStringLiteral("\"") + f + QStringLiteral("\"");
    }
    return f;
}

QString yesNo(bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); }

} // namespace

QString HistoryCsv(const QVector<AnswerRecord>& history) {
    QString out = QStringLiteral("quiz,answered at,game mode,hard,captain's challenge,correct,chosen,distractor 1,"
                                 "distractor 2,picture,right\r\n");
    for (const AnswerRecord& r : history) {
        const QStringList fields = {
            QString::number(r.quizId),
            r.answeredAt.isValid() ? r.answeredAt.toUTC().toString(Qt::ISODate) : QString(),
            QString::number(r.gameMode), yesNo(r.hard), yesNo(r.captains), r.correct, r.chosen, r.distractor1,
            r.distractor2, QString::number(r.picture), yesNo(r.right)};
        QStringList quoted;
        for (const QString& f : fields) quoted << csvField(f);
        out += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return out;
}

bool ExportHistoryCsv(const QVector<AnswerRecord>& history, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray bytes = HistoryCsv(history).toUtf8();
    if (file.write(bytes) != bytes.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace sky::progress
