// Brings the user database in line with the catalogue.
#pragma once

#include <QStringList>

namespace sky::data {

// The folders newly copied by the last synchronisation.
QStringList& lstNewAircraft();

void SynchronizeUserDataWithStaticDB();
void SetSimilarAircraftPair(const QString& folder1, const QString& folder2, bool ask);
void SetSimilarAircraftPairByID(int id1, int id2, bool ask);

} // namespace sky::data
