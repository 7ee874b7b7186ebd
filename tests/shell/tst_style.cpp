// The program's one look: message boxes, dialogs and push buttons on the
// dark theme, a warning still showing its icon, and a visible ring on the
// button with the focus.
#include "shell/application.h"
#include "shell/artwork.h"
#include "shell/platform.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QtTest>

class TestStyle : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { sky::ApplyProgramStyle(*qApp); }

    void messageBoxesKeepTheirIcon_data() {
        QTest::addColumn<int>("icon");
        QTest::newRow("warning") << int(sky::MsgIcon::Exclamation);
        QTest::newRow("critical") << int(sky::MsgIcon::Critical);
        QTest::newRow("question") << int(sky::MsgIcon::Question);
        QTest::newRow("information") << int(sky::MsgIcon::Information);
    }

    // The program's own message box, as every message of the program shows.
    void messageBoxesKeepTheirIcon() {
        QFETCH(int, icon);
        bool found = false, iconShown = false, iconDrawn = false;
        QColor background;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            found = box != nullptr;
            if (!box) return;
            QTest::qWaitForWindowExposed(box);
            if (auto* iconLabel = box->findChild<QLabel*>("qt_msgboxex_icon_label")) {
                iconShown = iconLabel->isVisible() && !iconLabel->pixmap().isNull();
                // The icon is drawn: not all of its pixels are the background.
                const QImage shown = iconLabel->grab().toImage();
                const QColor back = shown.pixelColor(0, 0);
                for (int y = 0; y < shown.height() && !iconDrawn; ++y)
                    for (int x = 0; x < shown.width() && !iconDrawn; ++x) iconDrawn = shown.pixelColor(x, y) != back;
            }
            background = box->grab().toImage().pixelColor(2, 2);
            QTest::keyClick(box, Qt::Key_Return);
        });
        const sky::MsgResult answer = sky::platform().messageBox->show(
            nullptr, "Skyrendel", "Your certificate could not be written.", sky::MsgIcon(icon), sky::MsgButtons::OkOnly);
        QVERIFY(found);
        QCOMPARE(answer, sky::MsgResult::Ok);
        QVERIFY(iconShown);
        QVERIFY(iconDrawn);
        // On the dark theme, with light text.
        QCOMPARE(background, QColor(0x0f, 0x1f, 0x3a));
    }

    void pushButtonsBelongToTheTheme() {
        QDialog d;
        d.setObjectName("frmUserDetails");
        sky::UseProgramStyle(&d);
        d.resize(300, 120);
        auto* ok = new QPushButton("OK", &d);
        ok->setGeometry(20, 40, 100, 36);
        auto* other = new QPushButton("Cancel", &d);
        other->setGeometry(160, 40, 100, 36);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QApplication::setActiveWindow(&d);
        QCOMPARE(d.grab().toImage().pixelColor(5, 5), QColor(0x0f, 0x1f, 0x3a));
        QCOMPARE(other->grab().toImage().pixelColor(other->width() / 2, 6), QColor(0x1d, 0x33, 0x58));
        // The button with the focus shows the ring on its edge; the other does not.
        ok->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(ok->hasFocus());
        const QColor ring(0xff, 0xc8, 0x2e);
        QCOMPARE(ok->grab().toImage().pixelColor(ok->width() / 2, 0), ring);
        QVERIFY(other->grab().toImage().pixelColor(other->width() / 2, 0) != ring);
    }
};

// The emblem's title and subtitle: between the lowest ink of the title
// (the tail of its "y") and the subtitle lies at least one clear row.
class TestEmblem : public QObject {
    Q_OBJECT
private slots:
    void titleClearOfSubtitle_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("menu") << QSize(520, 160);
        QTest::newRow("menu, enlarged") << QSize(832, 256);
        QTest::newRow("small") << QSize(390, 120);
    }
    void titleClearOfSubtitle() {
        QFETCH(QSize, size);
        const QImage art = sky::artwork::SplashArtwork(size).toImage();
        const int e = size.height() * 3 / 5;
        const qreal dpr = art.devicePixelRatio();
        const int left = qRound((24 + e + 18) * dpr);
        // Rows with text ink: light pixels, as the text is and the sky is not.
        QVector<bool> inked(art.height(), false);
        for (int y = 0; y < art.height(); ++y)
            for (int x = left; x < art.width(); ++x) {
                const QColor c = art.pixelColor(x, y);
                if (c.red() > 170 && c.green() > 170) {
                    inked[y] = true;
                    break;
                }
            }
        int runs = 0;
        for (int y = 0; y < art.height(); ++y)
            if (inked[y] && (y == 0 || !inked[y - 1])) ++runs;
        QVERIFY2(runs >= 2, "the title runs into the subtitle");
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    TestStyle style;
    failed += QTest::qExec(&style, argc, argv);
    TestEmblem emblem;
    failed += QTest::qExec(&emblem, argc, argv);
    return failed;
}
#include "tst_style.moc"
