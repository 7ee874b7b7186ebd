#include "learning/frmSkyrendelFAQ.h"

#include "shell/application.h"

#include "data/catalog.h"
#include "learning/htmlview.h"
#include "learning/learningartwork.h"
#include "shell/appstate.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"

namespace sky::learning {

namespace {
constexpr QSize kWindowSize{820, 640};
constexpr QSize kExitSize{110, 38};
} // namespace

frmSkyrendelFAQ::frmSkyrendelFAQ(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSkyrendelFAQ"));
    UseProgramStyle(this);
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QStringLiteral(" - Frequently Asked Questions"));
    setModal(true);
    setFixedSize(kWindowSize);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, art::PanelBackground());
    setPalette(pal);
    setAutoFillBackground(true);

    imgHeading_ = new PictureBox(this, QStringLiteral("imgFAQHeading"));
    imgHeading_->setStretch(true);
    imgHeading_->setGeometry(0, 0, 520, 60);
    imgHeading_->setPicture(art::FaqHeading(imgHeading_->size()));

    WebBrowser1_ = new HtmlView(this, QStringLiteral("WebBrowser1"));
    WebBrowser1_->setGeometry(16, 70, kWindowSize.width() - 32, kWindowSize.height() - 70 - kExitSize.height() - 28);

    cmdExit_ = new PictureBox(this, QStringLiteral("cmdExit"));
    cmdExit_->setStretch(true);
    cmdExit_->setGeometry(QRect(QPoint(kWindowSize.width() - 16 - kExitSize.width(),
                                       kWindowSize.height() - 14 - kExitSize.height()),
                                kExitSize));
    cmdExit_->setPicture(art::ExitFace(kExitSize, QStringLiteral("Close")));
    cmdExit_->setCursor(Qt::PointingHandCursor);
    cmdExit_->setToolTip(QStringLiteral("Close (Esc)"));
    cmdExit_->setAccessibleName(QStringLiteral("Close"));
    connect(cmdExit_, &PictureBox::clicked, this, &frmSkyrendelFAQ::cmdExit_Click);

    Form_Load();
}

QString frmSkyrendelFAQ::FaqPath() { return CatPathA(InstallFolder(), QStringLiteral("SKR_FAQ.html")); }

void frmSkyrendelFAQ::Form_Load() {
    CenterForm(this);
    const QString text = data::GetTextConstant(QStringLiteral("FAQ"));
    const QString path = FaqPath();
    StringToFile(text, path);
    WebBrowser1_->Navigate(path);
}

void frmSkyrendelFAQ::cmdExit_Click() { accept(); }

} // namespace sky::learning
