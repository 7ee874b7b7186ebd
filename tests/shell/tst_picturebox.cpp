// The picture control: a face drawn when first needed and kept; a fitted picture reaches the edges of its box when
// its shape is within a pixel or two of the box's; the keyboard reaches a
// box that takes it, shows a ring and clicks it with Enter or Space.
#include "shell/picturebox.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace sky;

namespace {

QImage solid(const QColor& c) {
    QImage img(40, 30, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

} // namespace


class TestPictureBox : public QObject {
    Q_OBJECT

private slots:
    // Faces drawn when first needed: nothing is drawn for a box not yet
    // shown, the face is drawn once and kept, and what is on screen is it.
    void drawnWhenFirstShownThenKept();
    void askedForBeforeShown();

    // A picture of the box's own size shows pixel for pixel, stretched or
    // fitted; a stretched one of another size fills the box.
    void stretchedPictureFillsTheBox_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("stretch");
        QTest::newRow("the box's size, stretched") << QSize(52, 22) << true;
        QTest::newRow("the box's size, fitted") << QSize(52, 22) << false;
        QTest::newRow("larger, stretched") << QSize(104, 44) << true;
        QTest::newRow("other shape, stretched") << QSize(30, 30) << true;
    }
    void stretchedPictureFillsTheBox() {
        QFETCH(QSize, picture);
        QFETCH(bool, stretch);
        PictureBox b;
        b.resize(52, 22);
        b.setStretch(stretch);
        b.setBackColor(Qt::black);
        QImage image(picture, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixelColor(x, y, QColor((x * 255) / image.width(), (y * 255) / image.height(), 90));
        b.setPicture(image);
        const QImage shown = b.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(shown.size(), QSize(52, 22));
        if (picture == b.size()) {
            QCOMPARE(shown, image);
        } else {
            // No background left at the edges: the picture covers the box.
            for (const QPoint& corner : {QPoint(0, 0), QPoint(51, 0), QPoint(0, 21), QPoint(51, 21)})
                QVERIFY(shown.pixelColor(corner).blue() > 60);
        }
    }
    void laterPictureReplacesSource_data();
    void laterPictureReplacesSource();

    void fittedPictureLeavesNoThinStrip_data() {
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("stripsExpected"); // a real difference of shape keeps its bands
        QTest::newRow("same shape") << QSize(480, 320) << QSize(960, 640) << false;
        QTest::newRow("one pixel narrower after scaling") << QSize(480, 320) << QSize(1199, 800) << false;
        QTest::newRow("one pixel lower after scaling") << QSize(288, 192) << QSize(900, 599) << false;
        QTest::newRow("square in a wide box") << QSize(480, 320) << QSize(400, 400) << true;
    }

    void fittedPictureLeavesNoThinStrip() {
        QFETCH(QSize, box);
        QFETCH(QSize, picture);
        QFETCH(bool, stripsExpected);
        PictureBox b;
        b.resize(box);
        b.setBackColor(Qt::black);
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::white);
        b.setPicture(image);
        const QImage shown = b.grab().toImage();
        const QColor right = shown.pixelColor(shown.width() - 1, shown.height() / 2);
        const QColor bottom = shown.pixelColor(shown.width() / 2, shown.height() - 1);
        const QColor left = shown.pixelColor(0, shown.height() / 2);
        if (stripsExpected) {
            QCOMPARE(left, QColor(Qt::black));
        } else {
            QCOMPARE(right, QColor(Qt::white));
            QCOMPARE(bottom, QColor(Qt::white));
            QCOMPARE(left, QColor(Qt::white));
        }
    }

    void keyboardClicksAndShowsARing_data() {
        QTest::addColumn<bool>("keyboard");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Enter") << true << int(Qt::Key_Return) << 1;
        QTest::newRow("keypad Enter") << true << int(Qt::Key_Enter) << 1;
        QTest::newRow("Space") << true << int(Qt::Key_Space) << 1;
        QTest::newRow("a letter") << true << int(Qt::Key_X) << 0;
        QTest::newRow("not taking the keyboard") << false << int(Qt::Key_Return) << 0;
    }

    void keyboardClicksAndShowsARing() {
        QFETCH(bool, keyboard);
        QFETCH(int, key);
        QFETCH(int, clicks);
        QWidget window;
        window.resize(200, 100);
        auto* before = new QLineEdit(&window);
        before->setGeometry(100, 10, 80, 24);
        auto* b = new PictureBox(&window, "pic");
        b->setGeometry(10, 10, 80, 40);
        b->setBackColor(Qt::darkBlue);
        b->setKeyboardActivation(keyboard);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        QSignalSpy clicked(b, &PictureBox::clicked);
        // Tab from the field before it reaches the box only when it takes
        // the keyboard.
        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(b->hasFocus(), keyboard);
        const QColor edge = b->grab().toImage().pixelColor(1, 20);
        QCOMPARE(edge == PictureBox::focusRingColor(), keyboard);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(clicked.size(), clicks);
        // The ring goes with the focus.
        window.setFocus();
        b->clearFocus();
        QVERIFY(b->grab().toImage().pixelColor(1, 20) != PictureBox::focusRingColor());
    }
};

void TestPictureBox::drawnWhenFirstShownThenKept() {
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

void TestPictureBox::askedForBeforeShown() {
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

void TestPictureBox::laterPictureReplacesSource_data() {
    QTest::addColumn<QString>("then");
    QTest::newRow("setPicture") << "set";
    QTest::newRow("clearPicture") << "clear";
}

void TestPictureBox::laterPictureReplacesSource() {
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

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
