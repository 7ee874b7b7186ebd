// Shows a window designed at one size at any size. Every control's place
// and type size, as designed, is scaled by one factor (the smaller of the
// width and height ratios) and the whole design is centred in the window,
// so pictures, texts and marks keep their proportions. The window redraws
// its pictures at the new size through `onScaled`, never stretching a
// bitmap drawn for another size.
//
//   scaler_ = new DesignScaler(this, QSize(1000, 700));
//   ... build the controls at their design places ...
//   scaler_->capture();
//   scaler_->onScaled = [this](double f) { redrawFaces(); };
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QVector>
#include <functional>

class QWidget;

namespace sky {

class DesignScaler : public QObject {
    Q_OBJECT
public:
    DesignScaler(QWidget* window, const QSize& design);

    // Records the design place and type size of every control in the
    // window. Called once, with the window at its design size.
    void capture();
    // Scales `w` itself but leaves what is inside it to its own layout.
    void leaveContents(QWidget* w);
    // Lays out every control for the window's present size.
    void apply();
    // Moves a control to another place of the design (a layout that changes
    // after capture) and shows it there at the present scale.
    void setDesignGeometry(QWidget* w, const QRect& design);

    double factor() const { return factor_; }
    QSize designSize() const { return design_; }
    // A rectangle of the design, in the window's present coordinates.
    QRect mapFromDesign(const QRect& design) const;
    // A rectangle in a control's parent, scaled (no centring offset).
    QRect scaleRect(const QRect& design) const;
    // A design type size at the present scale.
    int scalePixels(int designPixels) const;

    // Runs after every change of scale, with the new factor.
    std::function<void(double)> onScaled;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QPointer<QWidget> widget;
        QRect design;
        int pixelSize = -1;
        bool topLevelChild = false;
    };
    void collect(QWidget* parent, bool topLevelChild);

    QWidget* window_;
    QSize design_;
    QVector<Item> items_;
    QVector<QPointer<QWidget>> leave_;
    double factor_ = 1.0;
    QPoint offset_;
};

} // namespace sky
