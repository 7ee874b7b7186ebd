// The user's name and e-mail address: printed on the Captain's Challenge
// certificate and sent with problem reports. They are asked once, in a
// small dialog, and kept in the settings store ("UserFirstName",
// "UserLastName", "UserEmail" in section "SETTINGS"); the same dialog
// changes them later.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sky::game {

// The program-wide copies, refreshed by LoadUserDetails and by the dialog.
extern QString UserFirstName;
extern QString UserLastName;
extern QString UserEmail;

// Reads the three values from the settings store (empty when absent).
void LoadUserDetails();

// Makes sure the user has given a name: when neither a first nor a last
// name is stored, shows the dialog. False when the user cancelled it.
bool EnsureUserDetails(QWidget* parent);
// Shows the dialog with the stored values so the user can change them;
// false when cancelled (nothing is changed then).
bool EditUserDetails(QWidget* parent);

class frmUserDetails : public QDialog {
    Q_OBJECT
public:
    explicit frmUserDetails(QWidget* parent = nullptr);

    // OK: checks the e-mail address, stores the three values and closes.
    void cmdOK_Click();

private:
    void updatePreview();

    QLineEdit* txtFirstName_;
    QLineEdit* txtLastName_;
    QLineEdit* txtEmail_;
    QLabel* lblPreview_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

} // namespace sky::game
