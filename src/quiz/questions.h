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
    // correct slot, the slot order.
    QuestionDraw draw(bool isHardDifficulty, bool isCaptainsChallenge);

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
};

} // namespace sky::quiz
