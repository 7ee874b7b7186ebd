// The small window that asks the user to wait while the data is copied
// into the user folder on the first run.
#pragma once

#include <QWidget>

class QLabel;

namespace sky {

class frmMaintenance : public QWidget {
    Q_OBJECT
public:
    explicit frmMaintenance(QWidget* owner = nullptr);

    // Shows the window without blocking, owned by the main window.
    static void showModeless();
    static void closeIfOpen();

    // The label's designed text, with "@" for each line break.
    static const char* kDesignedMessage;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Resize();
    QLabel* lblMessage_;
    QLabel* Image1_;
    QLabel* Image2_;
};

} // namespace sky
