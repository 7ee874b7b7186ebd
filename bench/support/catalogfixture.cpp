#include "catalogfixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QVector>

#include <stdexcept>

namespace sky::fixture {

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
}

} // namespace

QByteArray MakeJpeg(int seed, QSize size, int quality) {
    QRandomGenerator rng(static_cast<quint32>(seed) * 2654435761u + 17u);
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = size.width(), h = size.height();
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor::fromHsv(200 + rng.bounded(30), 120 + rng.bounded(80), 200 + rng.bounded(55)));
    sky.setColorAt(1, QColor::fromHsv(190 + rng.bounded(30), 40 + rng.bounded(40), 230 + rng.bounded(25)));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) { // clouds
        p.setBrush(QColor(255, 255, 255, 60 + rng.bounded(120)));
        p.drawEllipse(QPointF(rng.bounded(w), rng.bounded(h / 2)), 20 + rng.bounded(60), 8 + rng.bounded(20));
    }
    p.setBrush(QColor::fromHsv(80 + rng.bounded(40), 90, 90 + rng.bounded(60)));
    p.drawRect(0, h * 3 / 4, w, h / 4);
    // The aircraft: fuselage, wings and fin, at a random place and angle.
    p.translate(w * (0.3 + rng.bounded(40) / 100.0), h * (0.3 + rng.bounded(30) / 100.0));
    p.rotate(rng.bounded(30) - 15);
    const qreal L = w * (0.35 + rng.bounded(20) / 100.0);
    p.setBrush(QColor::fromHsv(rng.bounded(360), 30 + rng.bounded(60), 200 + rng.bounded(55)));
    p.drawRoundedRect(QRectF(-L / 2, -L / 18, L, L / 9), L / 18, L / 18);
    QPainterPath wing;
    wing.moveTo(-L / 10, 0);
    wing.lineTo(L / 12, L * 0.35);
    wing.lineTo(L / 6, L * 0.35);
    wing.lineTo(L / 10, 0);
    wing.closeSubpath();
    p.drawPath(wing);
    QPainterPath fin;
    fin.moveTo(-L / 2 + L / 20, 0);
    fin.lineTo(-L / 2, -L / 5);
    fin.lineTo(-L / 2 + L / 10, -L / 5);
    fin.lineTo(-L / 2 + L / 5, 0);
    fin.closeSubpath();
    p.setBrush(QColor::fromHsv(rng.bounded(360), 200, 180));
    p.drawPath(fin);
    p.resetTransform();
    p.end();
    // Grain, as a photograph has: it also brings the file to a realistic size.
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(13)) - 6;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

QByteArray TagJpeg(const QByteArray& jpeg, const QByteArray& tag) {
    const int length = tag.size() + 2;
    QByteArray segment("\xFF\xFE", 2);
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(tag);
    QByteArray out = jpeg;
    out.insert(2, segment);
    return out;
}

QString GeneratedFolder(int i) { return QStringLiteral("G%1").arg(i, 3, 10, QLatin1Char('0')); }
QString GeneratedName(int i) { return QStringLiteral("Generated Type %1").arg(i, 3, 10, QLatin1Char('0')); }

CatalogSource GenerateCatalogSource(const QString& root, const CatalogSpec& spec) {
    CatalogSource out;
    out.source = QDir(root).filePath("source");
    out.photosDir = QDir(root).filePath("photos");
    QDir().mkpath(out.source);
    QDir().mkpath(out.photosDir);

    QVector<QByteArray> pool;
    for (int k = 0; k < qMax(1, spec.distinctPictures); ++k) pool << MakeJpeg(k, spec.pictureSize, spec.quality);

    const QStringList setColumns = {"isUSA", "isEurope", "isUSSR", "isLargeJet",
                                    "isSmallJet", "isCorporateJet", "isPropAirline", "isPropOther"};
    QJsonArray aircraft;
    for (int i = 0; i < spec.aircraft; ++i) {
        const QString folder = GeneratedFolder(i), name = GeneratedName(i);
        out.folders << folder;
        out.names << name;
        for (int k = 0; k < spec.photosPerAircraft; ++k) {
            const QByteArray photo = TagJpeg(pool[(i * 7 + k) % pool.size()], (folder + '/' + QString::number(k)).toLatin1());
            writeFile(QDir(out.photosDir).filePath(QStringLiteral("%1/%2.jpg").arg(folder).arg(k + 1, 2, 10, QLatin1Char('0'))),
                      photo);
            out.photoBytes += photo.size();
        }
        QJsonObject a;
        a["id"] = i + 1;
        a["folder"] = folder;
        a["name"] = name;
        a["active"] = i % 5 != 4;
        QJsonObject sets;
        sets[setColumns[i % 8]] = true;
        if (i % 3 == 0) sets[setColumns[(i / 3) % 8]] = true;
        a["sets"] = sets;
        if (spec.allDescriptionsAsFiles || i % 3 != 2) {
            const QString page = QStringLiteral("pages/%1.html").arg(folder);
            writeFile(QDir(out.source).filePath(page),
                      QStringLiteral("<html><body><h1>%1</h1><p>It's aircraft number %2.</p></body></html>\n")
                          .arg(name)
                          .arg(i)
                          .toUtf8());
            a["description"] = QJsonObject{{"file", page}};
        } else {
            a["description"] = QJsonObject{{"url", QStringLiteral("https://example.com/types/%1").arg(folder)}};
        }
        a["photos"] = folder;
        aircraft.append(a);
    }
    QJsonArray pairs;
    for (int i = 0; i + 1 < spec.aircraft; i += 2)
        pairs.append(QJsonObject{{"a", GeneratedFolder(i)}, {"b", GeneratedFolder(i + 1)}, {"ask", i % 4 == 0 ? "hard" : "never"}});
    writeFile(QDir(out.source).filePath("faq.html"), "<html><body><h1>Questions</h1><p>Pilot's answers.</p></body></html>\n");
    QJsonObject manifest;
    manifest["textConstants"] = QJsonObject{{"FAQ", QJsonObject{{"file", "faq.html"}}},
                                        {"LastMod_0", QJsonObject{{"text", "2026-12-11 1"}}}};
    manifest["aircraft"] = aircraft;
    manifest["pairs"] = pairs;
    writeFile(QDir(out.source).filePath("catalog.json"), QJsonDocument(manifest).toJson());
    return out;
}

} // namespace sky::fixture
