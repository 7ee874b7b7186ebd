#include "shell/picturebox.h"

#include <QKeyEvent>
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

void PictureBox::setFacePainter(std::function<QImage(const QSize&)> painter) {
    painter_ = std::move(painter);
    if (painter_ && !size().isEmpty()) setPicture(painter_(size()));
}

void PictureBox::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (painter_ && !size().isEmpty()) setPicture(painter_(size()));
}

void PictureBox::setKeyboardActivation(bool on) {
    keyboard_ = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    update();
}

QColor PictureBox::focusRingColor() { return QColor(0xff, 0xc8, 0x2e); }

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (back_.alpha() > 0) p.fillRect(rect(), back_);
    const QImage& image = drawn();
    if (!image.isNull()) {
        QRect target = rect();
        if (!stretch_) {
            QSize s = image.deviceIndependentSize().toSize();
            s.scale(size(), Qt::KeepAspectRatio);
            // A picture a pixel or two short of the box (rounding of its
            // shape) fills it, instead of leaving a thin strip of background.
            if (width() - s.width() <= 2) s.setWidth(width());
            if (height() - s.height() <= 2) s.setHeight(height());
            target = QRect(QPoint((width() - s.width()) / 2, (height() - s.height()) / 2), s);
        }
        if (image.deviceIndependentSize().toSize() == target.size()) {
            // Drawn as it is, pixel for pixel: no transform, one plain copy
            // (a scaled draw of a large picture starts pool threads).
            p.drawImage(target.topLeft(), image);
        } else {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(target, image);
        }
    }
    if (keyboard_ && hasFocus()) {
        // Where the keyboard is: a ring just inside the edge.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(focusRingColor(), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
}

void PictureBox::keyPressEvent(QKeyEvent* e) {
    if (keyboard_ && isEnabled() && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space)) {
        e->accept();
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(e);
}

void PictureBox::focusInEvent(QFocusEvent* e) {
    update();
    QWidget::focusInEvent(e);
}

void PictureBox::focusOutEvent(QFocusEvent* e) {
    update();
    QWidget::focusOutEvent(e);
}

void PictureBox::mousePressEvent(QMouseEvent* e) { emit mouseDown(e->button()); }

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseUp(e->button());
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

void PictureBox::mouseMoveEvent(QMouseEvent*) { emit mouseMoved(); }

} // namespace sky
