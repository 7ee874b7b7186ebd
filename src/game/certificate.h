// The Captain's Challenge certificate: the template "skrcert.fdp" of the
// data folder with the user's name and today's date written into its two
// fixed fields, saved in the documents folder and opened in the viewer.
#pragma once

#include <QDate>
#include <QString>

namespace sky::game {

// Byte positions and widths of the template's two text fields.
constexpr int kCertificateNameAt = 1020218;
constexpr int kCertificateNameWidth = 30;
constexpr int kCertificateDateAt = 1020152;
constexpr int kCertificateDateWidth = 20;

// The text as it can stand inside a string of the certificate: "(" as "[",
// ")" as "]", "\" as "/", and every character that cannot be written as one
// byte of Latin-1 (or is a control character) as "?"; one character out for
// each character in, so the field keeps its width.
QString CertificateSafeText(const QString& text);
// A part of a file name with "/", "\", NUL and control characters as "_".
QString FileNameSafe(const QString& text);

// "Certificate_" + first + "_" + last + ".pdf", made safe as a file name
// and kept within the usual 255-byte limit of a file name.
QString CertificateFileName(const QString& first, const QString& last);
// Full month name in the user's language (its stand-alone form, as a
// calendar heading shows it, not the form some languages use inside a date), day without a leading zero,
// four-digit year: "March 7, 2024".
QString CertificateDateText(const QDate& date);
// The fields handed to FillTemplate for the name and date texts.
QString CertificateFields(const QString& nameText, const QString& dateText);

// Writes the certificate for UserFirstName and UserLastName dated `today`
// into the documents folder (made when it is missing), replacing a file of
// the same name, opens it with the platform's viewer and returns its path.
// A missing or short template or an unwritable folder raises SkyError.
QString WriteCertificate(const QDate& today = QDate::currentDate());
// The same certificate written to `path` of the user's choice, then opened.
QString WriteCertificateTo(const QString& path, const QDate& today = QDate::currentDate());
// Whether the template is there and long enough to hold both fields: when
// it is, a failure to write lies with the output folder, and another place
// may succeed.
bool CertificateTemplateUsable();
// Where the certificate goes by default: the documents folder and its name.
QString DefaultCertificatePath();

} // namespace sky::game
