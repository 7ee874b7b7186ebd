#include "progress/progressdata.h"

#include "data/db.h"
#include "data/schema.h"
#include "shell/helpers.h"

namespace sky::progress {

QString ProgressData::nameOf(const QString& folder) const {
    const auto it = names.constFind(folder);
    if (it != names.constEnd() && !it->isEmpty()) return *it;
    return folder + QStringLiteral(" (no longer in the catalogue)");
}

ProgressData LoadProgress(db::Connection& user) {
    ProgressData d;
    d.history = ReadHistoryOutline(user);
    db::Recordset rs;
    QString statement = QStringLiteral("SELECT FOLDER, AIRPLANETYPE");
    for (const QString& c : db::AircraftSetColumns()) statement += QStringLiteral(", ") + c;
    rs.Open(statement + QStringLiteral(" FROM AIRCRAFT"), user, db::adOpenForwardOnly, db::adLockReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        const QString folder = rs.fields(0).text().trimmed();
        d.names.insert(folder, rs.fields(1).text().trimmed());
        QVector<bool> flags(8, false);
        for (int j = 0; j < 8; ++j) {
            const QVariant v = rs.fields(2 + j).value();
            flags[j] = !v.isNull() && v.toBool();
        }
        d.sets.insert(folder, flags);
    }
    rs.close();
    d.quizzes = AccuracyPerQuiz(d.history);
    d.setAccuracy = AccuracyPerSet(d.history, d.sets);
    d.aircraft = AircraftWorstFirst(d.history);
    d.confusions = ConfusionPairs(d.history);
    // A long history of scattered slips holds thousands of pairs; the ones
    // worth drilling are at the top.
    if (d.confusions.size() > ProgressData::kMaxConfusions) d.confusions.resize(ProgressData::kMaxConfusions);
    return d;
}

QString PercentText(double fraction) { return QString::number(RoundHalfEven(fraction * 100)) + QStringLiteral("%"); }

QString TrendText(const AircraftStat& s) {
    if (s.answered < 2) return QString();
    const long long t = RoundHalfEven(s.trend * 100);
    return (t > 0 ? QStringLiteral("+") : QString()) + QString::number(t) + QStringLiteral("%");
}

} // namespace sky::progress
