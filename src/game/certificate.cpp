#include "game/certificate.h"

#include "game/frmUserDetails.h"
#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/folders.h"
#include "shell/helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>

namespace sky::game {

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7f && c < 0xa0); }

} // namespace

QString CertificateSafeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'(': out += QLatin1Char('['); break;
        case U')': out += QLatin1Char(']'); break;
        case U'\\': out += QLatin1Char('/'); break;
        default:
            if (c > 0xff || IsControl(c))
                out += QLatin1Char('?');
            else
                out += QChar(static_cast<char16_t>(c));
        }
    }
    return out;
}

QString FileNameSafe(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        out += (c == u'/' || c == u'\\' || IsControl(c)) ? QChar(u'_') : ch;
    }
    return out;
}

QString CertificateFileName(const QString& first, const QString& last) {
    QString a = FileNameSafe(first);
    QString b = FileNameSafe(last);
    const auto name = [&] { return QStringLiteral("Certificate_") + a + QLatin1Char('_') + b + QStringLiteral(".pdf"); };
    // File systems take at most 255 bytes for a name: shorten the longer
    // part, one whole character at a time, until it fits.
    while (name().toUtf8().size() > 255) {
        QString& longer = a.size() >= b.size() ? a : b;
        longer.chop(longer.size() >= 2 && longer.at(longer.size() - 1).isLowSurrogate() ? 2 : 1);
    }
    return name();
}

QString CertificateDateText(const QDate& date) {
    return QLocale().standaloneMonthName(date.month(), QLocale::LongFormat) + QLatin1Char(' ') + QString::number(date.day()) +
           QStringLiteral(", ") + QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
}

QString CertificateFields(const QString& nameText, const QString& dateText) {
    const QString fs = QStringLiteral("@#$%");
    // A text may not carry the separators: they would split it.
    const auto clean = [&fs](QString t) {
        t.replace(fs, QStringLiteral("@#$?"));
        t.replace(QLatin1Char('\r'), QLatin1Char('?'));
        t.replace(QLatin1Char('\n'), QLatin1Char('?'));
        return t;
    };
    return QString::number(kCertificateNameAt) + fs + QString::number(kCertificateNameWidth) + fs + clean(nameText) +
           QStringLiteral("\r\n") + QString::number(kCertificateDateAt) + fs + QString::number(kCertificateDateWidth) +
           fs + clean(dateText);
}

namespace {

QString TemplatePath() { return CatPathA(InstallFolder(), QStringLiteral("skrcert.fdp")); }

// Fills the template into a file beside `output` and then puts it in its
// place, so that a failure half way never leaves a cut certificate behind
// nor destroys the one already there.
void WriteCertificateFile(const QString& output, const QDate& today) {
    const QString name = CertificateSafeText(UserFirstName + QLatin1Char(' ') + UserLastName);
    const QString date = CertificateSafeText(CertificateDateText(today));
    // A short name of its own beside the output, whatever the output's
    // name length.
    const QString partial = QFileInfo(output).absolutePath() + QStringLiteral("/.certificate-being-written.partial");
    try {
        FillTemplate(TemplatePath(), partial, CertificateFields(name, date), QStringLiteral("\r\n"),
                     QStringLiteral("@#$%"));
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(output).constData()) != 0) {
        QFile::remove(partial);
        throw SkyError(75, QStringLiteral("Path/File access error: ") + output);
    }
}

} // namespace

QString DefaultCertificatePath() {
    return CatPathA(GetDocumentsFolder(), CertificateFileName(UserFirstName, UserLastName));
}

bool CertificateTemplateUsable() {
    const QFileInfo info(TemplatePath());
    return info.isFile() && info.isReadable() && info.size() >= kCertificateNameAt + kCertificateNameWidth &&
           info.size() >= kCertificateDateAt + kCertificateDateWidth;
}

QString WriteCertificate(const QDate& today) {
    const QString documents = GetDocumentsFolder();
    if (documents.isEmpty())
        throw SkyError(kErrPathNotFound, QStringLiteral("This computer names no documents folder."));
    // A user without a documents folder yet gets one.
    if (!FolderExists(documents) && !MakeFolderPath(documents))
        throw SkyError(kErrPathNotFound, QStringLiteral("Path not found: ") + documents);
    const QString output = DefaultCertificatePath();
    WriteCertificateFile(output, today);
    OpenDocument(output);
    return output;
}

QString WriteCertificateTo(const QString& path, const QDate& today) {
    WriteCertificateFile(path, today);
    OpenDocument(path);
    return path;
}

} // namespace sky::game
