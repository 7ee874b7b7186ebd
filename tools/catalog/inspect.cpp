// A readable account of a database file, for the catalogue's maker.
#include "catalog.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QTextStream>

namespace sky::catalog {

namespace {

using sky::db::Connection;
using sky::db::Recordset;

QStringList tables(Connection& c) {
    QStringList names;
    Recordset rs;
    rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), c);
    for (; !rs.eof(); rs.moveNext()) names << rs.fields(0).text().toUpper();
    return names;
}

// One line of a long text: its start, with line breaks shown as spaces.
QString excerpt(const QString& text, int width = 60) {
    QString s = text.simplified();
    if (s.size() > width) s = s.left(width - 3) + QStringLiteral("...");
    return s;
}

QString pictureSummary(const QString& catalogPath, const QString& folder) {
    const QString path = QFileInfo(catalogPath).dir().filePath(QStringLiteral("DATA/") + folder.trimmed() + ".skr");
    if (!QFileInfo(path).isFile()) return QStringLiteral("no picture database");
    try {
        Connection c;
        sky::db::OpenProgramDatabase(c, path);
        Recordset rs;
        rs.Open(QStringLiteral("SELECT ID FROM IMAGES"), c);
        const int n = rs.recordCount();
        return QStringLiteral("%1 picture%2").arg(n).arg(n == 1 ? "" : "s");
    } catch (const SkyError& e) {
        return QStringLiteral("picture database unreadable (%1)").arg(e.description());
    }
}

void describeCatalog(Connection& c, const QString& path, const QStringList& present, QTextStream& out) {
    QHash<int, QString> folderOf;
    if (present.contains("AIRCRAFT")) {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM AIRCRAFT ORDER BY AirplaneID"), c);
        out << "Aircraft: " << rs.recordCount() << "\n";
        const QStringList& sets = sky::db::AircraftSetColumns();
        for (; !rs.eof(); rs.moveNext()) {
            const int id = rs["AirplaneID"].value().toInt();
            const QString folder = rs["FOLDER"].text();
            folderOf.insert(id, folder.trimmed());
            QStringList member;
            for (const QString& s : sets)
                if (rs[s].value().toBool()) member << s;
            const QString html = rs["LIBRARYHTML"].text();
            const QByteArray logo = rs["NameImage"].value().toByteArray();
            const QImage logoImage = QImage::fromData(logo, "JPEG");
            out << QStringLiteral("  %1  %2  %3\n").arg(id, 3).arg(folder, -6).arg(rs["AIRPLANETYPE"].text());
            out << "       " << (rs["ISACTIVE"].value().toBool() ? "active" : "inactive") << "; sets: "
                << (member.isEmpty() ? QStringLiteral("none") : member.join(", ")) << "\n";
            out << "       " << pictureSummary(path, folder) << "; description: "
                << (html.isEmpty() ? QStringLiteral("none")
                    : html.startsWith(QLatin1String("http"), Qt::CaseInsensitive)
                        ? html
                        : QStringLiteral("%1 characters of HTML").arg(html.size()))
                << "; name logo: "
                << (logo.isEmpty() ? QStringLiteral("none")
                    : logoImage.isNull()
                        ? QStringLiteral("%1 bytes, not a picture").arg(logo.size())
                        : QStringLiteral("%1 x %2, %3 bytes")
                              .arg(logoImage.width())
                              .arg(logoImage.height())
                              .arg(logo.size()))
                << "\n";
        }
    }
    if (present.contains("SIMILARAIRCRAFT")) {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM SIMILARAIRCRAFT"), c);
        out << "Similar pairs: " << rs.recordCount() << "\n";
        for (; !rs.eof(); rs.moveNext()) {
            const int a = rs["AIRCRAFTID"].value().toInt(), b = rs["SIMILARAIRCRAFTID"].value().toInt();
            out << QStringLiteral("  %1 - %2  %3\n")
                       .arg(folderOf.value(a, QStringLiteral("#%1").arg(a)), -6)
                       .arg(folderOf.value(b, QStringLiteral("#%1").arg(b)), -6)
                       .arg(rs["ASK"].value().toBool() ? "hard" : "never");
        }
    }
    if (present.contains("TEXTCONSTANTS")) {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM TEXTCONSTANTS"), c);
        out << "Text constants: " << rs.recordCount() << "\n";
        for (; !rs.eof(); rs.moveNext()) {
            const QString value = rs["TEXTCONSTANTDATA"].text();
            out << QStringLiteral("  %1 = %2 (%3 characters)\n")
                       .arg(rs["TEXTCONSTANTNAME"].text(), excerpt(value))
                       .arg(value.size());
        }
    }
}

void describePictures(Connection& c, QTextStream& out) {
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM IMAGES"), c);
    out << "Images: " << rs.recordCount() << "\n";
    qint64 total = 0;
    for (int position = 0; !rs.eof(); rs.moveNext(), ++position) {
        const QByteArray bytes = rs["Image"].value().toByteArray();
        total += bytes.size();
        const QImage image = QImage::fromData(bytes, "JPEG");
        out << QStringLiteral("  #%1  ID %2  %3 bytes  %4\n")
                   .arg(position, 3)
                   .arg(rs["ID"].text(), 7)
                   .arg(bytes.size(), 8)
                   .arg(image.isNull() ? QStringLiteral("not a picture")
                                       : QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()));
    }
    out << "Total: " << total << " bytes\n";
}

} // namespace

QString InspectFile(const QString& path) {
    Connection c;
    sky::db::OpenProgramDatabase(c, path);
    const QStringList present = tables(c);
    QString text;
    QTextStream out(&text);
    out << path << "\n";
    if (present.contains("IMAGES")) {
        out << "Picture database\n";
        describePictures(c, out);
    } else {
        out << (present.contains("TEXTCONSTANTS") ? "Catalogue database\n" : "Database\n");
        describeCatalog(c, path, present, out);
    }
    out.flush();
    return text;
}

} // namespace sky::catalog
