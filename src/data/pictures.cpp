#include "data/pictures.h"

#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QImage>

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

// Puts the picture into target; bytes that do not decode leave the target's
// picture as it was, as a missing picture does.
void show(const QByteArray& bytes, PictureTarget* target) {
    if (!target) return;
    const QImage image = decodeJpeg(bytes);
    if (!image.isNull()) target->setPicture(image);
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

int LoadAircraftPicture(const QString& folder, int index, PictureTarget* target) {
    const QString path = db::PictureDatabasePath(folder);
    if (!FileExists(path)) return 0;
    QByteArray bytes;
    try {
        Connection connection;
        db::OpenProgramDatabase(connection, path);
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM IMAGES"), connection, db::adOpenKeyset, db::adLockOptimistic);
        if (rs.eof()) return 0;
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
        return 0;
    }
    show(bytes, target);
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
    show(bytes, target);
}

} // namespace sky::data
