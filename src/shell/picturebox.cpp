#include "shell/picturebox.h"

#include <QMouseEvent>
#include <QPainter>

namespace sky {

PictureBox::PictureBox(QWidget* parent, const QString& objectName) : QWidget(parent) {
    if (!objectName.isEmpty()) setObjectName(objectName);
    setMouseTracking(true);
}

void PictureBox::setPicture(const QImage& image) {
    source_ = nullptr;
    image_ = image;
    update();
}

void PictureBox::setPictureSource(std::function<QImage()> draw) {
    source_ = std::move(draw);
    image_ = QImage();
    update();
}

const QImage& PictureBox::drawn() const {
    if (source_) {
        image_ = source_();
        source_ = nullptr;
    }
    return image_;
}

QImage PictureBox::picture() const { return drawn(); }

void PictureBox::clearPicture() {
    source_ = nullptr;
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
    const QImage& image = drawn();
    if (image.isNull()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (stretch_) {
        p.drawImage(rect(), image);
        return;
    }
    QSize s = image.size();
    s.scale(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
    p.drawImage(target, image);
}

void PictureBox::mousePressEvent(QMouseEvent* e) { emit mouseDown(e->button()); }

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseUp(e->button());
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

void PictureBox::mouseMoveEvent(QMouseEvent*) { emit mouseMoved(); }

} // namespace sky
