#include "shell/frmSkyrendelSplash.h"

#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QEvent>
#include <QPainter>

namespace sky {

namespace {
// A plain rounded bar of one colour: the progress bar's track and the bar.
class RoundedBar : public QWidget {
public:
    RoundedBar(QWidget* parent, const QString& name, const QColor& colour) : QWidget(parent), colour_(colour) {
        setObjectName(name);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (width() <= 0) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colour_);
        p.drawRoundedRect(QRectF(rect()), 3, 3);
    }

private:
    QColor colour_;
};
} // namespace

frmSkyrendelSplash::frmSkyrendelSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSkyrendelSplash"));
    setFixedSize(520, 260);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, artwork::kNavy);
    setPalette(pal);
    Picture1_ = new PictureBox(this, QStringLiteral("Picture1"));
    Picture1_->setGeometry(0, 0, 520, 220);
    Picture1_->setStretch(true);
    Picture1_->setPicture(artwork::SplashFace(QSize(520, 220)));
    Picture2_ = new RoundedBar(this, QStringLiteral("Picture2"), QColor(0x1d, 0x33, 0x58));
    Picture2_->setGeometry(24, 228, 472, 14);
    Shape1_ = new RoundedBar(Picture2_, QStringLiteral("Shape1"), artwork::kGold);
    Shape1_->setGeometry(0, 0, 0, 14);
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
