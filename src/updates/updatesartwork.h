// Artwork of the two update windows, drawn in the shared palette.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace sky::updates::art {

// A heading strip with the given words in gold on navy.
QImage Heading(const QSize& size, const QString& words);
// The help-desk picture: a life ring with the words under it.
QImage HelpDeskFace(const QSize& size, bool hover);

} // namespace sky::updates::art
