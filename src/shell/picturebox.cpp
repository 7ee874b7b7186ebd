#include "shell/picturebox.h"

#include <QMouseEvent>
#include <QPainter>

namespace sky {

PictureBox::PictureBox(QWidget* parent, const QString& objectName) : QWidget(parent) {
    if (!objectName.isEmpty()) setObjectName(objectName);
    setMouseTracking(true);
}

void PictureBox::setPicture(const QImage& image) {
    image_ = image;
    update();
}

void PictureBox::clearPicture() {
    image_ = QImage();
    update();
}

void PictureBox::setStretch(bool stretch) {
    stretch_ = stretch;
    update();
}

void PictureBox::setBackColor(const QColor& color) {
    back_ = color;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (back_.alpha() > 0) p.fillRect(rect(), back_);
    if (image_.isNull()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (stretch_) {
        p.drawImage(rect(), image_);
        return;
    }
    QSize s = image_.size();
    s.scale(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
    p.drawImage(target, image_);
}

void PictureBox::mousePressEvent(QMouseEvent* e) { emit mouseDown(e->button()); }

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseUp(e->button());
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

void PictureBox::mouseMoveEvent(QMouseEvent*) { emit mouseMoved(); }

} // namespace sky
