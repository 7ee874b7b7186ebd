// Counting photographs, showing a chosen or random one, and name logos.
#include "data/catalog.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/pictures.h"
#include "shell/errors.h"
#include "shell/appstate.h"
#include "shell/picturebox.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace sky;
using namespace sky::data;

namespace {

// A picture control that remembers how often it was given a picture.
class FakeTarget : public PictureTarget {
public:
    void setPicture(const QImage& image) override {
        image_ = image;
        ++sets;
    }
    QImage picture() const override { return image_; }
    int sets = 0;

private:
    QImage image_;
};

// Far-apart colours, so each photograph is recognised after JPEG coding.
const QList<QColor> kColours = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};

// The position of the photograph whose colour the image shows; -1 if none.
int shownPosition(const QImage& image) {
    if (image.isNull()) return -1;
    const QColor c = image.pixelColor(image.width() / 2, image.height() / 2);
    for (int i = 0; i < kColours.size(); ++i) {
        const QColor k = kColours[i];
        if (qAbs(c.red() - k.red()) < 40 && qAbs(c.green() - k.green()) < 40 && qAbs(c.blue() - k.blue()) < 40)
            return i;
    }
    return -1;
}

QList<QByteArray> fivePhotos() {
    QList<QByteArray> photos;
    for (const QColor& c : kColours) photos << fixtures::MakeJpeg(32, 24, c);
    return photos;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QImage previousPicture() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

bool noTemporaryFiles() {
    const QDir dir(ProgramFolder);
    return !dir.exists("TempAircraft.jpg") && !dir.exists("TempLogo.jpg");
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void chosenAndRandomPositions_data();
    void chosenAndRandomPositions();
    void randomPositionShownAgain();
    void badPictureDatabase_data();
    void badPictureDatabase();
    void corruptPhotograph_data();
    void corruptPhotograph();
    void folderWithQuotesBlanksAndNonAscii();
    void nameLogo_data();
    void nameLogo();
    void logoNeedsTheUserDatabase();
    void unavailableFaceIsClear();
    void noAircraftLeavesSlotEmpty();
};

void TestPictures::chosenAndRandomPositions_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("random"); // the next random number queued
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("randomUsed");
    QTest::newRow("first") << 0 << 0.9 << 0 << false;
    QTest::newRow("middle") << 2 << 0.9 << 2 << false;
    QTest::newRow("last") << 4 << 0.1 << 4 << false;
    QTest::newRow("-1, low") << -1 << 0.0 << 0 << true;
    QTest::newRow("-1, middle") << -1 << 0.5 << 2 << true;
    QTest::newRow("-1, just below 0.4") << -1 << 0.3999 << 1 << true;
    QTest::newRow("-1, high") << -1 << 0.99999 << 4 << true;
    QTest::newRow("one past the end is random") << 5 << 0.2 << 1 << true;
    QTest::newRow("far past the end") << 1000 << 0.7 << 3 << true;
    QTest::newRow("other negative") << -5 << 0.6 << 3 << true;
}

void TestPictures::chosenAndRandomPositions() {
    QFETCH(int, index);
    QFETCH(double, random);
    QFETCH(int, expected);
    QFETCH(bool, randomUsed);
    FakePlatform platform;
    fixtures::DataFolder data;
    fixtures::CreatePictureDatabase("B747", fivePhotos());
    QCOMPARE(CountAircraftPictures("B747"), 5);

    platform.random.queue({random, 0.123});
    FakeTarget target;
    QCOMPARE(LoadAircraftPicture("B747", index, &target), expected);
    QCOMPARE(target.sets, 1);
    QCOMPARE(shownPosition(target.picture()), expected);
    // A valid position draws no random number.
    QCOMPARE(platform.random.next(), randomUsed ? 0.123 : random);
    QVERIFY(noTemporaryFiles());
}

void TestPictures::randomPositionShownAgain() {
    FakePlatform platform;
    fixtures::DataFolder data;
    fixtures::CreatePictureDatabase("B747", fivePhotos());
    platform.random.queue({0.65});
    PictureBox box;
    const int position = LoadAircraftPicture("B747", -1, &box);
    QCOMPARE(position, 3);
    const QImage first = box.picture();
    box.clearPicture();
    QCOMPARE(LoadAircraftPicture("B747", position, &box), position);
    QCOMPARE(box.picture(), first);
}

void TestPictures::badPictureDatabase_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("no photographs") << "empty table";
    QTest::newRow("empty file") << "empty file";
    QTest::newRow("not a database") << "text";
    QTest::newRow("cut short") << "truncated";
    QTest::newRow("a folder of that name") << "folder";
}

void TestPictures::badPictureDatabase() {
    QFETCH(QString, kind);
    FakePlatform platform;
    fixtures::DataFolder data;
    const QString path = db::PictureDatabasePath("BAD");
    if (kind == "empty table") fixtures::CreatePictureDatabase("BAD", {});
    else if (kind == "empty file") writeFile(path, QByteArray());
    else if (kind == "text") writeFile(path, QByteArray("This is not a database at all.\n").repeated(200));
    else if (kind == "truncated") {
        QList<QByteArray> photos;
        for (int i = 0; i < 6; ++i) photos << fixtures::MakePhotoJpeg(i, 200, 150);
        fixtures::CreatePictureDatabase("BAD", photos);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(f.size() / 3));
    } else if (kind == "folder") QVERIFY(QDir().mkpath(path));

    QCOMPARE(CountAircraftPictures("BAD"), 0);
    FakeTarget target;
    target.setPicture(previousPicture());
    target.sets = 0;
    // Each call shows the unavailable face: never the picture shown before.
    for (int index : {-1, 0, 2}) {
        target.setPicture(previousPicture());
        QCOMPARE(LoadAircraftPicture("BAD", index, &target), 0);
        QCOMPARE(target.picture(), PictureUnavailableFace());
    }
    QVERIFY(noTemporaryFiles());
}

void TestPictures::corruptPhotograph_data() {
    QTest::addColumn<QByteArray>("photo");
    QTest::newRow("garbage") << QByteArray("\xff\xd8\xff not really a JPEG", 21);
    QTest::newRow("null") << QByteArray();
    QTest::newRow("a PNG") << [] {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(4, 4, QImage::Format_RGB32).save(&buffer, "PNG");
        return png;
    }();
}

void TestPictures::corruptPhotograph() {
    QFETCH(QByteArray, photo);
    FakePlatform platform;
    fixtures::DataFolder data;
    QList<QByteArray> photos = fivePhotos();
    photos[1] = photo;
    fixtures::CreatePictureDatabase("B747", photos);
    FakeTarget target;
    target.setPicture(previousPicture());
    target.sets = 0;
    // Photograph 3 is on show; photograph 2 cannot be decoded: the face,
    // not photograph 3 beside the caption of photograph 2.
    QCOMPARE(LoadAircraftPicture("B747", 3, &target), 3);
    QCOMPARE(shownPosition(target.picture()), 3);
    QCOMPARE(LoadAircraftPicture("B747", 1, &target), 1);
    QCOMPARE(target.picture(), PictureUnavailableFace());
    // Its neighbours still show.
    QCOMPARE(LoadAircraftPicture("B747", 2, &target), 2);
    QCOMPARE(shownPosition(target.picture()), 2);
}

void TestPictures::folderWithQuotesBlanksAndNonAscii() {
    FakePlatform platform;
    fixtures::DataFolder data;
    const QString folder = "O'Neil Ту-154 ";
    fixtures::CreatePictureDatabase(folder, fivePhotos());
    QCOMPARE(CountAircraftPictures(folder), 5);
    FakeTarget target;
    QCOMPARE(LoadAircraftPicture(folder, 3, &target), 3);
    QCOMPARE(shownPosition(target.picture()), 3);
}

void TestPictures::nameLogo_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("shown");
    QTest::newRow("plain") << "B747" << true;
    QTest::newRow("blanks around the query") << "  B747 " << true;
    QTest::newRow("quotes, blanks and non-ASCII stored") << "O'Neil's Ту" << true;
    QTest::newRow("other case") << "b747" << false;
    QTest::newRow("unknown") << "ZZZ" << false;
    QTest::newRow("null logo") << "NOLOGO" << false;
    QTest::newRow("corrupt logo") << "BROKEN" << false;
}

void TestPictures::nameLogo() {
    QFETCH(QString, query);
    QFETCH(bool, shown);
    FakePlatform platform;
    fixtures::DataFolder data;
    data.createStaticAndUser();
    const QByteArray logo = fixtures::MakeJpeg(40, 10, Qt::green);
    fixtures::InsertAircraft(*db::UserDB(), {
                                                {1, "Boeing 747", "B747", true, QVector<bool>(8), "", logo},
                                                {2, "O'Neil", " O'Neil's Ту ", true, QVector<bool>(8), "", logo},
                                                {3, "No logo", "NOLOGO", true, QVector<bool>(8), "", QVariant()},
                                                {4, "Broken", "BROKEN", true, QVector<bool>(8), "", QByteArray("junk")},
                                            });
    FakeTarget target;
    target.setPicture(previousPicture());
    target.sets = 0;
    LoadAircraftNameLogo(query, &target);
    QCOMPARE(target.sets, shown ? 1 : 0);
    if (shown) QCOMPARE(target.picture().size(), QSize(40, 10));
    else QCOMPARE(target.picture(), previousPicture());
    QVERIFY(noTemporaryFiles());
}

void TestPictures::logoNeedsTheUserDatabase() {
    FakePlatform platform;
    fixtures::DataFolder data;
    data.createStaticAndUser();
    db::CloseDatabases();
    FakeTarget target;
    QVERIFY_THROWS_EXCEPTION(SkyError, LoadAircraftNameLogo("B747", &target));
}

// The face is a picture of its own: not blank, not any photograph, and
// readable (light lettering on a dark card).
void TestPictures::unavailableFaceIsClear() {
    const QImage face = PictureUnavailableFace();
    QVERIFY(!face.isNull());
    QVERIFY(face.width() > face.height());
    int light = 0, dark = 0;
    for (int y = 0; y < face.height(); y += 2)
        for (int x = 0; x < face.width(); x += 2) (qGray(face.pixel(x, y)) > 180 ? light : dark) += 1;
    QVERIFY2(light > 500 && dark > 10 * light, qPrintable(QString("%1 light, %2 dark").arg(light).arg(dark)));
    QVERIFY(PictureUnavailableFace() == face);
}

void TestPictures::noAircraftLeavesSlotEmpty() {
    FakePlatform platform;
    fixtures::DataFolder data;
    FakeTarget target;
    target.setPicture(previousPicture());
    QCOMPARE(LoadAircraftPicture(" ", -1, &target), 0);
    QVERIFY(target.picture().isNull());
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
