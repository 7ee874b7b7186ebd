#include "game/frmUserDetails.h"

#include "shell/application.h"

#include "game/certificate.h"
#include "shell/appstate.h"
#include "shell/platform.h"
#include "shell/settings.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace sky::game {

QString UserFirstName;
QString UserLastName;
QString UserEmail;

void LoadUserDetails() {
    UserFirstName = GetAppSetting(QStringLiteral("UserFirstName"), QString());
    UserLastName = GetAppSetting(QStringLiteral("UserLastName"), QString());
    UserEmail = GetAppSetting(QStringLiteral("UserEmail"), QString());
}

bool EnsureUserDetails(QWidget* parent) {
    LoadUserDetails();
    if (!UserFirstName.trimmed().isEmpty() || !UserLastName.trimmed().isEmpty()) return true;
    return EditUserDetails(parent);
}

bool EditUserDetails(QWidget* parent) {
    LoadUserDetails();
    frmUserDetails dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

frmUserDetails::frmUserDetails(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmUserDetails"));
    UseProgramStyle(this);
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QStringLiteral(" - Your Details"));
    setModal(true);

    auto* intro = new QLabel(QStringLiteral("Please enter your name as it should appear on your certificate, "
                                            "and your e-mail address for replies to problem reports."),
                             this);
    intro->setObjectName(QStringLiteral("lblIntro"));
    intro->setWordWrap(true);

    txtFirstName_ = new QLineEdit(UserFirstName, this);
    txtFirstName_->setObjectName(QStringLiteral("txtFirstName"));
    txtFirstName_->setMaxLength(60);
    txtLastName_ = new QLineEdit(UserLastName, this);
    txtLastName_->setObjectName(QStringLiteral("txtLastName"));
    txtLastName_->setMaxLength(60);
    txtEmail_ = new QLineEdit(UserEmail, this);
    txtEmail_->setObjectName(QStringLiteral("txtEmail"));
    txtEmail_->setMaxLength(254);
    txtEmail_->setPlaceholderText(QStringLiteral("name@example.com (optional)"));

    lblPreview_ = new QLabel(this);
    lblPreview_->setObjectName(QStringLiteral("lblPreview"));
    lblPreview_->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&First name:"), txtFirstName_);
    form->addRow(QStringLiteral("&Last name:"), txtLastName_);
    form->addRow(QStringLiteral("&E-mail:"), txtEmail_);

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(lblPreview_);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(cmdOK_, &QPushButton::clicked, this, &frmUserDetails::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(txtFirstName_, &QLineEdit::textChanged, this, &frmUserDetails::updatePreview);
    connect(txtLastName_, &QLineEdit::textChanged, this, &frmUserDetails::updatePreview);
    updatePreview();
}

void frmUserDetails::updatePreview() {
    // What the certificate will print, so a replaced character is no surprise.
    QString printed = CertificateSafeText(txtFirstName_->text().trimmed() + QLatin1Char(' ') + txtLastName_->text().trimmed());
    printed = printed.trimmed();
    QString text = QStringLiteral("On the certificate: ") + (printed.isEmpty() ? QStringLiteral("(no name)") : printed);
    if (printed.size() > kCertificateNameWidth)
        text += QStringLiteral("\nOnly the first %1 characters fit on the certificate.").arg(kCertificateNameWidth);
    lblPreview_->setText(text);
}

void frmUserDetails::cmdOK_Click() {
    const QString first = txtFirstName_->text().trimmed();
    const QString last = txtLastName_->text().trimmed();
    const QString email = txtEmail_->text().trimmed();
    static const QRegularExpression kEmail(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    if (!email.isEmpty() && !kEmail.match(email).hasMatch()) {
        platform().messageBox->show(this, QString::fromLatin1(kApplicationTitle),
                                    QStringLiteral("The e-mail address \"") + email +
                                        QStringLiteral("\" does not look right. Please enter it as name@example.com, "
                                                       "or leave it empty."),
                                    MsgIcon::Exclamation, MsgButtons::OkOnly);
        txtEmail_->setFocus();
        return;
    }
    SaveAppSetting(QStringLiteral("UserFirstName"), first);
    SaveAppSetting(QStringLiteral("UserLastName"), last);
    SaveAppSetting(QStringLiteral("UserEmail"), email);
    UserFirstName = first;
    UserLastName = last;
    UserEmail = email;
    accept();
}

} // namespace sky::game
