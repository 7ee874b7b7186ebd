// Photographs and name logos: counting, choosing and showing them.
#pragma once

#include <QImage>
#include <QString>

namespace sky {
class PictureTarget;
}

namespace sky::data {

int CountAircraftPictures(const QString& folder);
// Shows photograph `index` (or a random one when index is outside the
// photographs) in target and returns the position shown. When there is no
// photograph to show (no picture database, none in it, one that cannot be
// read or decoded) target shows PictureUnavailableFace(), never the picture
// it showed before, and the result is 0 (or the position of the photograph
// that did not decode).
int LoadAircraftPicture(const QString& folder, int index, PictureTarget* target);
void LoadAircraftNameLogo(const QString& folder, PictureTarget* target);

// What a picture slot shows in place of a photograph that cannot be shown:
// a grey card with a crossed-out frame and the words "Picture unavailable".
QImage PictureUnavailableFace();

} // namespace sky::data
