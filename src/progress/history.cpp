#include "progress/history.h"

#include "data/db.h"
#include "data/schema.h"
#include "quiz/records.h"
#include "shell/helpers.h"

namespace sky::progress {

namespace {

QString folderOf(const QString& entry) {
    const int bang = entry.indexOf(QLatin1Char('!'));
    return (bang < 0 ? entry : entry.left(bang)).trimmed();
}

QString quoted(const QString& text) { return QStringLiteral("'") + DoubleSingleQuotes(text) + QStringLiteral("'"); }
QString yesNo(bool b) { return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

const char* kTimeFormat = "yyyy-MM-ddTHH:mm:ss.zzz";

QString insertStatement(const AnswerRecord& r) {
    const QString when = r.answeredAt.isValid() ? r.answeredAt.toUTC().toString(QLatin1String(kTimeFormat)) : QString();
    return QStringLiteral("INSERT INTO ANSWERHISTORY (QUIZID, ANSWEREDAT, GAMEMODE, ISHARD, ISCAPTAINS, "
                          "CORRECTFOLDER, CHOSENFOLDER, DISTRACTOR1, DISTRACTOR2, PICTURE, ISRIGHT) VALUES (") +
           QString::number(r.quizId) + QStringLiteral(", ") + quoted(when) + QStringLiteral(", ") +
           QString::number(r.gameMode) + QStringLiteral(", ") + yesNo(r.hard) + QStringLiteral(", ") +
           yesNo(r.captains) + QStringLiteral(", ") + quoted(r.correct) + QStringLiteral(", ") + quoted(r.chosen) +
           QStringLiteral(", ") + quoted(r.distractor1) + QStringLiteral(", ") + quoted(r.distractor2) +
           QStringLiteral(", ") + QString::number(r.picture) + QStringLiteral(", ") + yesNo(r.right) +
           QStringLiteral(")");
}

// The stored form read back by hand: the general parser takes a hundred
// times as long, which a long history feels.
QDateTime ParseTime(const QString& text) {
    const QStringView v(text);
    bool ok = v.size() >= 19 && v[4] == QLatin1Char('-') && v[7] == QLatin1Char('-') && v[10] == QLatin1Char('T') &&
              v[13] == QLatin1Char(':') && v[16] == QLatin1Char(':');
    if (!ok) {
        QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
        parsed.setTimeSpec(Qt::UTC);
        return parsed;
    }
    bool good = true;
    auto num = [&](int from, int length) {
        bool k = false;
        const int n = v.mid(from, length).toInt(&k);
        good = good && k;
        return n;
    };
    const QDate date(num(0, 4), num(5, 2), num(8, 2));
    const int ms = v.size() >= 23 && v[19] == QLatin1Char('.') ? num(20, 3) : 0;
    const QTime time(num(11, 2), num(14, 2), num(17, 2), ms);
    if (!good || !date.isValid() || !time.isValid()) return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

} // namespace

bool AnswerRecord::operator==(const AnswerRecord& o) const {
    return quizId == o.quizId && answeredAt == o.answeredAt && gameMode == o.gameMode && hard == o.hard &&
           captains == o.captains && correct == o.correct && chosen == o.chosen && distractor1 == o.distractor1 &&
           distractor2 == o.distractor2 && picture == o.picture && right == o.right;
}

AnswerRecord RecordOfQuestion(const quiz::QuestionRecords& q, int k) {
    AnswerRecord r;
    if (k < 0 || k >= q.lstUsersInput.size() || k >= q.lstCorrectAnswer.size() || k >= q.lstAnswerA.size() ||
        k >= q.lstAnswerB.size() || k >= q.lstAnswerC.size())
        return r;
    const QString slotFolders[3] = {folderOf(q.lstAnswerA.at(k)), folderOf(q.lstAnswerB.at(k)),
                              folderOf(q.lstAnswerC.at(k))};
    const QString correctEntry = q.lstCorrectAnswer.at(k);
    const int correct = correctEntry.left(1).toUpper().isEmpty() ? -1 : correctEntry.at(0).toUpper().unicode() - 'A';
    const QString chosenText = q.lstUsersInput.at(k).left(1).toUpper();
    const int chosen = chosenText.isEmpty() ? -1 : chosenText.at(0).unicode() - 'A';
    if (correct >= 0 && correct < 3) r.correct = slotFolders[correct];
    if (chosen >= 0 && chosen < 3) r.chosen = slotFolders[chosen];
    QStringList others;
    for (int s = 0; s < 3; ++s)
        if (s != correct) others << slotFolders[s];
    if (others.size() >= 1) r.distractor1 = others.at(0);
    if (others.size() >= 2) r.distractor2 = others.at(1);
    QString digits;
    for (QChar c : correctEntry.mid(1))
        if (c.isDigit()) digits += c;
    r.picture = digits.left(9).toInt();
    r.right = q.isCorrect(k);
    return r;
}

void AppendAnswer(db::Connection& c, const AnswerRecord& r) {
    db::EnsureAnswerHistoryTable(c);
    c.Execute(insertStatement(r));
}

void AppendAnswers(db::Connection& c, const QVector<AnswerRecord>& records) {
    db::EnsureAnswerHistoryTable(c);
    const bool own = !c.inTransaction();
    if (own) c.BeginTrans();
    try {
        for (const AnswerRecord& r : records) c.Execute(insertStatement(r));
    } catch (...) {
        if (own) c.RollbackTrans();
        throw;
    }
    if (own) c.CommitTrans();
}

QVector<AnswerRecord> ReadHistory(db::Connection& c) {
    QVector<AnswerRecord> out;
    if (!db::HasAnswerHistoryTable(c)) return out;
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT QUIZID, ANSWEREDAT, GAMEMODE, ISHARD, ISCAPTAINS, CORRECTFOLDER, CHOSENFOLDER, "
                           "DISTRACTOR1, DISTRACTOR2, PICTURE, ISRIGHT FROM ANSWERHISTORY ORDER BY ID"),
            c, db::adOpenForwardOnly, db::adLockReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        AnswerRecord r;
        r.quizId = rs.fields(0).value().toLongLong();
        const QString when = rs.fields(1).text();
        if (!when.isEmpty()) r.answeredAt = ParseTime(when);
        r.gameMode = rs.fields(2).value().toInt();
        r.hard = rs.fields(3).value().toBool();
        r.captains = rs.fields(4).value().toBool();
        r.correct = rs.fields(5).text().trimmed();
        r.chosen = rs.fields(6).text().trimmed();
        r.distractor1 = rs.fields(7).text().trimmed();
        r.distractor2 = rs.fields(8).text().trimmed();
        r.picture = rs.fields(9).value().toInt();
        r.right = rs.fields(10).value().toBool();
        out << r;
    }
    rs.close();
    return out;
}

QVector<AnswerRecord> ReadHistoryOutline(db::Connection& c) {
    QVector<AnswerRecord> out;
    if (!db::HasAnswerHistoryTable(c)) return out;
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT QUIZID, TRIM(CORRECTFOLDER), TRIM(CHOSENFOLDER), ISRIGHT FROM ANSWERHISTORY "
                           "ORDER BY ID"),
            c, db::adOpenForwardOnly, db::adLockReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        AnswerRecord r;
        r.quizId = rs.fields(0).value().toLongLong();
        r.correct = rs.fields(1).text();
        r.chosen = rs.fields(2).text();
        r.right = rs.fields(3).value().toBool();
        out << r;
    }
    rs.close();
    return out;
}

} // namespace sky::progress
