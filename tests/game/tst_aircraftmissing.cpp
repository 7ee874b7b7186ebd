// The missing-aircraft notice: its two buttons set the answer the play item
// reads, closing it otherwise leaves the answer as it was, and it shows its
// captions on a white panel.
#include "game/frmSkyrendelAircraftMissing.h"
#include "shell/testdoubles.h"

#include <QPushButton>
#include <QtTest>

using sky::game::frmSkyrendelAircraftMissing;
using sky::game::GoToUpdates;

class tst_aircraftmissing : public QObject {
    Q_OBJECT
private slots:
    void buttons_data();
    void buttons();
    void closeBoxLeavesAnswer_data();
    void closeBoxLeavesAnswer();
    void looksAsDescribed();
};

void tst_aircraftmissing::buttons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");
    QTest::newRow("update screen, from false") << "cmdReturnMainMenu" << false << true;
    QTest::newRow("update screen, from true") << "cmdReturnMainMenu" << true << true;
    QTest::newRow("continue, from true") << "cmdContinue" << true << false;
    QTest::newRow("continue, from false") << "cmdContinue" << false << false;
}

void tst_aircraftmissing::buttons() {
    QFETCH(QString, button);
    QFETCH(bool, before);
    QFETCH(bool, after);
    sky::FakePlatform fake;
    GoToUpdates = before;
    frmSkyrendelAircraftMissing notice;
    notice.show();
    auto* b = notice.findChild<QPushButton*>(button);
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() / 2));
    QCOMPARE(GoToUpdates, after);
    QVERIFY(!notice.isVisible());
}

void tst_aircraftmissing::closeBoxLeavesAnswer_data() {
    QTest::addColumn<bool>("before");
    QTest::newRow("true stays") << true;
    QTest::newRow("false stays") << false;
}

void tst_aircraftmissing::closeBoxLeavesAnswer() {
    QFETCH(bool, before);
    sky::FakePlatform fake;
    GoToUpdates = before;
    frmSkyrendelAircraftMissing notice;
    notice.show();
    QVERIFY(notice.close());
    QCOMPARE(GoToUpdates, before);
}

void tst_aircraftmissing::looksAsDescribed() {
    sky::FakePlatform fake;
    frmSkyrendelAircraftMissing notice;
    notice.show();
    QCOMPARE(notice.findChild<QPushButton*>("cmdReturnMainMenu")->text(),
             QString("Take me to the update screen so that I can get the missing aircraft"));
    QCOMPARE(notice.findChild<QPushButton*>("cmdContinue")->text(), QString("Continue with incomplete aircraft set"));
    QWidget* panel = notice.findChild<QWidget*>("picPanel");
    QVERIFY(panel && panel->isVisible());
    const QImage shot = panel->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() - 3, shot.height() - 3), QColor(Qt::white));
}

QTEST_MAIN(tst_aircraftmissing)
#include "tst_aircraftmissing.moc"
