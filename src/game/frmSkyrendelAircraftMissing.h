// The notice shown before the game selector when some aircraft's picture
// database is not installed: go to the updates window, or carry on with the
// aircraft that are installed.
#pragma once

#include <QDialog>

class QPushButton;

namespace sky {
class PictureBox;
}

namespace sky::game {

// The notice's answer: true when the user asked for the updates window.
// False when the program starts; left as it was when the notice is closed
// without either button.
extern bool GoToUpdates;

class frmSkyrendelAircraftMissing : public QDialog {
    Q_OBJECT
public:
    explicit frmSkyrendelAircraftMissing(QWidget* parent = nullptr);

    void cmdReturnMainMenu_Click();
    void cmdContinue_Click();

private:
    PictureBox* imgHeading_;
    QWidget* picPanel_;
    PictureBox* imgText_;
    QPushButton* cmdReturnMainMenu_;
    QPushButton* cmdContinue_;
};

// The text picture of the notice.
QImage AircraftMissingText(const QSize& size);
// The heading reading "Warning: Aircraft Not Installed".
QImage AircraftMissingHeading(const QSize& size);

} // namespace sky::game
