#include "game/frmSkyrendelResults.h"

#include "shell/application.h"

#include "data/pictures.h"
#include "game/certificate.h"
#include "game/frmUserDetails.h"
#include "game/gameartwork.h"
#include "game/gamesettings.h"
#include "quiz/records.h"
#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/designscale.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QRadioButton>
#include <QShortcut>

namespace sky::game {

namespace {

constexpr QSize kWindowSize{740, 680};
constexpr int kPassMark = 45;
const QColor kRightGreen(0x00, 0xc0, 0x00);
const QColor kWrongRed(0xff, 0x00, 0x00);

QLabel* MakeLabel(QWidget* parent, const QString& name, const QRect& r, int pixelSize, QFont::Weight weight,
                  const QColor& color) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setGeometry(r);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, color);
    l->setPalette(pal);
    return l;
}

} // namespace

QString RemoveNonDigits(const QString& text) {
    // Positions are counted in a 16-bit counter, as they always were.
    constexpr int kLimit = 32767;
    if (text.size() >= kLimit) {
        ShowPlainReport(ErrorReportText(kErrOverflow, QStringLiteral("Overflow"), 10, true,
                                        QStringLiteral("RemoveNonDigits"), QStringLiteral("GeneralFunctions")));
        return QString();
    }
    QString out;
    for (const QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) out += c;
    return out;
}

frmSkyrendelResults::frmSkyrendelResults(const quiz::QuestionRecords& records, QWidget* parent)
    : QDialog(parent), records_(records) {
    setObjectName(QStringLiteral("frmSkyrendelResults"));
    UseProgramStyle(this);
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QStringLiteral(" - Results"));
    setModal(true);
    // Designed at 740x680; larger, the design is shown scaled as a whole.
    resize(kWindowSize);
    setMinimumSize(kWindowSize * 4 / 5);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, art::ResultsBackground());
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    imgTopHeader_ = new PictureBox(this, QStringLiteral("imgTopHeader"));
    imgTopHeader_->setStretch(true);
    imgTopHeader_->resize(kWindowSize.width(), 64);
    imgTopHeader_->setFacePainter([](const QSize& s) { return art::ResultsHeading(s); });

    Image1_ = new PictureBox(this, QStringLiteral("Image1"));
    Image1_->setStretch(true);
    Image1_->setGeometry(20, 84, 170, 40);
    Image1_->setFacePainter([](const QSize& s) { return art::YourScore(s); });
    lblPercent_ = MakeLabel(this, QStringLiteral("lblPercent"), QRect(196, 70, 196, 64), 52, QFont::Black, Qt::white);
    lblNofNCorrect_ =
        MakeLabel(this, QStringLiteral("lblNofNCorrect"), QRect(198, 134, 200, 24), 16, QFont::Normal, Qt::white);

    for (int i = 0; i < 2; ++i) {
        auto* panel = new PictureBox(this, QStringLiteral("picCaptainsChallnege_") + QString::number(i));
        panel->setStretch(true);
        panel->setGeometry(380, 72, 340, 126);
        panel->setFacePainter([i](const QSize& s) { return art::CaptainsChallengePanel(s, i == 1); });
        if (i == 1) {
            panel->setCursor(Qt::PointingHandCursor);
            panel->setToolTip(QStringLiteral("View your completion certificate (PDF file)"));
        }
        connect(panel, &PictureBox::clicked, this, [this, i] { picCaptainsChallnege_Click(i); });
        panel->setKeyboardActivation(i == 1);
        picCaptainsChallnege_[i] = panel;
    }
    cmdChangeName_ = new QPushButton(QStringLiteral("Change the name on the certificate"), this);
    cmdChangeName_->setObjectName(QStringLiteral("cmdChangeName"));
    cmdChangeName_->setGeometry(380, 200, 340, 20);
    cmdChangeName_->setFlat(true);
    cmdChangeName_->setAutoDefault(false);
    cmdChangeName_->setCursor(Qt::PointingHandCursor);
    cmdChangeName_->setStyleSheet(
        QStringLiteral("QPushButton { color: #cfe3f7; text-decoration: underline; border: none; font-size: 12px; }"
                       " QPushButton:focus { border: 2px solid #ffc82e; }"));
    connect(cmdChangeName_, &QPushButton::clicked, this, &frmSkyrendelResults::cmdChangeName_Click);

    Label2_ = MakeLabel(this, QStringLiteral("Label2"), QRect(20, 228, 150, 24), 15, QFont::Bold, Qt::white);
    Label2_->setText(QStringLiteral("Question Review:"));
    grpReview_ = new QButtonGroup(this);
    const QString captions[3] = {QStringLiteral("Incorrect"), QStringLiteral("Correct"), QStringLiteral("Both")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(captions[i], this);
        b->setObjectName(QStringLiteral("optReview_") + QString::number(i));
        b->setGeometry(176 + i * 104, 228, 100, 24);
        QPalette bp = b->palette();
        bp.setColor(QPalette::WindowText, Qt::white);
        b->setPalette(bp);
        grpReview_->addButton(b, i);
        optReview_[i] = b;
    }
    connect(grpReview_, &QButtonGroup::idClicked, this, &frmSkyrendelResults::optReview_Click);
    lblQuestioN_ = MakeLabel(this, QStringLiteral("lblQuestioN"), QRect(500, 228, 220, 24), 15, QFont::Bold, Qt::white);
    lblQuestioN_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Picture1_ = new PictureBox(this, QStringLiteral("Picture1_0"));
    Picture1_->setGeometry(122, 260, 496, 336);
    picAircraft_ = new PictureBox(Picture1_, QStringLiteral("picAircraft_0"));
    picAircraft_->setGeometry(8, 8, 480, 320);
    picAircraft_->setBackColor(Qt::black);
    imgAircraftName_ = new PictureBox(this, QStringLiteral("imgAircraftName_0"));
    imgAircraftName_->setGeometry(122, 604, 496, 44);

    for (int b = 0; b < 2; ++b) {
        auto* arrow = new PictureBox(this, QStringLiteral("cmdChangeAircraft_") + QString::number(b));
        arrow->setStretch(true);
        arrow->setGeometry(b == 0 ? 40 : 636, 396, 64, 64);
        arrow->setFacePainter([b](const QSize& s) { return art::ArrowFace(s, b == 1); });
        arrow->setCursor(Qt::PointingHandCursor);
        arrow->setToolTip(b == 0 ? QStringLiteral("Previous question") : QStringLiteral("Next question"));
        arrow->setAccessibleName(arrow->toolTip());
        connect(arrow, &PictureBox::clicked, this, [this, b] { cmdChangeAircraft_Click(b); });
        arrow->setKeyboardActivation(true);
        cmdChangeAircraft_[b] = arrow;
        // Left and Right page through the questions wherever the focus is,
        // the filter buttons included.
        auto* key = new QShortcut(QKeySequence(b == 0 ? Qt::Key_Left : Qt::Key_Right), this);
        key->setObjectName(b == 0 ? QStringLiteral("shortcutPrevious") : QStringLiteral("shortcutNext"));
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, [this, b] { cmdChangeAircraft_Click(b); });
    }

    const QSize exitSize(96, 40);
    cmdExit_ = new QPushButton(this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    cmdExit_->setAccessibleName(QStringLiteral("Close"));
    cmdExit_->setToolTip(QStringLiteral("Close (Esc)"));
    cmdExit_->setAutoDefault(false);
    cmdExit_->setFlat(true);
    cmdExit_->setGeometry(QRect(QPoint(kWindowSize.width() - 20 - exitSize.width(), 626), exitSize));
    cmdExit_->setIcon(QPixmap::fromImage(art::ExitFace(exitSize, QStringLiteral("Close"))));
    cmdExit_->setIconSize(exitSize);
    cmdExit_->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; } QPushButton:focus { border: 2px solid #ffc82e; }"));
    connect(cmdExit_, &QPushButton::clicked, this, &frmSkyrendelResults::cmdExit_Click);

    // Above Close, right of the photograph: the whole answer history, when
    // the program offers it.
    cmdMyProgress_ = new QPushButton(QStringLiteral("My\nProgress"), this);
    cmdMyProgress_->setObjectName(QStringLiteral("cmdMyProgress"));
    cmdMyProgress_->setAccessibleName(QStringLiteral("My Progress"));
    cmdMyProgress_->setAutoDefault(false);
    cmdMyProgress_->setGeometry(kWindowSize.width() - 20 - 100, 626 - 8 - 52, 100, 52);
    cmdMyProgress_->setVisible(static_cast<bool>(OpenProgress));
    connect(cmdMyProgress_, &QPushButton::clicked, this, [this] {
        if (OpenProgress) OpenProgress(this);
    });

    Form_Load();
}

std::function<void(QWidget*)> frmSkyrendelResults::OpenProgress;

int frmSkyrendelResults::questionCount() const { return static_cast<int>(records_.lstUsersInput.size()); }

bool frmSkyrendelResults::correct(int i) const {
    if (i < 0 || i >= questionCount() || i >= records_.lstCorrectAnswer.size()) return false;
    return records_.isCorrect(i);
}

int frmSkyrendelResults::chosenFilter() const {
    if (optReview_[0]->isChecked()) return 0;
    if (optReview_[1]->isChecked()) return 1;
    return 2;
}

bool frmSkyrendelResults::matchesFilter(int i) const {
    switch (chosenFilter()) {
    case 0: return !correct(i);
    case 1: return correct(i);
    default: return true;
    }
}

void frmSkyrendelResults::Form_Load() {
    CenterForm(this);
    current_ = 0;
    imgTopHeader_->move(0, 0);
    bool anyRight = false, anyWrong = false;
    for (int i = 0; i < questionCount(); ++i) (correct(i) ? anyRight : anyWrong) = true;
    optReview_[0]->setEnabled(anyWrong);
    optReview_[1]->setEnabled(anyRight);
    const bool paging = questionCount() > 0;
    cmdChangeAircraft_[0]->setEnabled(paging);
    cmdChangeAircraft_[1]->setEnabled(paging);
    picCaptainsChallnege_[0]->hide();
    picCaptainsChallnege_[1]->hide();
    cmdChangeName_->hide();
    if (IsCaptainsChallenge) {
        const bool passed = records_.CorrectCount >= kPassMark;
        picCaptainsChallnege_[passed ? 1 : 0]->show();
        cmdChangeName_->setVisible(passed);
    }
    lblPercent_->setText(records_.scorePercentTag);
    lblNofNCorrect_->setText(records_.scoreCountTag);
    optReview_[2]->setChecked(true);
    optReview_Click(2);
}

void frmSkyrendelResults::LoadQuestion(int& i) {
    const int n = questionCount();
    picAircraft_->clearPicture();
    imgAircraftName_->clearPicture();
    if (n == 0) {
        // Nothing was answered: nothing to review.
        i = 0;
        current_ = 0;
        currentFolder_.clear();
        currentNumber_ = 0;
        Picture1_->setBackColor(art::ResultsBackground());
        lblQuestioN_->clear();
        return;
    }
    if (i > n - 1)
        i = 0;
    else if (i < 0)
        i = n - 1;
    Picture1_->setBackColor(correct(i) ? kRightGreen : kWrongRed);
    const QString entry = records_.lstCorrectAnswer.value(i);
    const QString letter = entry.left(1).toUpper();
    const int number = RemoveNonDigits(entry.mid(1)).toInt();
    QString answer;
    if (letter == QLatin1String("A"))
        answer = records_.lstAnswerA.value(i);
    else if (letter == QLatin1String("B"))
        answer = records_.lstAnswerB.value(i);
    else if (letter == QLatin1String("C"))
        answer = records_.lstAnswerC.value(i);
    const int bang = answer.indexOf(QLatin1Char('!'));
    if (bang >= 0) answer = answer.left(bang);
    currentFolder_ = answer;
    currentNumber_ = number;
    data::LoadAircraftPicture(currentFolder_, currentNumber_, picAircraft_);
    data::LoadAircraftNameLogo(currentFolder_, imgAircraftName_);
    current_ = i;
    lblQuestioN_->setText(QStringLiteral("Question #") + QString::number(i + 1));
}

void frmSkyrendelResults::optReview_Click(int index) {
    const int n = questionCount();
    int i = current_;
    if (index != 2 && n > 0) {
        // From the question after the current one, round to the current one
        // itself, which is looked at last.
        for (int k = 1; k <= n; ++k) {
            const int j = (current_ + k) % n;
            if (matchesFilter(j)) {
                i = j;
                break;
            }
        }
    }
    LoadQuestion(i);
}

void frmSkyrendelResults::cmdChangeAircraft_Click(int index) {
    const int n = questionCount();
    if (n == 0) return;
    const int step = index == 1 ? 1 : -1;
    int i = current_;
    for (int k = 1; k <= n; ++k) {
        i += step;
        if (i < 0) i = n - 1;
        if (i > n - 1) i = 0;
        if (matchesFilter(i)) break;
    }
    LoadQuestion(i);
}

void frmSkyrendelResults::picCaptainsChallnege_Click(int index) {
    if (index != 1) return;
    if (!EnsureUserDetails(this)) return;
    const QString title = QString::fromLatin1(kApplicationTitle);
    const auto errorText = [](const SkyError& e) {
        return QStringLiteral("Error ") + QString::number(e.number()) + QStringLiteral(" (") + e.description() +
               QStringLiteral(")");
    };
    QString suggested;
    try {
        suggested = DefaultCertificatePath();
        WriteCertificate();
        return;
    } catch (const SkyError& e) {
        if (!CertificateTemplateUsable()) {
            // Nothing to save elsewhere: the program's own template is missing.
            platform().messageBox->show(this, title,
                                        QStringLiteral("Your certificate could not be written.\n\n") + errorText(e),
                                        MsgIcon::Exclamation, MsgButtons::OkOnly);
            return;
        }
        // The documents folder refused it: the user picks another place, as
        // often as it takes, so the certificate is not lost.
        QString failure = QStringLiteral("Your certificate could not be written to ") +
                          QDir::toNativeSeparators(suggested) + QStringLiteral(".\n\n") + errorText(e);
        for (;;) {
            const MsgResult answer = platform().messageBox->show(
                this, title, failure + QStringLiteral("\n\nChoose OK to save it in another place."),
                MsgIcon::Exclamation, MsgButtons::OkCancel);
            if (answer != MsgResult::Ok) return;
            const QString chosen = AskCertificatePath(this, suggested);
            if (chosen.isEmpty()) return;
            try {
                WriteCertificateTo(chosen);
                return;
            } catch (const SkyError& again) {
                suggested = chosen;
                failure = QStringLiteral("Your certificate could not be written to ") +
                          QDir::toNativeSeparators(chosen) + QStringLiteral(".\n\n") + errorText(again);
            }
        }
    }
}

QString frmSkyrendelResults::AskCertificatePath(QWidget* parent, const QString& suggested) {
    QFileDialog dialog(parent, QStringLiteral("Save Your Certificate"), suggested,
                       QStringLiteral("PDF documents (*.pdf)"));
    dialog.setObjectName(QStringLiteral("dlgSaveCertificate"));
    UseProgramStyle(&dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(QFileInfo(suggested).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

void frmSkyrendelResults::cmdChangeName_Click() { EditUserDetails(this); }

void frmSkyrendelResults::cmdExit_Click() { accept(); }

void frmSkyrendelResults::showEvent(QShowEvent* event) {
    if (!scaler_) {
        // Everything is in place now, the report link included: record the
        // design, and scale it whenever the window is resized or maximised.
        scaler_ = new DesignScaler(this, kWindowSize);
        scaler_->capture();
        scaler_->onScaled = [this](double) {
            const QSize exit = cmdExit_->size();
            cmdExit_->setIcon(QPixmap::fromImage(art::ExitFace(exit, QStringLiteral("Close"))));
            cmdExit_->setIconSize(exit);
        };
    }
    QDialog::showEvent(event);
    // Once the window has its frame, centre the whole of it.
    if (!event->spontaneous()) CenterForm(this);
}

} // namespace sky::game
