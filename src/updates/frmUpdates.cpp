#include "updates/frmUpdates.h"

#include "shell/application.h"

#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/platform.h"
#include "updates/inet.h"
#include "updates/modUpdates.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace sky::updates {

frmUpdates::frmUpdates(QWidget* owner) : QWidget(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("frmUpdates"));
    UseProgramStyle(this);
    setWindowTitle(QStringLiteral("Downloading updates..."));
    setFixedSize(460, 130);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, artwork::kSkyLight);
    setPalette(pal);

    pbProgress_ = new QProgressBar(this);
    pbProgress_->setObjectName(QStringLiteral("pbProgress"));
    pbProgress_->setGeometry(20, 20, 420, 24);
    pbProgress_->setRange(0, 1000);
    pbProgress_->setValue(0);
    pbProgress_->setTextVisible(false);

    lblBottom_ = new QLabel(this);
    lblBottom_->setObjectName(QStringLiteral("lblBottom"));
    lblBottom_->setGeometry(20, 52, 420, 22);
    lblBottom_->setStyleSheet(QStringLiteral("color: #0f1f3a;"));

    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setGeometry(340, 86, 100, 30);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmUpdates::cmdCancel_Click);
    CenterForm(this);
}

void frmUpdates::cmdCancel_Click() {
    const MsgResult answer = platform().messageBox->show(this, windowTitle(), QString::fromLatin1(kCancelQuestion),
                                                         MsgIcon::Question, MsgButtons::YesNo);
    if (answer != MsgResult::No) CancelDownload = true;
}

void frmUpdates::closeEvent(QCloseEvent* event) {
    if (canClose_)
        event->accept();
    else
        event->ignore();
}

bool frmUpdates::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && !canClose_ && isVisible()) {
        QTimer::singleShot(0, this, [this] {
            // A box asked from this window (the cancel question) keeps its focus.
            if (!canClose_ && isVisible() && !QApplication::activeModalWidget()) {
                raise();
                activateWindow();
            }
        });
    }
    return QWidget::event(event);
}

} // namespace sky::updates
