// Photographs and name logos: counting, choosing and showing them.
#pragma once

#include <QString>

namespace sky {
class PictureTarget;
}

namespace sky::data {

int CountAircraftPictures(const QString& folder);
// Shows photograph `index` (or a random one when index is outside the
// photographs) in target and returns the position shown; 0 and target
// unchanged when there is nothing to show.
int LoadAircraftPicture(const QString& folder, int index, PictureTarget* target);
void LoadAircraftNameLogo(const QString& folder, PictureTarget* target);

} // namespace sky::data
