// The options window's work on the user database, as plain code: the
// active and inactive lists, moving aircraft between them, an aircraft's
// set memberships, its similar pairs and the restore of the catalogue's
// defaults. The window only wires its controls to these.
//
//   AircraftLists lists = FillAircraftLists();
//   MoveAircraft(1, true, lists.lstInactive, {});   // "All Aircraft" -> active
//   SetSimilarityHARD(otherId, currentId);
//
// Every write runs in one transaction on the user database, so a statement
// that fails leaves the database as it was; failures are thrown as SkyError.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace sky::options {

constexpr int kSetCount = 8;
constexpr int kGridRows = 8;

// The caption of set s (0..7) on its checkbox and its Add/Remove row;
// empty for any other index.
QString SetCaption(int s);

// The three lists of the window; lstAllAircraftIDs is parallel to
// lstAllAircraft and tells aircraft of the same name apart.
struct AircraftLists {
    QStringList lstActive;
    QStringList lstInactive;
    QStringList lstAllAircraft;
    QList<int> lstAllAircraftIDs;
};

AircraftLists FillAircraftLists();

// isACTIVE of every aircraft whose trimmed type name is the trimmed name.
void SetAircraftActive(const QString& typeName, bool active);

// Button k of the Add (makeActive) or Remove side. k 0: the selected
// positions of `source`; k 1: every entry of `source`; k >= 2: every
// aircraft of set k - 2, whichever list it is in.
void MoveAircraft(int k, bool makeActive, const QStringList& source, const QList<int>& selected);

// One aircraft of the user database as the window shows it.
struct AircraftRecord {
    bool found = false;
    int id = 0;
    QString folder;
    QString type;
    std::array<bool, kSetCount> sets{};
};

// The aircraft named `name` (matched trimmed); of several rows of that name
// the one whose AirplaneID is `preferredId`, else the first.
AircraftRecord ReadAircraftByName(const QString& name, int preferredId = 0);

void SaveSetMemberships(int airplaneId, const std::array<bool, kSetCount>& sets);

void DeleteAllSimilarities(int id);
// Puts one aircraft's sets and similar pairs back to the catalogue's.
void RestoreAircraftDefaults(const QString& folder);
// The same for every aircraft of the user database, all at once or not at
// all.
void RestoreAllAircraftDefaults();

// Pair status as the grid shows it.
enum SimilarityCode { kNeutral = 0, kHard = 1, kNever = 2 };
int SimilarityStatus(int a, int b);
void SetSimilarityHARD(int a, int b);
void SetSimilarityNEVER(int a, int b);
void DeleteSimilarity(int a, int b);

// The grid's hidden lists for the aircraft shown (id, folder).
struct SimilarityLists {
    QStringList lstOtherAircraft;
    QStringList lstOtherAircraftIDs;
    QStringList lstAskStatus;
};
SimilarityLists LoadSimilarityLists(int currentId, const QString& currentFolder);

// What SetupSimilarityGrid shows for n other aircraft.
struct GridSetup {
    int visibleRows = 0;
    bool scrollVisible = false;
    int scrollMax = 0;
};
GridSetup SetupSimilarityGrid(int n);

} // namespace sky::options
