#include "shell/frmSkyrendelSplash.h"

#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QEvent>

namespace sky {

frmSkyrendelSplash::frmSkyrendelSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSkyrendelSplash"));
    setFixedSize(520, 260);
    setStyleSheet(QStringLiteral("background: #0f1f3a;"));
    Picture1_ = new PictureBox(this, QStringLiteral("Picture1"));
    Picture1_->setGeometry(0, 0, 520, 220);
    Picture1_->setStretch(true);
    Picture1_->setPicture(artwork::SplashFace(QSize(520, 220)));
    Picture2_ = new QWidget(this);
    Picture2_->setObjectName(QStringLiteral("Picture2"));
    Picture2_->setGeometry(24, 228, 472, 14);
    Picture2_->setStyleSheet(QStringLiteral("background: #1d3358; border-radius: 3px;"));
    Shape1_ = new QWidget(Picture2_);
    Shape1_->setObjectName(QStringLiteral("Shape1"));
    Shape1_->setGeometry(0, 0, 0, 14);
    Shape1_->setStyleSheet(QStringLiteral("background: #f2b705; border-radius: 3px;"));
}

void frmSkyrendelSplash::showEvent(QShowEvent*) {
    if (!loaded_) Form_Load();
}

void frmSkyrendelSplash::Form_Load() {
    loaded_ = true;
    Shape1_->move(0, Shape1_->y());
    CenterForm(this);
    SetPercent(2);
}

void frmSkyrendelSplash::changeEvent(QEvent* e) {
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        repaint();
        platform().clock->processEvents();
    }
    QWidget::changeEvent(e);
}

void frmSkyrendelSplash::SetPercent(int k) {
    lastPercent_ = k;
    // The control keeps whole pixels; the product itself is not rounded.
    const double w = k / 100.0 * Picture2_->width();
    Shape1_->resize(static_cast<int>(w), Shape1_->height());
    // Only the bar changes: the picture above it is not drawn again.
    Picture2_->repaint();
    emit percentSet(k);
}

int frmSkyrendelSplash::barWidth() const { return Shape1_->width(); }
int frmSkyrendelSplash::trackWidth() const { return Picture2_->width(); }

} // namespace sky
