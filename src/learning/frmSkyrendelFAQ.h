// The FAQ window: the program's frequently asked questions, kept as the
// text constant "FAQ" of the catalogue and shown from "SKR_FAQ.html" in the
// data folder, which is written afresh each time the window opens.
//
//   sky::learning::frmSkyrendelFAQ faq(mainWindow);
//   faq.exec();
#pragma once

#include <QDialog>

namespace sky {
class PictureBox;
}

namespace sky::learning {

class HtmlView;

class frmSkyrendelFAQ : public QDialog {
    Q_OBJECT
public:
    explicit frmSkyrendelFAQ(QWidget* parent = nullptr);

    void cmdExit_Click();
    HtmlView* webBrowser() const { return WebBrowser1_; }

    static QString FaqPath();

private:
    void Form_Load();

    PictureBox* imgHeading_ = nullptr;
    HtmlView* WebBrowser1_ = nullptr;
    PictureBox* cmdExit_ = nullptr;
};

} // namespace sky::learning
