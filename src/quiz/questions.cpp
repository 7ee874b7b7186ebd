#include "quiz/questions.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "game/gamesettings.h"
#include "quiz/records.h"
#include "shell/errors.h"
#include "shell/helpers.h"
#include "shell/platform.h"

#include <cmath>

namespace sky::quiz {

using data::TrimBlanks;
using db::Connection;
using db::Recordset;

namespace {
FocusSource* g_focusSource = nullptr;
AnswerHook& answerHook() {
    static AnswerHook hook;
    return hook;
}
} // namespace

void SetFocusSource(FocusSource* source) { g_focusSource = source; }
FocusSource* CurrentFocusSource() { return g_focusSource; }
void SetAnswerHook(AnswerHook hook) { answerHook() = std::move(hook); }
void AnswerGiven(const QuestionRecords& records, int index) {
    if (answerHook()) answerHook()(records, index);
}

void PartnerLists::clear() {
    lstHardPartners.clear();
    lstDontAskPartners.clear();
    lstActiveLessDontAsk.clear();
    lstEasyPartners.clear();
    lstSameCharacteristicPartnersClose.clear();
    lstSameCharacteristicPartnersFAr.clear();
}

ReadScope::ReadScope(Connection* connection) {
    if (!connection || !connection->isOpen() || connection->inTransaction()) return;
    connection->Execute(QStringLiteral("BEGIN"));
    connection_ = connection;
}

ReadScope::~ReadScope() {
    if (!connection_ || !connection_->isOpen()) return;
    try {
        connection_->Execute(QStringLiteral("COMMIT"));
    } catch (const SkyError&) {
        // Nothing was written; a failed end of a read leaves nothing behind.
    }
}

QString RandomListItem(const QStringList& list, RandomSeam* random) {
    if (list.isEmpty()) return QString();
    RandomSeam& r = random ? *random : *platform().random;
    int i = static_cast<int>(std::floor(list.size() * r.next()));
    if (i >= list.size()) i = list.size() - 1;
    if (i < 0) i = 0;
    return list.at(i);
}

bool ListContains(const QStringList& list, const QString& text) {
    for (const QString& entry : list)
        if (entry == text) return true;
    return false;
}

QuestionGenerator::QuestionGenerator(const data::CatalogLists& lists, RandomSeam* random)
    : lists_(lists), random_(random) {}

RandomSeam& QuestionGenerator::rng() const { return random_ ? *random_ : *platform().random; }

QString QuestionGenerator::RandomAircraftFolder() {
    rng().seedFromClock();
    const int n = lists_.lstAircraftFolders.size();
    if (n == 0) return QString();
    for (int attempt = 0; attempt < 10000; ++attempt) {
        // Rounded, so the first and last entries are half as likely.
        const int i = static_cast<int>(RoundHalfEven(rng().next() * (n - 1)));
        if (i >= 0 && i < n && i < lists_.lstAircraftIsActive.size() &&
            lists_.lstAircraftIsActive.at(i) == QLatin1String("Y"))
            return lists_.lstAircraftFolders.at(i);
    }
    return QString();
}

void QuestionGenerator::LoadHardAndDontAskPartners(const QString& folder, bool useStaticDatabase) {
    Connection* chosen = useStaticDatabase ? db::StaticDB() : db::UserDB();
    if (!chosen || !chosen->isOpen())
        throw SkyError(db::kErrNotOpen, QStringLiteral("The database is not open."));
    Connection& connection = *chosen;
    const int id = data::GetAircraftIDinDB(connection, folder);
    // Folders are compared trimmed: a FOLDER stored with blanks is the same
    // aircraft.
    const QString self = TrimBlanks(folder);
    partners_.clear();

    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT Aircraft.Folder, SimilarAircraft.ask ") +
                    QStringLiteral(" FROM SimilarAircraft INNER JOIN Aircraft ON SimilarAircraft.SimilarAircraftID "
                                   "= Aircraft.AirplaneID ") +
                    QStringLiteral(" WHERE (((SimilarAircraft.AircraftID)=") + QString::number(id) +
                    QStringLiteral(" ))"),
                connection, db::adOpenForwardOnly, db::adLockOptimistic);
        while (!rs.eof()) {
            const QString p = TrimBlanks(rs.fields(0).text());
            const QVariant ask = rs.fields(1).value();
            // A pair with no mark is neither hard nor never. Only a hard
            // partner has to be active to be asked; a never partner is kept
            // whatever its flag, so that no other list takes it in.
            if (p != self && !ask.isNull()) {
                if (!ask.toBool()) {
                    if (!ListContains(partners_.lstDontAskPartners, p)) partners_.lstDontAskPartners << p;
                } else if (useStaticDatabase || lists_.isAircraftFolderActive(p)) {
                    if (!ListContains(partners_.lstHardPartners, p)) partners_.lstHardPartners << p;
                }
            }
            rs.moveNext();
        }
        rs.close();
    }
    {
        // A never pair stored in one direction only (a catalogue may hold
        // it so) is never from both ends.
        Recordset rs;
        rs.Open(QStringLiteral("SELECT Aircraft.Folder FROM SimilarAircraft INNER JOIN Aircraft ON "
                               "SimilarAircraft.AircraftID = Aircraft.AirplaneID WHERE "
                               "(((SimilarAircraft.SimilarAircraftID)=") +
                    QString::number(id) + QStringLiteral(") AND ((SimilarAircraft.ask)=FALSE))"),
                connection, db::adOpenForwardOnly, db::adLockOptimistic);
        for (; !rs.eof(); rs.moveNext()) {
            const QString p = TrimBlanks(rs.fields(0).text());
            if (p != self && !ListContains(partners_.lstDontAskPartners, p)) partners_.lstDontAskPartners << p;
        }
        rs.close();
    }
    // A pair marked both ways (hard in one row, never in another) is never.
    for (const QString& p : partners_.lstDontAskPartners) partners_.lstHardPartners.removeAll(p);

    for (const QString& p : lists_.lstActiveFolders) {
        if (p == self) continue;
        const bool never = ListContains(partners_.lstDontAskPartners, p);
        if (!ListContains(partners_.lstHardPartners, p) && !never) partners_.lstEasyPartners << p;
        if (!never) partners_.lstActiveLessDontAsk << p;
    }

    // Pass 0: the type sets only (the airport sets left out); pass 1: all.
    for (int pass = 0; pass < 2; ++pass) {
        QStringList& target =
            pass == 0 ? partners_.lstSameCharacteristicPartnersClose : partners_.lstSameCharacteristicPartnersFAr;
        QString w;
        {
            Recordset row;
            row.Open(QStringLiteral("SELECT * FROM AIRCRAFT WHERE FOLDER='") +
                         TrimBlanks(DoubleSingleQuotes(folder)) + QStringLiteral("'"),
                     connection, db::adOpenForwardOnly, db::adLockOptimistic);
            if (row.eof()) {
                row.close();
                continue;
            }
            for (int j = 0; j < 8; ++j) {
                if (pass == 0 && data::IsAirportSet(j)) continue;
                const QString column = data::AircraftSetColumn(j);
                const QVariant v = row.fields(column).value();
                if (!v.isNull() && v.toBool()) w += QStringLiteral(" OR ") + column + QStringLiteral("=TRUE ");
            }
            row.close();
        }
        if (w.isEmpty()) continue;
        Recordset rs;
        rs.Open(QStringLiteral("SELECT FOLDER FROM AIRCRAFT WHERE ") + QStringLiteral("FALSE ") + w, connection,
                db::adOpenForwardOnly, db::adLockOptimistic);
        while (!rs.eof()) {
            const QString v = TrimBlanks(rs.fields(0).text());
            if (v != self && !ListContains(partners_.lstDontAskPartners, v)) target << v;
            rs.moveNext();
        }
        rs.close();
    }
}

const QStringList& QuestionGenerator::sourceList(DistractorSource source) const {
    switch (source) {
    case DistractorSource::Hard: return partners_.lstHardPartners;
    case DistractorSource::Close: return partners_.lstSameCharacteristicPartnersClose;
    case DistractorSource::Far: return partners_.lstSameCharacteristicPartnersFAr;
    case DistractorSource::Easy: return partners_.lstEasyPartners;
    case DistractorSource::ActiveLessDontAsk: return partners_.lstActiveLessDontAsk;
    case DistractorSource::Active: return lists_.lstActiveFolders;
    case DistractorSource::All: break;
    }
    return lists_.lstAircraftFolders;
}

DistractorSource QuestionGenerator::chooseSource(bool second, bool hard) const {
    const int need = second ? 2 : 1;
    if (hard && partners_.lstHardPartners.size() >= need) return DistractorSource::Hard;
    if (partners_.lstSameCharacteristicPartnersClose.size() >= need) return DistractorSource::Close;
    if (partners_.lstSameCharacteristicPartnersFAr.size() >= need) return DistractorSource::Far;
    if (!hard && partners_.lstEasyPartners.size() >= need) return DistractorSource::Easy;
    if (partners_.lstActiveLessDontAsk.size() >= need) return DistractorSource::ActiveLessDontAsk;
    if (lists_.lstActiveFolders.size() >= need + 1) return DistractorSource::Active;
    return DistractorSource::All;
}

QString QuestionGenerator::drawDistractor(bool second, bool isHardDifficulty, const QString& correct,
                                          const QString& first) {
    QString drawn;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const DistractorSource source = chooseSource(second, isHardDifficulty);
        if (second) lastSecondSource_ = source;
        drawn = RandomListItem(sourceList(source), &rng());
        if (drawn != correct && (!second || drawn != first)) break;
    }
    return drawn;
}

QString QuestionGenerator::WeightedAircraftFolder(FocusSource& focus) {
    rng().seedFromClock();
    const int n = std::min(lists_.lstAircraftFolders.size(), lists_.lstAircraftIsActive.size());
    QVector<double> weights(n, 0.0);
    double total = 0;
    for (int i = 0; i < n; ++i) {
        if (lists_.lstAircraftIsActive.at(i) != QLatin1String("Y")) continue;
        const double w = focus.weightOf(lists_.lstAircraftFolders.at(i));
        weights[i] = w > 0 ? w : 0;
        total += weights[i];
    }
    if (total <= 0) return QString();
    double r = rng().next() * total;
    int last = -1;
    for (int i = 0; i < n; ++i) {
        if (weights[i] <= 0) continue;
        last = i;
        if (r < weights[i]) return lists_.lstAircraftFolders.at(i);
        r -= weights[i];
    }
    return lists_.lstAircraftFolders.at(last); // rounding at the very end
}

QString QuestionGenerator::FocusedFirstDistractor(FocusSource& focus, const QString& correct) {
    for (const QString& candidate : focus.confusionsOf(correct)) {
        const QString c = TrimBlanks(candidate);
        if (c.isEmpty() || c == correct || ListContains(partners_.lstDontAskPartners, c)) continue;
        if (!ListContains(lists_.lstActiveFolders, c)) continue;
        return c;
    }
    return QString();
}

QuestionDraw QuestionGenerator::draw(bool isHardDifficulty, bool isCaptainsChallenge) {
    QuestionDraw q;
    FocusSource* focus = ownFocus_ ? focus_ : g_focusSource;
    if (!game::FocusOnWeakSpots || isCaptainsChallenge) focus = nullptr;
    if (focus) q.correctFolder = WeightedAircraftFolder(*focus);
    if (q.correctFolder.isEmpty()) q.correctFolder = RandomAircraftFolder();
    LoadHardAndDontAskPartners(q.correctFolder, isCaptainsChallenge);
    if (focus) q.firstDistractor = FocusedFirstDistractor(*focus, q.correctFolder);
    if (q.firstDistractor.isEmpty())
        q.firstDistractor = drawDistractor(false, isHardDifficulty, q.correctFolder, QString());
    q.secondDistractor = drawDistractor(true, isHardDifficulty, q.correctFolder, q.firstDistractor);
    q.correctIndex = static_cast<int>(std::floor(3 * rng().next()));
    if (q.correctIndex > 2) q.correctIndex = 2;
    if (q.correctIndex < 0) q.correctIndex = 0;
    bool firstPlaced = false;
    for (int slot = 0; slot < 3; ++slot) {
        if (slot == q.correctIndex) {
            q.slotFolder[slot] = q.correctFolder;
        } else if (!firstPlaced) {
            q.slotFolder[slot] = q.firstDistractor;
            firstPlaced = true;
        } else {
            q.slotFolder[slot] = q.secondDistractor;
        }
    }
    return q;
}

} // namespace sky::quiz
