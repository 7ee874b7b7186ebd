// The certificate template: a one-page PDF certificate of completion of the
// Captain's Challenge, written by hand so that the two text fields the
// program fills in sit at fixed byte positions of its content stream.
// Both fields are drawn in Courier (every character the same width), so a
// text centred in its field with spaces is centred on the page.
#pragma once

#include "game/certificate.h"

#include <QByteArray>
#include <QString>

namespace sky::certificate {

// The fields where the program writes them.
constexpr qint64 kDateOffset = sky::game::kCertificateDateAt;
constexpr int kDateWidth = sky::game::kCertificateDateWidth;
constexpr qint64 kNameOffset = sky::game::kCertificateNameAt;
constexpr int kNameWidth = sky::game::kCertificateNameWidth;
// The template is at least this long (the end of the name field).
constexpr qint64 kMinimumSize = kNameOffset + kNameWidth;

// The template's bytes, with both fields blank (spaces).
QByteArray BuildTemplate();
// Writes the template to `path`; false and `error` set on failure.
bool WriteTemplate(const QString& path, QString* error = nullptr);

} // namespace sky::certificate
