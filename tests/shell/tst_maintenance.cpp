// The maintenance window the first run shows while the data is copied:
// centred on the screen, its message centred inside it.
#include "shell/frmMaintenance.h"
#include "shell/appstate.h"
#include "shell/testdoubles.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

using namespace sky;

class TestMaintenance : public QObject {
    Q_OBJECT

private slots:
    void centredOnScreenWithOrWithoutOwner_data() {
        QTest::addColumn<bool>("withOwner");
        QTest::addColumn<QPoint>("ownerAt");
        QTest::newRow("no main window yet") << false << QPoint();
        QTest::newRow("main window in a corner") << true << QPoint(0, 0);
        QTest::newRow("main window off centre") << true << QPoint(300, 200);
    }

    void centredOnScreenWithOrWithoutOwner() {
        QFETCH(bool, withOwner);
        QFETCH(QPoint, ownerAt);
        FakePlatform fake;
        QWidget owner;
        owner.resize(200, 150);
        owner.move(ownerAt);
        if (withOwner) {
            owner.show();
            QVERIFY(QTest::qWaitForWindowExposed(&owner));
            SetMainWindowWidget(&owner);
        }
        frmMaintenance::showModeless();
        SetMainWindowWidget(nullptr);
        frmMaintenance* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmMaintenance" && top->isVisible()) w = static_cast<frmMaintenance*>(top);
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QRect screen = w->screen()->geometry();
        const QPoint offset = w->frameGeometry().center() - screen.center();
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
                 qPrintable(QString("window off centre by %1,%2").arg(offset.x()).arg(offset.y())));

        // The message sits in the middle of the window, on two paragraphs.
        auto* message = w->findChild<QLabel*>("lblMessage");
        QVERIFY(message);
        QVERIFY(message->text().contains("\r\nThank you for your patience."));
        const QPoint inner = message->geometry().center() - w->rect().center();
        QVERIFY(qAbs(inner.x()) <= 1 && qAbs(inner.y()) <= 1);
        frmMaintenance::closeIfOpen();
        QTRY_VERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
