// Picture boxes whose picture is drawn when first needed: nothing is drawn
// for a box not yet shown, the face is drawn once and kept, and what is on
// screen is the drawn face.
#include "shell/picturebox.h"

#include <QtTest>

using namespace sky;

namespace {

QImage solid(const QColor& c) {
    QImage img(40, 30, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

} // namespace

class tst_picturebox : public QObject {
    Q_OBJECT
private slots:
    void drawnWhenFirstShownThenKept();
    void askedForBeforeShown();
    void laterPictureReplacesSource_data();
    void laterPictureReplacesSource();
};

void tst_picturebox::drawnWhenFirstShownThenKept() {
    QWidget window;
    window.resize(200, 100);
    auto* box = new PictureBox(&window, "picFace");
    box->setGeometry(10, 10, 80, 60);
    box->setStretch(true);
    int draws = 0;
    box->setPictureSource([&] {
        ++draws;
        return solid(Qt::red);
    });
    QVERIFY(box->hasPicture());
    QCOMPARE(draws, 0); // not on screen: not drawn
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage onScreen = window.grab().toImage();
    QCOMPARE(draws, 1);
    // What the user sees inside the box is the face.
    QCOMPARE(QColor(onScreen.pixel(50, 40)), QColor(Qt::red));
    // Painted again (hover, another window over it): not drawn again.
    box->repaint();
    window.grab();
    QCOMPARE(box->picture().pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(draws, 1);
}

void tst_picturebox::askedForBeforeShown() {
    // A stored face copied into the element on screen: drawn on the copy.
    PictureBox store(nullptr, "picStore");
    int draws = 0;
    store.setPictureSource([&] {
        ++draws;
        return solid(Qt::blue);
    });
    const QImage copy = store.picture();
    QCOMPARE(draws, 1);
    QCOMPARE(copy.pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(store.picture().pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(draws, 1);
}

void tst_picturebox::laterPictureReplacesSource_data() {
    QTest::addColumn<QString>("then");
    QTest::newRow("setPicture") << "set";
    QTest::newRow("clearPicture") << "clear";
}

void tst_picturebox::laterPictureReplacesSource() {
    QFETCH(QString, then);
    PictureBox box;
    box.resize(40, 30);
    bool drawn = false;
    box.setPictureSource([&] {
        drawn = true;
        return solid(Qt::red);
    });
    if (then == "set") box.setPicture(solid(Qt::green));
    else box.clearPicture();
    // The superseded face is never drawn, and never comes back.
    const QImage now = box.picture();
    QVERIFY(!drawn);
    if (then == "set") QCOMPARE(now.pixelColor(0, 0), QColor(Qt::green));
    else QVERIFY(now.isNull() && !box.hasPicture());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.grab();
    QVERIFY(!drawn);
}

QTEST_MAIN(tst_picturebox)
#include "tst_picturebox.moc"
