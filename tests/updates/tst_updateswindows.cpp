// The update windows as a user meets them: the main menu's updates item,
// the updates window and its buttons, and the play item's missing-aircraft
// notice leading to the updates window or the game selector.
#include "app/wiring.h"
#include "game/frmSkyrendelAircraftMissing.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "quiz/quizfixture.h"
#include "shell/appstate.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"
#include "testserverprocess.h"
#include "updates/frmSkyrendelUpdates.h"
#include "updates/frmUpdates.h"
#include "updates/modUpdates.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace sky;
using quiztest::Plane;
using sky::quiz::frmSkyrendelMainMenu;
using updatestest::TestServer;

namespace {

QWidget* TopLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

template <typename T>
T* Child(QWidget* w, const QString& name) {
    T* c = w ? w->findChild<T*>(name) : nullptr;
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2)); }

} // namespace

class tst_updateswindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void menuItemOpensAndExitCloses();
    void updateButtonWithNothingChanged();
    void accessKeyStartsUpdate();
    void helpDeskPictureOpensPage();
    void progressWindowDuringUpdate();
    void progressWindowTakesFocusBack_data();
    void progressWindowTakesFocusBack();
    void playItemNotice_data();
    void playItemNotice();
    void noNoticeWhenAllInstalled();

private:
    void makeWindow(const QVector<Plane>& planes);
    QWidget* openUpdates();
    QTemporaryDir config_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<TestServer> server_;
    std::unique_ptr<quiztest::Catalogue> catalogue_;
    std::unique_ptr<frmSkyrendelMainMenu> window_;
    QTimer modalWatcher_;
    QStringList modalsSeen_;
    std::function<void(QDialog*)> onModal_;
};

void tst_updateswindows::initTestCase() {
    qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
    SetAppTitleLive("SkyrendelUpdatesWindowsTest");
    AppTitle = "SkyrendelUpdatesWindowsTest";
    modalWatcher_.setInterval(5);
    connect(&modalWatcher_, &QTimer::timeout, this, [this] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("seenByTest").toBool()) return;
        dialog->setProperty("seenByTest", true);
        modalsSeen_ << dialog->objectName();
        if (onModal_) onModal_(dialog);
        else dialog->reject();
    });
    modalWatcher_.start();
}

void tst_updateswindows::init() {
    fake_ = std::make_unique<FakePlatform>();
    server_ = std::make_unique<TestServer>();
    SaveAppSetting("UpdateServer", server_->base());
    modalsSeen_.clear();
    onModal_ = nullptr;
    game::GoToUpdates = false;
}

void tst_updateswindows::cleanup() {
    if (QWidget* w = TopLevel("frmSkyrendelUpdates")) delete w;
    window_.reset();
    catalogue_.reset();
    server_.reset();
    fake_.reset();
}

void tst_updateswindows::makeWindow(const QVector<Plane>& planes) {
    catalogue_ = std::make_unique<quiztest::Catalogue>(planes);
    window_ = std::make_unique<frmSkyrendelMainMenu>();
    app::WireMainWindow(*window_);
    window_->InitMainWindow();
    window_->ArrangePanels();
    window_->ResetRollovers();
    window_->show();
    SetMainWindowWidget(window_.get());
}

QWidget* tst_updateswindows::openUpdates() {
    QTest::mouseClick(Child<PictureBox>(window_.get(), "imgMenuItem_2"), Qt::LeftButton);
    return TopLevel("frmSkyrendelUpdates");
}

void tst_updateswindows::menuItemOpensAndExitCloses() {
    makeWindow({{"A"}, {"B"}, {"C"}});
    QWidget* updates = openUpdates();
    QVERIFY(updates);
    QCOMPARE(updates->parentWidget(), window_.get()); // owned by the main window
    QVERIFY(!updates->isModal());
    QVERIFY(!window_->isEnabled());
    QVERIFY(updates->isEnabled());
    QWidget* panel = Child<QWidget>(updates, "picScreen_1");
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->grab().toImage().pixelColor(2, 2), QColor(Qt::white));
    QCOMPARE(Child<QPushButton>(updates, "cmdUpdate_1")->text(),
             QString("&Check for Updates / Get Additional Aircraft"));
    QVERIFY(Child<QLabel>(updates, "Label1_0")->text().startsWith("This is the updates screen.  You can use it"));
    QVERIFY(Child<QLabel>(updates, "Label1_1")->text().startsWith("Additionally, if you think"));
    // A second click on the item while it is open does not make another.
    QPointer<QWidget> first = updates;
    Click(Child<QPushButton>(updates, "cmdExit"));
    QTRY_VERIFY(!first);
    QVERIFY(window_->isEnabled());
    QTRY_VERIFY(window_->isActiveWindow());
    QVERIFY(!TopLevel("frmSkyrendelUpdates"));
}

void tst_updateswindows::updateButtonWithNothingChanged() {
    makeWindow({{"A"}, {"B"}, {"C"}});
    server_->setReply("nodata");
    QWidget* updates = openUpdates();
    bool disabledMeanwhile = false;
    bool progressShown = false;
    fake_->messageBox.onShow = [&](const ShownMessage&) {
        disabledMeanwhile = !updates->isEnabled();
        progressShown = TopLevel("frmUpdates") != nullptr;
    };
    Click(Child<QPushButton>(updates, "cmdUpdate_1"));
    QCOMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(fake_->messageBox.shown[0].text, QString(updates::kNoChangesMessage));
    QVERIFY(disabledMeanwhile);
    QVERIFY(!progressShown);
    QVERIFY(updates->isEnabled());
    QVERIFY(!window_->isEnabled()); // the main window waits for the updates window
}

void tst_updateswindows::accessKeyStartsUpdate() {
    makeWindow({{"A"}, {"B"}, {"C"}});
    server_->setReply("nodata");
    QWidget* updates = openUpdates();
    updates->activateWindow();
    QApplication::setActiveWindow(updates);
    QVERIFY(QTest::qWaitForWindowActive(updates));
    QTest::keyClick(updates, Qt::Key_C, Qt::AltModifier);
    // An access key presses its button as a click would, a moment later.
    QTRY_COMPARE(fake_->messageBox.shown.size(), 1);
    QCOMPARE(server_->requests().size(), 1);
}

void tst_updateswindows::helpDeskPictureOpensPage() {
    makeWindow({{"A"}, {"B"}, {"C"}});
    QWidget* updates = openUpdates();
    QTest::mouseClick(Child<PictureBox>(updates, "Image2"), Qt::LeftButton);
    QCOMPARE(fake_->shell.opened, QStringList{updates::HelpDeskAddress()});
    QVERIFY(updates::HelpDeskAddress().startsWith(server_->base()));
}

void tst_updateswindows::progressWindowDuringUpdate() {
    makeWindow({{"A"}, {"B"}, {"C"}, {"D", {}, true, false}});
    QByteArray pic;
    {
        QFile f(catalogue_->folder().dataPath() + "/A.skr");
        QVERIFY(f.open(QIODevice::ReadOnly));
        pic = f.readAll();
    }
    server_->setReply("nodata\r\nD.skr;" + QByteArray::number(pic.size()));
    server_->setFile("D.skr", pic);
    server_->setMode("D.skr", "trickle:3");
    QWidget* updates = openUpdates();
    QString title, label;
    bool cancelVisible = false, refusedClose = false, updatesDisabled = false, mainDisabled = false;
    int value = -1;
    fake_->clock.onProcessEvents = [&] {
        QWidget* progress = TopLevel("frmUpdates");
        if (!progress || !title.isEmpty()) return;
        const QString text = Child<QLabel>(progress, "lblBottom")->text();
        if (text.isEmpty()) return;
        title = progress->windowTitle();
        label = text;
        value = Child<QProgressBar>(progress, "pbProgress")->value();
        cancelVisible = Child<QPushButton>(progress, "cmdCancel")->isVisible() &&
                        Child<QPushButton>(progress, "cmdCancel")->isEnabled();
        progress->close();
        refusedClose = progress->isVisible();
        updatesDisabled = !updates->isEnabled();
        mainDisabled = !window_->isEnabled();
    };
    Click(Child<QPushButton>(updates, "cmdUpdate_1"));
    QCOMPARE(title, QString("Downloading D (1 of 1)..."));
    QVERIFY2(label.endsWith(" / " + QString::number(pic.size()) + " bytes "), qPrintable(label));
    QVERIFY(value >= 0);
    QVERIFY(cancelVisible);
    QVERIFY(refusedClose);
    QVERIFY(updatesDisabled);
    QVERIFY(mainDisabled);
    QVERIFY(!TopLevel("frmUpdates"));
    QVERIFY(updates->isEnabled());
    QCOMPARE(fake_->messageBox.shown.size(), 0);
    QVERIFY(QFile::exists(catalogue_->folder().dataPath() + "/D.skr"));
    QVERIFY(!data::IsAnyAircraftDataMissing());
}

void tst_updateswindows::progressWindowTakesFocusBack_data() {
    QTest::addColumn<bool>("canClose");
    QTest::newRow("while fetching") << false;
    QTest::newRow("once it may close") << true;
}

void tst_updateswindows::progressWindowTakesFocusBack() {
    QFETCH(bool, canClose);
    QWidget other;
    other.setObjectName("other");
    other.resize(200, 100);
    other.show();
    updates::frmUpdates progress;
    progress.setCanClose(canClose);
    progress.show();
    progress.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&progress));
    // The user brings another window to the front.
    other.activateWindow();
    QTest::qWait(100);
    if (canClose) {
        QVERIFY(other.isActiveWindow());
    } else {
        QTRY_VERIFY(progress.isActiveWindow());
    }
    progress.setCanClose(true);
}

void tst_updateswindows::playItemNotice_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("modals");
    QTest::addColumn<bool>("updatesOpen");
    QTest::newRow("to the updates screen") << "cmdReturnMainMenu" << QStringList{"frmSkyrendelAircraftMissing"}
                                           << true;
    QTest::newRow("continue") << "cmdContinue"
                              << QStringList{"frmSkyrendelAircraftMissing", "frmSkyrendelGameSelector"} << false;
}

void tst_updateswindows::playItemNotice() {
    QFETCH(QString, button);
    QFETCH(QStringList, modals);
    QFETCH(bool, updatesOpen);
    makeWindow({{"A"}, {"B"}, {"C"}, {"D", {}, true, false}});
    onModal_ = [&](QDialog* d) {
        if (d->objectName() == "frmSkyrendelAircraftMissing") Click(Child<QPushButton>(d, button));
        else d->reject();
    };
    QTest::mouseClick(Child<PictureBox>(window_.get(), "imgMenuItem_3"), Qt::LeftButton);
    QTRY_COMPARE(modalsSeen_, modals);
    QCOMPARE(TopLevel("frmSkyrendelUpdates") != nullptr, updatesOpen);
    QCOMPARE(window_->isEnabled(), !updatesOpen);
}

void tst_updateswindows::noNoticeWhenAllInstalled() {
    makeWindow({{"A"}, {"B"}, {"C"}});
    QTest::mouseClick(Child<PictureBox>(window_.get(), "imgMenuItem_3"), Qt::LeftButton);
    QCOMPARE(modalsSeen_, QStringList{"frmSkyrendelGameSelector"});
}

QTEST_MAIN(tst_updateswindows)
#include "tst_updateswindows.moc"
