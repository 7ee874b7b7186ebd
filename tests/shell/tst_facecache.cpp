// Faces kept on disk between runs: a face is drawn once and read back after;
// faces of different recipes never stand in for each other; a damaged file
// is drawn again and replaced; a cache that cannot be written still gives
// the drawn face; the cache keeps the newest faces only.
#include "shell/facecache.h"
#include "shell/testdoubles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QtTest>

#include <cstring>

using namespace sky;

namespace {

// A face with something on every row, so a cut or shifted read shows.
QImage DrawFace(const QSize& size, const QColor& colour) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, size.width(), size.height() / 2), colour);
    p.fillRect(QRect(0, size.height() / 2, size.width() / 3, size.height() - size.height() / 2),
               QColor(10, 200, 30, 128));
    return img;
}

QStringList CachedFiles() {
    return QDir(FaceCacheFolder()).entryList({QStringLiteral("*.face")}, QDir::Files);
}

} // namespace

class TestFaceCache : public QObject {
    Q_OBJECT

private slots:
    void drawnOnceThenReadBack() {
        FakePlatform platform;
        int draws = 0;
        auto draw = [&draws] {
            ++draws;
            return DrawFace(QSize(120, 44), QColor(0x3d, 0x7e, 0xc9));
        };
        const QImage first = CachedFace(QStringLiteral("menu|Start|120x44"), draw);
        QCOMPARE(draws, 1);
        QCOMPARE(CachedFiles().size(), 1);
        const QImage again = CachedFace(QStringLiteral("menu|Start|120x44"), draw);
        QCOMPARE(draws, 1);
        QCOMPARE(again.size(), first.size());
        QCOMPARE(again.devicePixelRatio(), first.devicePixelRatio());
        QCOMPARE(again.convertToFormat(QImage::Format_ARGB32), first.convertToFormat(QImage::Format_ARGB32));
    }

    void recipesKeptApart_data() {
        QTest::addColumn<QString>("other");
        QTest::newRow("another caption") << QStringLiteral("menu|Exit|120x44");
        QTest::newRow("another size") << QStringLiteral("menu|Start|121x44");
        QTest::newRow("another state") << QStringLiteral("menu|Start|120x44|lit");
    }
    void recipesKeptApart() {
        QFETCH(QString, other);
        FakePlatform platform;
        CachedFace(QStringLiteral("menu|Start|120x44"), [] { return DrawFace(QSize(120, 44), Qt::red); });
        int draws = 0;
        const QImage face = CachedFace(other, [&draws] {
            ++draws;
            return DrawFace(QSize(120, 44), Qt::blue);
        });
        QCOMPARE(draws, 1);
        QCOMPARE(face.pixelColor(5, 5), QColor(Qt::blue));
        QCOMPARE(CachedFiles().size(), 2);
    }

    void damagedFileDrawnAgain_data() {
        QTest::addColumn<int>("damage");
        QTest::newRow("empty") << 0;
        QTest::newRow("cut short") << 1;
        QTest::newRow("not a face") << 2;
        QTest::newRow("header claims a huge face") << 3;
        QTest::newRow("one byte too many") << 4;
    }
    void damagedFileDrawnAgain() {
        QFETCH(int, damage);
        FakePlatform platform;
        const QString recipe = QStringLiteral("splash|520x220");
        const QImage drawn = CachedFace(recipe, [] { return DrawFace(QSize(52, 22), Qt::darkCyan); });
        const QString path = FaceCacheFolder() + QLatin1Char('/') + CachedFiles().value(0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        switch (damage) {
        case 0: bytes.clear(); break;
        case 1: bytes.chop(100); break;
        case 2: bytes = QByteArray(bytes.size(), 'x'); break;
        case 3: {
            const qint32 huge = 1 << 20;
            std::memcpy(bytes.data() + 8, &huge, sizeof huge);
            std::memcpy(bytes.data() + 12, &huge, sizeof huge);
            break;
        }
        case 4: bytes.append('\0'); break;
        }
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        int draws = 0;
        const QImage face = CachedFace(recipe, [&draws] {
            ++draws;
            return DrawFace(QSize(52, 22), Qt::darkCyan);
        });
        QCOMPARE(draws, 1);
        QCOMPARE(face.convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32));
        // The damaged file was replaced: the next start reads it again.
        CachedFace(recipe, [&draws] {
            ++draws;
            return QImage();
        });
        QCOMPARE(draws, 1);
    }

    void cacheThatCannotBeWrittenStillGivesTheFace() {
        FakePlatform platform;
        // A file where the cache folder's parent should be.
        QFile blocker(platform.folders.cachePath);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        int draws = 0;
        for (int i = 0; i < 2; ++i) {
            const QImage face = CachedFace(QStringLiteral("menu|Start|120x44"), [&draws] {
                ++draws;
                return DrawFace(QSize(120, 44), Qt::green);
            });
            QCOMPARE(face.pixelColor(1, 1), QColor(Qt::green));
        }
        QCOMPARE(draws, 2);
    }

    void oldestFacesGoFirst() {
        FakePlatform platform;
        const QDateTime base = QDateTime::currentDateTime().addDays(-1);
        QStringList known;
        for (int i = 0; i < kFaceCacheLimit + 5; ++i) {
            CachedFace(QStringLiteral("face %1").arg(i), [] { return DrawFace(QSize(8, 8), Qt::yellow); });
            // Each face older than the next, whatever the clock's grain.
            for (const QString& name : CachedFiles()) {
                if (known.contains(name)) continue;
                known << name;
                QFile f(FaceCacheFolder() + QLatin1Char('/') + name);
                QVERIFY(f.open(QIODevice::ReadWrite));
                QVERIFY(f.setFileTime(base.addSecs(i), QFileDevice::FileModificationTime));
            }
        }
        QCOMPARE(CachedFiles().size(), kFaceCacheLimit);
        int draws = 0;
        auto count = [&draws] {
            ++draws;
            return DrawFace(QSize(8, 8), Qt::yellow);
        };
        CachedFace(QStringLiteral("face %1").arg(kFaceCacheLimit + 4), count);
        QCOMPARE(draws, 0);
        CachedFace(QStringLiteral("face 0"), count);
        QCOMPARE(draws, 1);
    }
};

QTEST_MAIN(TestFaceCache)
#include "tst_facecache.moc"
