#include "data/pictures.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QFont>
#include <QImage>
#include <QPainter>

namespace sky::data {

using db::Connection;
using db::Recordset;

namespace {

// The picture a JPEG's bytes show; a null image when they are not one.
QImage decodeJpeg(const QByteArray& bytes) {
    QImage image;
    if (bytes.isEmpty() || !image.loadFromData(bytes, "JPG")) return QImage();
    return image;
}

// Puts the photograph into target. Bytes that do not decode show the
// unavailable face: a slot never keeps another aircraft's picture.
void showPhotograph(const QByteArray& bytes, PictureTarget* target) {
    if (!target) return;
    const QImage image = decodeJpeg(bytes);
    target->setPicture(image.isNull() ? PictureUnavailableFace() : image);
}

// Puts a name logo into target; bytes that do not decode leave it as it was.
void showLogo(const QByteArray& bytes, PictureTarget* target) {
    if (!target) return;
    const QImage image = decodeJpeg(bytes);
    if (!image.isNull()) target->setPicture(image);
}

void showUnavailable(PictureTarget* target) {
    if (target) target->setPicture(PictureUnavailableFace());
}

QByteArray wholeBinary(const db::Field& field) { return field.getChunk(field.actualSize()); }

} // namespace

int CountAircraftPictures(const QString& folder) {
    const QString path = db::PictureDatabasePath(folder);
    if (!FileExists(path)) return 0;
    // A picture database that cannot be opened or read (empty, cut short,
    // not a database) holds no photographs as far as the program is concerned.
    try {
        Connection connection;
        db::OpenProgramDatabase(connection, path);
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM IMAGES"), connection, db::adOpenKeyset, db::adLockOptimistic);
        int count = 0;
        if (!rs.eof()) {
            rs.moveFirst();
            rs.moveLast();
            count = rs.recordCount();
        }
        rs.close();
        connection.Close();
        return count;
    } catch (const SkyError&) {
        return 0;
    }
}

QImage PictureUnavailableFace() {
    static const QImage face = [] {
        QImage image(480, 320, QImage::Format_RGB32);
        image.fill(QColor(0x4a, 0x4f, 0x57));
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink(0xd8, 0xdc, 0xe2);
        // A picture frame, crossed out.
        const QRect frame(190, 70, 100, 76);
        p.setPen(QPen(ink, 5));
        p.drawRect(frame);
        p.drawLine(frame.topLeft() + QPoint(-12, -12), frame.bottomRight() + QPoint(12, 12));
        QFont font = p.font();
        font.setPixelSize(30);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(0, 170, 480, 50), Qt::AlignCenter, QStringLiteral("Picture unavailable"));
        return image;
    }();
    return face;
}

int LoadAircraftPicture(const QString& folder, int index, PictureTarget* target) {
    // No aircraft at all (an empty record): an empty slot.
    if (TrimBlanks(folder).isEmpty()) {
        if (target) target->setPicture(QImage());
        return 0;
    }
    const QString path = db::PictureDatabasePath(folder);
    if (!FileExists(path)) {
        showUnavailable(target);
        return 0;
    }
    QByteArray bytes;
    try {
        Connection connection;
        db::OpenProgramDatabase(connection, path);
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM IMAGES"), connection, db::adOpenKeyset, db::adLockOptimistic);
        if (rs.eof()) {
            showUnavailable(target);
            return 0;
        }
        rs.moveFirst();
        rs.moveLast();
        rs.moveFirst();
        const int n = rs.recordCount();
        if (index >= n || index < 0) {
            index = static_cast<int>(platform().random->next() * n);
            if (index >= n) index = n - 1;
        }
        for (int i = 0; i < index && !rs.eof(); ++i) rs.moveNext();
        if (rs.eof()) rs.movePrevious();
        bytes = wholeBinary(rs.fields(QStringLiteral("Image")));
        rs.close();
        connection.Close();
    } catch (const SkyError&) {
        showUnavailable(target);
        return 0;
    }
    showPhotograph(bytes, target);
    return index;
}

void LoadAircraftNameLogo(const QString& folder, PictureTarget* target) {
    Connection* user = db::UserDB();
    if (!user || !user->isOpen()) throw SkyError(db::kErrNotOpen, QStringLiteral("The user database is not open."));
    Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM AIRCRAFT WHERE trim(FOLDER)='") + DoubleSingleQuotes(TrimBlanks(folder)) +
                QStringLiteral("'"),
            *user, db::adOpenKeyset, db::adLockOptimistic);
    if (rs.eof()) return;
    const QByteArray bytes = wholeBinary(rs.fields(QStringLiteral("NameImage")));
    rs.close();
    showLogo(bytes, target);
}

} // namespace sky::data
