// Drawing one quiz question: the correct aircraft, its partner lists and
// two distractors chosen by priority from aircraft that are easy to confuse
// with it, placed with the correct one on random answer slots. Plain code
// over the catalogue lists and the databases; the main window shows the
// result and loads the pictures.
//
//   QuestionGenerator gen(lists);
//   QuestionDraw q = gen.draw(IsHardDifficulty, IsCaptainsChallenge);
//   // q.slotFolder[0..2] go on slots A, B, C; q.correctIndex is the right one
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace sky {
class RandomSeam;
}
namespace sky::data {
struct CatalogLists;
}
namespace sky::db {
class Connection;
}

namespace sky::quiz {

struct QuestionRecords;

// What the user's own answers say about each aircraft, for the drawing that
// focuses on the user's weak spots.
class FocusSource {
public:
    virtual ~FocusSource() = default;
    // How strongly `folder` is to be drawn as the correct aircraft (>= 0).
    virtual double weightOf(const QString& folder) = 0;
    // The aircraft the user has taken `folder` for, most often first.
    virtual QStringList confusionsOf(const QString& folder) = 0;
};
// The program's source, used by every generator without one of its own.
void SetFocusSource(FocusSource* source);
FocusSource* CurrentFocusSource();

// Called with the question records each time an answer has been recorded
// (index: the answered question, 0-based).
using AnswerHook = std::function<void(const QuestionRecords& records, int index)>;
void SetAnswerHook(AnswerHook hook);
void AnswerGiven(const QuestionRecords& records, int index);

// The seven lists distractors are drawn from, in priority order.
enum class DistractorSource { Hard, Close, Far, Easy, ActiveLessDontAsk, Active, All };
constexpr int kDistractorSourceCount = 7;

// The partner lists of the correct aircraft; none holds its own folder.
struct PartnerLists {
    QStringList lstHardPartners;
    QStringList lstDontAskPartners;
    QStringList lstEasyPartners;
    QStringList lstActiveLessDontAsk;
    QStringList lstSameCharacteristicPartnersClose;
    QStringList lstSameCharacteristicPartnersFAr;
    void clear();
};

struct QuestionDraw {
    QString correctFolder;
    QString firstDistractor;
    QString secondDistractor;
    int correctIndex = 0;      // 0, 1, 2 = slot A, B, C
    QString slotFolder[3];     // what each slot shows
    QString correctLetter() const { return QString(QChar('A' + correctIndex)); }
};

// The entry at floor(n * r) of a list of n entries; empty for an empty list.
QString RandomListItem(const QStringList& list, RandomSeam* random = nullptr);
// True when an entry equals the text exactly.
bool ListContains(const QStringList& list, const QString& text);

// Holds one read transaction on a connection for its lifetime, so that a
// run of reads takes the file's lock once instead of once per row. Does
// nothing when the connection is closed or already in a transaction.
class ReadScope {
public:
    explicit ReadScope(db::Connection* connection);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    db::Connection* connection_ = nullptr;
};

class QuestionGenerator {
public:
    // `random` defaults to the platform's generator at each draw.
    explicit QuestionGenerator(const data::CatalogLists& lists, RandomSeam* random = nullptr);

    // The folder of a randomly drawn active aircraft; empty when 10000
    // draws found none. Reseeds the generator first.
    QString RandomAircraftFolder();

    // Fills the six partner lists for `folder`, reading the pairs and
    // aircraft sets of the static database (the Captain's Challenge) or of
    // the user database.
    void LoadHardAndDontAskPartners(const QString& folder, bool useStaticDatabase);

    // One distractor by the priority table: `second` false for the first
    // distractor (must differ from `correct`), true for the second (must
    // also differ from `first`). At most 1000 draws.
    QString drawDistractor(bool second, bool isHardDifficulty, const QString& correct, const QString& first);

    // A whole question: correct aircraft, partners, both distractors, the
    // correct slot, the slot order. With "Focus on my weak spots" chosen
    // (never in the Captain's Challenge) and a focus source present, the
    // correct aircraft is drawn by the source's weights and the first
    // distractor is the aircraft the user most often took it for.
    QuestionDraw draw(bool isHardDifficulty, bool isCaptainsChallenge);

    // The correct aircraft drawn among the active ones with the source's
    // weights; empty when no active aircraft has a weight above 0.
    QString WeightedAircraftFolder(FocusSource& focus);
    // The user's most frequent confusion for `correct` that may be asked with
    // it now: active, and not a never partner. Empty when there is none.
    QString FocusedFirstDistractor(FocusSource& focus, const QString& correct);

    // A source of this generator's own instead of the program's.
    void setFocusSource(FocusSource* source) { focus_ = source; ownFocus_ = true; }

    const PartnerLists& partners() const { return partners_; }
    // The list a source names (the catalogue lists for Active and All).
    const QStringList& sourceList(DistractorSource source) const;
    // Where the last draw of a second distractor came from.
    DistractorSource lastSecondSource() const { return lastSecondSource_; }

private:
    RandomSeam& rng() const;
    DistractorSource chooseSource(bool second, bool isHardDifficulty) const;

    const data::CatalogLists& lists_;
    RandomSeam* random_;
    PartnerLists partners_;
    DistractorSource lastSecondSource_ = DistractorSource::All;
    FocusSource* focus_ = nullptr;
    bool ownFocus_ = false;
};

} // namespace sky::quiz
