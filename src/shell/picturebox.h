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

private:
    const QImage& drawn() const;
    mutable QImage image_;
    mutable std::function<QImage()> source_;
    QColor back_ = Qt::transparent;
    bool stretch_ = false;
};

} // namespace sky
