#include "quiz/frmSkyrendelMainMenu.h"

#include "data/databases.h"
#include "shell/appstate.h"
#include "shell/artwork.h"
#include "shell/errors.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>

namespace sky::quiz {

namespace {

const char* kMenuCaptions[5] = {"Frequently Asked Questions", "Aircraft Options", "Check for Updates",
                                "Start Training", "Exit"};
constexpr QSize kMenuItemSize(360, 56);

} // namespace

frmSkyrendelMainMenu::frmSkyrendelMainMenu(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmSkyrendelMainMenu"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFixedSize(1000, 700);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, artwork::kNavy);
    setPalette(pal);
    SetMainWindowWidget(this);

    auto* emblem = new QLabel(this);
    emblem->setObjectName(QStringLiteral("imgEmblem"));
    emblem->setPixmap(artwork::SplashArtwork(QSize(520, 160)));
    emblem->setGeometry((width() - 520) / 2, 40, 520, 160);

    buildMenu();

    picLearningMode_ = new QWidget(this);
    picLearningMode_->setObjectName(QStringLiteral("picLearningMode"));
    picChallengeMode_ = new QWidget(this);
    picChallengeMode_->setObjectName(QStringLiteral("picChallengeMode"));
    picChallengeMode2_ = new QWidget(this);
    picChallengeMode2_->setObjectName(QStringLiteral("picChallengeMode2"));
    for (QWidget* w : {picLearningMode_, picChallengeMode_, picChallengeMode2_}) w->hide();
}

frmSkyrendelMainMenu::~frmSkyrendelMainMenu() {
    if (MainWindowWidget() == this) SetMainWindowWidget(nullptr);
}

void frmSkyrendelMainMenu::buildMenu() {
    const int left = (width() - kMenuItemSize.width()) / 2;
    for (int i = 0; i < 15; ++i) {
        auto* item = new PictureBox(this, QStringLiteral("imgMenuItem_%1").arg(i));
        item->setStretch(true);
        imgMenuItem_[i] = item;
        if (i >= 5) {
            const int owner = i % 5;
            const bool hover = i < 10;
            const bool available = isMenuItemAvailable(owner);
            item->setPicture(artwork::ButtonFace(kMenuItemSize, QString::fromLatin1(kMenuCaptions[owner]),
                                                 hover && available, !available)
                                 .toImage());
            item->hide();
            continue;
        }
        item->setGeometry(left, 240 + i * (kMenuItemSize.height() + 18), kMenuItemSize.width(),
                          kMenuItemSize.height());
        item->setEnabled(isMenuItemAvailable(i));
        if (!isMenuItemAvailable(i)) item->setToolTip(QStringLiteral("Not available in this version"));
        else item->setCursor(Qt::PointingHandCursor);
        connect(item, &PictureBox::clicked, this, [this, i] { imgMenuItem_Click(i); });
        connect(item, &PictureBox::mouseMoved, this, [this, i] { imgMenuItem_MouseMove(i); });
    }
    for (int i = 0; i < 5; ++i) showFace(i, i + 10);
}

bool frmSkyrendelMainMenu::isMenuItemAvailable(int index) const { return index == 4; }

void frmSkyrendelMainMenu::showFace(int item, int store) {
    imgMenuItem_[item]->setPicture(imgMenuItem_[store]->picture());
}

void frmSkyrendelMainMenu::Form_Load(const QStringList& arguments) {
    try {
        RunStartup(*this, arguments);
    } catch (const ProcessExited&) {
        throw;
    } catch (const SkyError& e) {
        CloseSplash();
        EndWithUnhandledError(e.number(), e.description());
    }
}

void frmSkyrendelMainMenu::MatchPanelHeights() {}

void frmSkyrendelMainMenu::InitMainWindow() {}

void frmSkyrendelMainMenu::ArrangePanels() {
    // 120 twips from the top and left, 240 twips smaller than the inner area.
    const int m = 120 / 15;
    for (QWidget* w : {picLearningMode_, picChallengeMode_, picChallengeMode2_}) {
        w->setGeometry(m, m, width() - 2 * m, height() - 2 * m);
        w->hide();
    }
}

void frmSkyrendelMainMenu::ResetRollovers() {
    for (int i = 0; i < 5; ++i) showFace(i, i + 10);
}

void frmSkyrendelMainMenu::imgMenuItem_MouseMove(int index) {
    for (int i = 0; i < 5; ++i) showFace(i, i == index ? i + 5 : i + 10);
}

void frmSkyrendelMainMenu::imgMenuItem_Click(int index) {
    if (!isMenuItemAvailable(index)) return;
    if (index == 4) ExitProgram();
}

bool frmSkyrendelMainMenu::isQuizInProgress() const {
    return picChallengeMode_->isVisible() || picChallengeMode2_->isVisible();
}

void frmSkyrendelMainMenu::ExitProgram() {
    // Everything was saved when it changed: release the databases and end.
    db::CloseDatabases();
    platform().process->exitProcess(0);
}

void frmSkyrendelMainMenu::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (isQuizInProgress()) return; // the grade action comes with the quiz
    imgMenuItem_Click(4);
}

void frmSkyrendelMainMenu::mouseMoveEvent(QMouseEvent*) { ResetRollovers(); }

} // namespace sky::quiz
