#include "shell/frmMaintenance.h"

#include "shell/appstate.h"
#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/platform.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>

namespace sky {

const char* frmMaintenance::kDesignedMessage =
    "This software is currently performing some important system maintenance. This may take up to a few "
    "minutes.@Thank you for your patience.  Do not turn off your PC while this maintenance is taking place.";

namespace {
QPointer<frmMaintenance> g_open;
}

frmMaintenance::frmMaintenance(QWidget* owner) : QWidget(owner, Qt::Dialog | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmMaintenance"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFixedSize(480, 240);
    Image2_ = new QLabel(this);
    Image2_->setObjectName(QStringLiteral("Image2"));
    Image2_->setScaledContents(true);
    Image2_->setPixmap(artwork::MaintenanceBackground(QSize(480, 240)));
    Image1_ = new QLabel(this);
    Image1_->setObjectName(QStringLiteral("Image1"));
    Image1_->setPixmap(artwork::MaintenanceHeading());
    Image1_->adjustSize();
    lblMessage_ = new QLabel(this);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblMessage_->setWordWrap(true);
    lblMessage_->setAlignment(Qt::AlignCenter);
    lblMessage_->setStyleSheet(QStringLiteral("color: #1d2a3a; font-size: 13px;"));
    lblMessage_->setText(QString::fromLatin1(kDesignedMessage).replace(QLatin1Char('@'), QStringLiteral("\r\n")));
}

void frmMaintenance::showModeless() {
    if (!g_open) g_open = new frmMaintenance(MainWindowWidget());
    g_open->setAttribute(Qt::WA_DeleteOnClose);
    // In the middle of the screen, whether or not the main window is shown.
    CenterForm(g_open);
    g_open->show();
    CenterForm(g_open);
}

void frmMaintenance::closeIfOpen() {
    if (g_open) {
        g_open->close();
        g_open = nullptr;
    }
}

void frmMaintenance::resizeEvent(QResizeEvent*) { Form_Resize(); }

void frmMaintenance::Form_Resize() {
    update();
    const int inner = width();
    lblMessage_->setFixedWidth(qMax(40, inner - 3000 / 15));
    lblMessage_->adjustSize();
    lblMessage_->move((inner - lblMessage_->width()) / 2, (height() - lblMessage_->height()) / 2);
    Image1_->move((inner - Image1_->width()) / 2, 0);
    Image2_->setGeometry(0, 0, width(), height());
    Image2_->lower();
    platform().clock->processEvents();
}


} // namespace sky
