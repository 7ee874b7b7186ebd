#include "updates/frmSkyrendelUpdates.h"

#include "shell/application.h"

#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/serveraddress.h"
#include "updates/modUpdates.h"
#include "updates/updatesartwork.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace sky::updates {

QString HelpDeskAddress() { return ServerBaseAddress() + QStringLiteral("/quillan/helpdesk.asp"); }

frmSkyrendelUpdates::frmSkyrendelUpdates(QWidget* owner) : QWidget(owner, Qt::Window), owner_(owner) {
    setObjectName(QStringLiteral("frmSkyrendelUpdates"));
    UseProgramStyle(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Skyrendel Updates"));
    setFixedSize(600, 420);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, artwork::kNavy);
    setPalette(pal);

    Image1_ = new PictureBox(this, QStringLiteral("Image1"));
    Image1_->setGeometry(0, 0, 600, 64);
    Image1_->setPicture(art::Heading(QSize(600, 64), QStringLiteral("Updates")));

    picScreen_1_ = new QWidget(this);
    picScreen_1_->setObjectName(QStringLiteral("picScreen_1"));
    picScreen_1_->setGeometry(20, 80, 560, 270);
    picScreen_1_->setAutoFillBackground(true);
    picScreen_1_->hide();

    const QString texts[2] = {
        QStringLiteral("This is the updates screen.  You can use it from time to time to see if we've made any "
                       "changes to this software and also to install additional aircraft as they become "
                       "available.  "),
        QStringLiteral("Additionally, if you think you have spotted something incorrect in this software, you might "
                       "want to use this update before you report it to us - perhaps we've already addressed your "
                       "issue.")};
    for (int i = 0; i < 2; ++i) {
        Label1_[i] = new QLabel(texts[i], picScreen_1_);
        Label1_[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1_[i]->setWordWrap(true);
        Label1_[i]->setGeometry(20, 14 + i * 78, 400, 74);
        Label1_[i]->setStyleSheet(QStringLiteral("color: #0f1f3a; font-size: 13px;"));
    }

    Image2_ = new PictureBox(picScreen_1_, QStringLiteral("Image2"));
    Image2_->setGeometry(440, 20, 100, 110);
    Image2_->setPicture(art::HelpDeskFace(QSize(100, 110), false));
    Image2_->setCursor(Qt::PointingHandCursor);
    Image2_->setToolTip(QStringLiteral("Visit our help desk"));
    connect(Image2_, &PictureBox::clicked, this, &frmSkyrendelUpdates::Image2_Click);

    cmdUpdate_1_ = new QPushButton(QStringLiteral("&Check for Updates / Get Additional Aircraft"), picScreen_1_);
    cmdUpdate_1_->setObjectName(QStringLiteral("cmdUpdate_1"));
    cmdUpdate_1_->setGeometry(80, 200, 400, 44);
    cmdUpdate_1_->setStyleSheet(QStringLiteral(
        "QPushButton { background: #3d7ec9; color: white; font-weight: bold; font-size: 14px; border-radius: 8px; }"
        "QPushButton:hover { background: #f2b705; color: #0f1f3a; }"
        "QPushButton:focus { border: 2px solid #ffc82e; }"
        "QPushButton:disabled { background: #8a93a3; }"));
    connect(cmdUpdate_1_, &QPushButton::clicked, this, [this] { cmdUpdate_Click(1); });

    cmdExit_ = new QPushButton(QStringLiteral("E&xit"), this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    cmdExit_->setGeometry(480, 366, 100, 36);
    connect(cmdExit_, &QPushButton::clicked, this, &frmSkyrendelUpdates::cmdExit_Click);
}

void frmSkyrendelUpdates::Form_Load() {
    if (owner_) owner_->setEnabled(false);
    // The owner's disabling reaches its owned windows too; this one stays
    // usable.
    setEnabled(true);
    CenterForm(this);
    QPalette pal = picScreen_1_->palette();
    pal.setColor(QPalette::Window, QColor(0xff, 0xff, 0xff));
    picScreen_1_->setPalette(pal);
    picScreen_1_->show();
}

void frmSkyrendelUpdates::cmdUpdate_Click(int) {
    setEnabled(false);
    UpdateAll(this);
    setEnabled(true);
}

void frmSkyrendelUpdates::Image2_Click() { OpenWithShell(HelpDeskAddress()); }

void frmSkyrendelUpdates::cmdExit_Click() { close(); }

void frmSkyrendelUpdates::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        if (owner_) {
            owner_->setEnabled(true);
            owner_->activateWindow();
            owner_->setFocus();
        }
    }
    event->accept();
}

} // namespace sky::updates
