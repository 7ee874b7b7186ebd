#include "game/frmSkyrendelAircraftMissing.h"

#include "shell/application.h"

#include "shell/appstate.h"
#include "shell/artwork.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace sky::game {

bool GoToUpdates = false;

using namespace sky::artwork;

QImage AircraftMissingHeading(const QSize& size) {
    QImage img = NewImage(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, kNavy);
    g.setColorAt(1, kSky.darker(160));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    // A warning triangle.
    const int h = size.height() - 16;
    QPolygonF tri;
    tri << QPointF(12 + h / 2.0, 8) << QPointF(12 + h, 8 + h) << QPointF(12, 8 + h);
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPolygon(tri);
    p.setPen(kNavy);
    p.setFont(TitleFont(h * 2 / 3));
    p.drawText(QRectF(12, 10, h, h), Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("!"));
    p.setPen(kGold);
    p.setFont(TitleFont(qMax(14, size.height() / 2 - 4)));
    p.drawText(QRect(h + 28, 0, size.width() - h - 36, size.height()), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Warning: Aircraft Not Installed"));
    return img;
}

QImage AircraftMissingText(const QSize& size) {
    QImage img = NewImage(size, kWhite);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(kNavy);
    QFont f = TitleFont(14, false);
    p.setFont(f);
    const QString text = QStringLiteral(
        "There are aircraft available for this program that are not yet installed on this computer. "
        "This can also happen when an update was interrupted.\n\n"
        "Please visit the update screen from the main menu: it walks you through the steps to get the "
        "additional aircraft.\n\n"
        "We strongly recommend updating now, but you may continue with the aircraft that are installed "
        "for the time being.\n\n"
        "The Captain's Challenge is not available until all aircraft have been installed through the "
        "update feature.");
    p.drawText(QRect(16, 12, size.width() - 32, size.height() - 24), Qt::TextWordWrap | Qt::AlignLeft, text);
    return img;
}

frmSkyrendelAircraftMissing::frmSkyrendelAircraftMissing(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSkyrendelAircraftMissing"));
    UseProgramStyle(this);
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setFixedSize(640, 440);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kNavy);
    setPalette(pal);

    imgHeading_ = new PictureBox(this, QStringLiteral("imgHeading"));
    imgHeading_->setGeometry(0, 0, 640, 60);
    imgHeading_->setPicture(AircraftMissingHeading(QSize(640, 60)));

    picPanel_ = new QWidget(this);
    picPanel_->setObjectName(QStringLiteral("picPanel"));
    picPanel_->setGeometry(16, 74, 608, 350);
    picPanel_->setAutoFillBackground(true);

    imgText_ = new PictureBox(picPanel_, QStringLiteral("imgText"));
    imgText_->setGeometry(0, 0, 608, 230);
    imgText_->setPicture(AircraftMissingText(QSize(608, 230)));

    const QString style = QStringLiteral(
        "QPushButton { background: #ffffff; color: #0f1f3a; border: none; text-align: left; font-size: 14px;"
        " font-weight: bold; text-decoration: underline; padding-left: 16px; }"
        "QPushButton:hover { color: #3d7ec9; }");
    cmdReturnMainMenu_ =
        new QPushButton(QStringLiteral("Take me to the update screen so that I can get the missing aircraft"), picPanel_);
    cmdReturnMainMenu_->setObjectName(QStringLiteral("cmdReturnMainMenu"));
    cmdReturnMainMenu_->setGeometry(0, 240, 608, 40);
    cmdReturnMainMenu_->setStyleSheet(style);
    cmdReturnMainMenu_->setCursor(Qt::PointingHandCursor);
    connect(cmdReturnMainMenu_, &QPushButton::clicked, this, &frmSkyrendelAircraftMissing::cmdReturnMainMenu_Click);

    cmdContinue_ = new QPushButton(QStringLiteral("Continue with incomplete aircraft set"), picPanel_);
    cmdContinue_->setObjectName(QStringLiteral("cmdContinue"));
    cmdContinue_->setGeometry(0, 290, 608, 40);
    cmdContinue_->setStyleSheet(style);
    cmdContinue_->setCursor(Qt::PointingHandCursor);
    connect(cmdContinue_, &QPushButton::clicked, this, &frmSkyrendelAircraftMissing::cmdContinue_Click);

    // Load: centred, the panel painted white and shown.
    CenterForm(this);
    QPalette white = picPanel_->palette();
    white.setColor(QPalette::Window, QColor(0xff, 0xff, 0xff));
    picPanel_->setPalette(white);
    picPanel_->show();
}

void frmSkyrendelAircraftMissing::cmdReturnMainMenu_Click() {
    GoToUpdates = true;
    close();
}

void frmSkyrendelAircraftMissing::cmdContinue_Click() {
    GoToUpdates = false;
    close();
}

} // namespace sky::game
