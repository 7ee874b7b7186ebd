#include "shell/designscale.h"

#include <QEvent>
#include <QWidget>

#include <cmath>

namespace sky {

DesignScaler::DesignScaler(QWidget* window, const QSize& design) : QObject(window), window_(window), design_(design) {
    window_->installEventFilter(this);
}

void DesignScaler::leaveContents(QWidget* w) { leave_.push_back(w); }

void DesignScaler::capture() {
    items_.clear();
    collect(window_, true);
}

void DesignScaler::collect(QWidget* parent, bool topLevelChild) {
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow()) continue;
        Item item;
        item.widget = w;
        item.design = w->geometry();
        item.pixelSize = w->font().pixelSize();
        item.topLevelChild = topLevelChild;
        w->setProperty("DesignPixelSize", item.pixelSize);
        items_.push_back(item);
        if (!leave_.contains(w)) collect(w, false);
    }
}

QRect DesignScaler::scaleRect(const QRect& d) const {
    // Edges are scaled, not sizes, so neighbours stay neighbours.
    const int left = static_cast<int>(std::lround(d.left() * factor_));
    const int top = static_cast<int>(std::lround(d.top() * factor_));
    const int right = static_cast<int>(std::lround((d.left() + d.width()) * factor_));
    const int bottom = static_cast<int>(std::lround((d.top() + d.height()) * factor_));
    return QRect(left, top, right - left, bottom - top);
}

QRect DesignScaler::mapFromDesign(const QRect& design) const { return scaleRect(design).translated(offset_); }

int DesignScaler::scalePixels(int designPixels) const {
    return qMax(1, static_cast<int>(std::lround(designPixels * factor_)));
}

void DesignScaler::apply() {
    const QSize now = window_->size();
    const double f = qMax(0.1, qMin(double(now.width()) / design_.width(), double(now.height()) / design_.height()));
    factor_ = f;
    offset_ = QPoint(static_cast<int>((now.width() - std::lround(design_.width() * f)) / 2),
                     static_cast<int>((now.height() - std::lround(design_.height() * f)) / 2));
    window_->setProperty("DesignScale", f);
    for (const Item& item : items_) {
        QWidget* w = item.widget;
        if (!w) continue;
        w->setGeometry(item.topLevelChild ? mapFromDesign(item.design) : scaleRect(item.design));
        if (item.pixelSize > 0) {
            QFont font = w->font();
            font.setPixelSize(scalePixels(item.pixelSize));
            w->setFont(font);
        }
    }
    if (onScaled) onScaled(f);
}

void DesignScaler::setDesignGeometry(QWidget* w, const QRect& design) {
    for (Item& item : items_) {
        if (item.widget != w) continue;
        item.design = design;
        w->setGeometry(item.topLevelChild ? mapFromDesign(design) : scaleRect(design));
        return;
    }
    w->setGeometry(design);
}

bool DesignScaler::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Resize && !items_.isEmpty()) apply();
    return QObject::eventFilter(watched, event);
}

} // namespace sky
