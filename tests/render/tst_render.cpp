// The aircraft illustration renderer: same shape, same bytes; the picture
// format the catalogue expects; clear complaints about bad shapes files;
// and pictures whose geometry follows the description.
#include "render.h"
#include "shape.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace sky::render;

namespace {

// A small airliner-like type; tests change a field or two.
QJsonObject BaseType() {
    return QJsonDocument::fromJson(R"({
      "folder": "TEST", "name": "Test type", "length": 30, "span": 30, "height": 9,
      "fuselage": { "width": 3, "depth": 3, "noseLength": 4, "tailLength": 8 },
      "wing": { "position": "low", "sweep": 25, "dihedral": 0, "rootChord": 5, "tipChord": 1.5 },
      "engines": [ { "count": 2, "kind": "jet", "position": "rear-fuselage", "diameter": 1.2, "length": 3.5 } ],
      "tail": { "layout": "conventional", "finHeight": 4, "finRootChord": 4, "finTipChord": 2,
                "stabSpan": 10, "stabRootChord": 2.5, "stabTipChord": 1.2 },
      "gear": { "layout": "tricycle" },
      "liveries": [ { "style": "plain", "top": "#ffffff", "tail": "#1b4f9c" } ]
    })").object();
}

AircraftShape Parse(const QJsonObject& type) {
    QJsonObject root;
    root["types"] = QJsonArray{type};
    return ParseShapes(QJsonDocument(root).toJson(), QStringLiteral("fixture.json")).first();
}

QJsonObject With(QJsonObject o, const QString& section, const QString& key, const QJsonValue& v) {
    QJsonObject s = o[section].toObject();
    s[key] = v;
    o[section] = s;
    return o;
}

const QColor kBackground(0, 255, 0);

bool Covered(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    return qRed(p) + (255 - qGreen(p)) + qBlue(p) > 60;
}

// Covered pixels on each row of a picture drawn over the plain backdrop.
QVector<int> RowWidths(const QImage& img) {
    QVector<int> w(img.height(), 0);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Covered(img, x, y)) ++w[y];
    return w;
}

QImage FrontView(const AircraftShape& s) {
    Shot shot;
    shot.azimuth = 0;
    shot.elevation = 0;
    shot.backdrop = Backdrop::Plain;
    return RenderShot(s, shot, QSize(kPictureWidth, kPictureHeight), kBackground);
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT
private slots:
    void samePicturesForSameShape();
    void picturesAreJpegsOfTheCatalogueSize();
    void badShapesFileNamesFileAndField_data();
    void badShapesFileNamesFileAndField();
    void unreadableShapesFileIsNamed();
    void tTailPutsTailplaneOnTopOfFin();
    void wingPositionFollowsDescription();
    void demoShapesCoverEveryDemoType();
};

void TestRender::samePicturesForSameShape() {
    const AircraftShape s = Parse(BaseType());
    QTemporaryDir a, b;
    const QStringList first = WriteType(s, a.path());
    const QStringList second = WriteType(s, b.path());
    QCOMPARE(first.size(), second.size());
    for (int i = 0; i < first.size(); ++i) {
        QFile fa(first[i]), fb(second[i]);
        QVERIFY(fa.open(QIODevice::ReadOnly));
        QVERIFY(fb.open(QIODevice::ReadOnly));
        QCOMPARE(QFileInfo(first[i]).fileName(), QFileInfo(second[i]).fileName());
        QVERIFY2(fa.readAll() == fb.readAll(), qPrintable(first[i]));
    }
    // and the pictures of one type are not copies of each other
    QFile f1(first[0]), f2(first[1]);
    QVERIFY(f1.open(QIODevice::ReadOnly) && f2.open(QIODevice::ReadOnly));
    QVERIFY(f1.readAll() != f2.readAll());
}

void TestRender::picturesAreJpegsOfTheCatalogueSize() {
    QTemporaryDir dir;
    const QStringList files = WriteType(Parse(BaseType()), dir.path());
    QVERIFY(files.size() >= 6);
    for (int i = 0; i < files.size(); ++i) {
        QCOMPARE(files[i], QDir(dir.path()).filePath(QStringLiteral("TEST/%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'))));
        QImageReader r(files[i]);
        QCOMPARE(r.format(), QByteArray("jpeg"));
        const QImage img = r.read();
        QVERIFY2(!img.isNull(), qPrintable(r.errorString()));
        QCOMPARE(img.size(), QSize(1024, 683));
    }
}

void TestRender::badShapesFileNamesFileAndField_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("field");
    auto file = [](const QJsonObject& type) {
        QJsonObject root;
        root["types"] = QJsonArray{type};
        return QJsonDocument(root).toJson();
    };
    QJsonObject noSpan = BaseType();
    noSpan.remove("span");
    QTest::newRow("not JSON") << QByteArray("{ \"types\": [ ") << QString("not valid JSON");
    QTest::newRow("no types list") << QByteArray("{ \"aircraft\": [] }") << QString("\"types\"");
    QTest::newRow("missing span") << file(noSpan) << QString("\"span\"");
    QJsonObject textLength = BaseType();
    textLength["length"] = "thirty";
    QTest::newRow("length as text") << file(textLength) << QString("\"length\"");
    QTest::newRow("unknown wing position") << file(With(BaseType(), "wing", "position", "middle")) << QString("\"position\"");
    QTest::newRow("unknown tail layout") << file(With(BaseType(), "tail", "layout", "v-tail")) << QString("\"layout\"");
    QJsonObject oddWing = BaseType();
    oddWing["engines"] = QJsonArray{QJsonObject{{"count", 3}, {"kind", "jet"}, {"position", "under-wing"}}};
    QTest::newRow("odd engines on the wing") << file(oddWing) << QString("engines[0]");
    QJsonObject badColour = BaseType();
    badColour["liveries"] = QJsonArray{QJsonObject{{"top", "white"}}};
    QTest::newRow("bad colour") << file(badColour) << QString("\"top\"");
    QJsonObject noLiveries = BaseType();
    noLiveries["liveries"] = QJsonArray{};
    QTest::newRow("no liveries") << file(noLiveries) << QString("\"liveries\"");
    QJsonObject badFolder = BaseType();
    badFolder["folder"] = "../up";
    QTest::newRow("folder outside") << file(badFolder) << QString("\"folder\"");
}

void TestRender::badShapesFileNamesFileAndField() {
    QFETCH(QByteArray, json);
    QFETCH(QString, field);
    QTemporaryDir dir;
    const QString path = dir.filePath("shapes.json");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(json);
    f.close();
    try {
        LoadShapes(path);
        QFAIL("a bad shapes file was accepted");
    } catch (const ShapeError& e) {
        QVERIFY2(e.message().startsWith(path + ": "), qPrintable(e.message()));
        QVERIFY2(e.message().contains(field), qPrintable(e.message()));
    }
}

void TestRender::unreadableShapesFileIsNamed() {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing.json");
    try {
        LoadShapes(path);
        QFAIL("a missing shapes file was accepted");
    } catch (const ShapeError& e) {
        QVERIFY2(e.message().startsWith(path + ": cannot be read"), qPrintable(e.message()));
    }
}

// Seen from ahead, a T-tail's top rows are as wide as the tailplane; a
// conventional tail's are only the fin's thickness.
void TestRender::tTailPutsTailplaneOnTopOfFin() {
    auto topWidth = [](const QImage& img) {
        const QVector<int> w = RowWidths(img);
        int top = 0;
        while (top < w.size() && w[top] == 0) ++top;
        int widest = 0;
        for (int y = top; y < top + 12 && y < w.size(); ++y) widest = std::max(widest, w[y]);
        return widest;
    };
    const int conventional = topWidth(FrontView(Parse(BaseType())));
    const int tTail = topWidth(FrontView(Parse(With(BaseType(), "tail", "layout", "t-tail"))));
    QVERIFY2(conventional > 0 && conventional < 40, qPrintable(QString::number(conventional)));
    QVERIFY2(tTail > 6 * conventional && tTail > 150, qPrintable(QString("%1 vs %2").arg(tTail).arg(conventional)));
}

// Seen from ahead, the widest row is the wing; where it sits between the
// fin top and the fuselage bottom tells a high wing from a low one.
void TestRender::wingPositionFollowsDescription() {
    auto wingLevel = [](const QImage& img) {
        const QVector<int> w = RowWidths(img);
        int top = 0, widest = 0;
        while (w[top] == 0) ++top;
        for (int y = 0; y < w.size(); ++y)
            if (w[y] > w[widest]) widest = y;
        int bottom = img.height() - 1;
        while (bottom > 0 && !Covered(img, img.width() / 2, bottom)) --bottom;
        return double(widest - top) / (bottom - top);
    };
    const double low = wingLevel(FrontView(Parse(BaseType())));
    const double high = wingLevel(FrontView(Parse(With(BaseType(), "wing", "position", "high"))));
    QVERIFY2(low > 0.75, qPrintable(QString::number(low)));
    QVERIFY2(high < low - 0.2, qPrintable(QString("%1 vs %2").arg(high).arg(low)));
}

// The demo catalogue's shapes file loads and has one entry for each of
// its folders.
void TestRender::demoShapesCoverEveryDemoType() {
    const QString path = QStringLiteral(SKY_DEMO_SHAPES);
    const QVector<AircraftShape> shapes = LoadShapes(path);
    QStringList folders;
    for (const AircraftShape& s : shapes) folders << s.folder;
    const QStringList expected = QString("B738 A320 B744 A388 B77W A333 B752 B763 MD82 B712 B722 CRJ2 E145 AT72 "
                                         "DH8D B190 LJ45 C56X GLF5 C172 P28A DC3 T154 IL62 VC10 AN2 AN24 YK40")
                                     .split(' ');
    QCOMPARE(folders, expected);
}

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
