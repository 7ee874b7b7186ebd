#include "support/fixtures.h"

#include "data/databases.h"
#include "data/db.h"
#include "data/schema.h"
#include "shell/appstate.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <stdexcept>

namespace sky::fixtures {

DataFolder::DataFolder() : previousProgramFolder_(ProgramFolder) {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
    QDir().mkpath(dataPath());
    ProgramFolder = dir_.path();
    SetInstallFolderForTests(dir_.path());
}

DataFolder::~DataFolder() {
    db::Connection::SetStatementHook({});
    db::CloseDatabases();
    ProgramFolder = previousProgramFolder_;
    SetInstallFolderForTests(QString());
}

void DataFolder::createStaticAndUser() {
    db::CloseDatabases();
    db::CreateDatabaseFile(db::StaticDatabasePath(), db::DbKind::Static);
    db::CreateDatabaseFile(db::UserDatabasePath(), db::DbKind::User);
    db::OpenDatabases();
}

namespace {

// Runs `body` in a transaction of its own unless one is already open.
template <typename F>
void inTransaction(db::Connection& c, F body) {
    const bool own = !c.inTransaction();
    if (own) c.BeginTrans();
    try {
        body();
        if (own) c.CommitTrans();
    } catch (...) {
        if (own) c.RollbackTrans();
        throw;
    }
}

} // namespace

void InsertAircraft(db::Connection& connection, const QVector<AircraftRow>& rows) {
    inTransaction(connection, [&] {
        db::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM AIRCRAFT WHERE AirplaneID=0"), connection, db::adOpenDynamic);
        const QStringList& sets = db::AircraftSetColumns();
        for (const AircraftRow& r : rows) {
            rs.addNew();
            rs.fields(QStringLiteral("AirplaneID")).setValue(r.id);
            rs.fields(QStringLiteral("AIRPLANETYPE")).setValue(r.type);
            rs.fields(QStringLiteral("FOLDER")).setValue(r.folder);
            rs.fields(QStringLiteral("ISACTIVE")).setValue(r.active);
            for (int i = 0; i < sets.size() && i < r.sets.size(); ++i) rs.fields(sets[i]).setValue(r.sets[i]);
            rs.fields(QStringLiteral("LIBRARYHTML")).setValue(r.html);
            rs.fields(QStringLiteral("NameImage")).setValue(r.nameImage);
            rs.update();
        }
        rs.close();
    });
}

void InsertPairs(db::Connection& connection, const QVector<PairRow>& pairs) {
    inTransaction(connection, [&] {
        db::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM SIMILARAIRCRAFT WHERE AIRCRAFTID=0"), connection, db::adOpenDynamic);
        for (const PairRow& p : pairs) {
            rs.addNew();
            rs.fields(QStringLiteral("AIRCRAFTID")).setValue(p.aircraftId);
            rs.fields(QStringLiteral("SIMILARAIRCRAFTID")).setValue(p.similarId);
            rs.fields(QStringLiteral("ASK")).setValue(p.ask);
            rs.update();
        }
        rs.close();
    });
}

void InsertTextConstant(db::Connection& connection, const QVariant& name, const QVariant& data) {
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM TEXTCONSTANTS"), connection, db::adOpenDynamic);
    rs.addNew();
    rs.fields(QStringLiteral("TEXTCONSTANTNAME")).setValue(name);
    rs.fields(QStringLiteral("TEXTCONSTANTDATA")).setValue(data);
    rs.update();
    rs.close();
}

void CreatePictureDatabase(const QString& folder, const QList<QByteArray>& photos) {
    const QString path = db::PictureDatabasePath(folder);
    db::CreateDatabaseFile(path, db::DbKind::Pictures);
    db::Connection c;
    db::OpenProgramDatabase(c, path);
    inTransaction(c, [&] {
        db::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM IMAGES"), c, db::adOpenDynamic);
        int id = 100;
        for (const QByteArray& photo : photos) {
            rs.addNew();
            rs.fields(QStringLiteral("ID")).setValue(id++);
            rs.fields(QStringLiteral("Image")).setValue(photo.isNull() ? QVariant() : QVariant(photo));
            rs.update();
        }
        rs.close();
    });
    c.Close();
}

namespace {
QByteArray encode(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", quality)) throw std::runtime_error("JPEG encoding is not available");
    return bytes;
}
} // namespace

QByteArray MakeJpeg(int width, int height, const QColor& color, int quality) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return encode(image, quality);
}

QByteArray MakePhotoJpeg(int seed, int width, int height, int quality) {
    QRandomGenerator rng(static_cast<quint32>(seed) * 7919u + 17u);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor::fromHsv(200 + rng.bounded(30), 120 + rng.bounded(80), 200 + rng.bounded(55)));
    sky.setColorAt(0.7, QColor::fromHsv(190 + rng.bounded(30), 30 + rng.bounded(40), 230));
    sky.setColorAt(1, QColor::fromHsv(90 + rng.bounded(40), 80, 90 + rng.bounded(60)));
    p.fillRect(image.rect(), sky);
    // Clouds.
    for (int i = 0; i < 12; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 60 + rng.bounded(120)));
        p.drawEllipse(QPointF(rng.bounded(width), rng.bounded(height / 2)), 40 + rng.bounded(160), 15 + rng.bounded(50));
    }
    // A fuselage with wings and a tail.
    const double cx = width * (0.3 + rng.bounded(40) / 100.0), cy = height * (0.35 + rng.bounded(30) / 100.0);
    const double len = width * (0.35 + rng.bounded(25) / 100.0);
    p.translate(cx, cy);
    p.rotate(-15 + rng.bounded(30));
    p.setBrush(QColor::fromHsv(rng.bounded(360), rng.bounded(60), 150 + rng.bounded(100)));
    p.setPen(QPen(QColor(40, 40, 50), 2));
    p.drawRoundedRect(QRectF(-len / 2, -len / 24, len, len / 12), len / 24, len / 24);
    QPainterPath wing;
    wing.moveTo(-len * 0.05, 0);
    wing.lineTo(len * 0.1, len * 0.35);
    wing.lineTo(len * 0.18, len * 0.35);
    wing.lineTo(len * 0.12, 0);
    wing.closeSubpath();
    p.drawPath(wing);
    QPainterPath tail;
    tail.moveTo(-len * 0.5, 0);
    tail.lineTo(-len * 0.55, -len * 0.16);
    tail.lineTo(-len * 0.45, -len * 0.16);
    tail.lineTo(-len * 0.38, 0);
    tail.closeSubpath();
    p.drawPath(tail);
    p.end();
    // Grain, as a real photograph has, so the file is of a realistic size.
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = static_cast<int>(rng.bounded(17)) - 8;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    return encode(image, quality);
}

QStringList DumpTable(db::Connection& connection, const QString& table) {
    QStringList lines;
    db::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM ") + table, connection, db::adOpenForwardOnly);
    while (!rs.eof()) {
        QStringList cells;
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const db::Field f = rs.fields(i);
            const QVariant v = f.value();
            QString text;
            if (v.isNull()) text = QStringLiteral("<null>");
            else if (v.typeId() == QMetaType::QByteArray) text = QString::fromLatin1(v.toByteArray().toHex());
            else text = v.toString();
            cells << f.name() + QLatin1Char('=') + text;
        }
        lines << cells.join(QLatin1Char('|'));
        rs.moveNext();
    }
    rs.close();
    lines.sort();
    return lines;
}

} // namespace sky::fixtures
