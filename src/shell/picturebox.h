// A picture control: shows an image scaled to fit (keeping its shape) and
// reports the mouse as the picture controls of the windows need it.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace sky {

// Anything a picture can be put into.
class PictureTarget {
public:
    virtual ~PictureTarget() = default;
    virtual void setPicture(const QImage& image) = 0;
    virtual QImage picture() const = 0;
};

class PictureBox : public QWidget, public PictureTarget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr, const QString& objectName = QString());

    void setPicture(const QImage& image) override;
    // The picture, drawn by `draw` the first time anything needs it (shown,
    // or asked for by picture()) and kept from then on: artwork for faces
    // not on screen yet costs nothing at start.
    void setPictureSource(std::function<QImage()> draw);
    QImage picture() const override;
    void clearPicture();
    bool hasPicture() const { return !image_.isNull() || static_cast<bool>(source_); }

    // Stretch the image to the whole box instead of fitting it.
    void setStretch(bool stretch);
    // The background shown around a fitted image.
    void setBackColor(const QColor& color);
    QColor backColor() const { return back_; }

    // Draws the box's picture for its size, now and whenever the box is
    // resized, so a face is never a bitmap stretched from another size.
    void setFacePainter(std::function<QImage(const QSize&)> painter);

    // Lets the keyboard reach the box: it takes the focus with Tab, shows a
    // ring while it has it, and Enter, the keypad's Enter or Space click it.
    void setKeyboardActivation(bool on);
    bool keyboardActivation() const { return keyboard_; }
    // The colour of the focus ring.
    static QColor focusRingColor();

signals:
    void clicked();
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    const QImage& drawn() const;
    mutable QImage image_;
    mutable std::function<QImage()> source_;
    QColor back_ = Qt::transparent;
    bool stretch_ = false;
    bool keyboard_ = false;
    std::function<QImage(const QSize&)> painter_;
};

} // namespace sky
