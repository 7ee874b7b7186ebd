// The progress window: which file is being fetched and how far it has got,
// with a Cancel button. It refuses to close while CanClose is false and
// takes the focus back when it loses it.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace sky::updates {

class frmUpdates : public QWidget {
    Q_OBJECT
public:
    explicit frmUpdates(QWidget* owner = nullptr);

    bool CanClose() const { return canClose_; }
    void setCanClose(bool canClose) { canClose_ = canClose; }

    QProgressBar* pbProgress() const { return pbProgress_; }
    QLabel* lblBottom() const { return lblBottom_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

    void cmdCancel_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool canClose_ = false;
    QProgressBar* pbProgress_;
    QLabel* lblBottom_;
    QPushButton* cmdCancel_;
};

} // namespace sky::updates
