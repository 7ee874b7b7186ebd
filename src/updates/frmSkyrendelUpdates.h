// The updates window: what an update does, the button that starts one and
// the way to the maker's help desk. Modeless, owned by the main window,
// which it keeps disabled while it is open.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace sky {
class PictureBox;
}

namespace sky::updates {

// The maker's help-desk page.
QString HelpDeskAddress();

class frmSkyrendelUpdates : public QWidget {
    Q_OBJECT
public:
    explicit frmSkyrendelUpdates(QWidget* owner);

    void Form_Load();
    void cmdUpdate_Click(int index);
    void Image2_Click();
    void cmdExit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* owner_;
    PictureBox* Image1_;
    PictureBox* Image2_;
    QWidget* picScreen_1_;
    QLabel* Label1_[2];
    QPushButton* cmdUpdate_1_;
    QPushButton* cmdExit_;
    bool unloaded_ = false;
};

} // namespace sky::updates
