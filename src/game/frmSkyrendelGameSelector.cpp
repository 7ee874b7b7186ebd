#include "game/frmSkyrendelGameSelector.h"

#include "shell/application.h"

#include "data/catalog.h"
#include "game/gameartwork.h"
#include "game/gamesettings.h"
#include "shell/appstate.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/platform.h"
#include "shell/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QRadioButton>

namespace sky::game {

namespace {

constexpr QSize kWindowSize{780, 480};
constexpr QSize kModeSize{246, 56};
constexpr QSize kPanelSize{446, 286};
constexpr QPoint kPanelAt{310, 96};
constexpr int kModeTop[3] = {96, 164, 232};
constexpr int kModeLeft = 44;
// The option pictures inside the Custom Challenge panel, top to bottom.
constexpr int kOptionLeft = 8;
constexpr int kOptionTop[5] = {8, 64, 120, 176, 232};

const char* const kTimeEntries[] = {"1", "2", "3", "5", "10", "15", "20", "30", "60"};
const char* const kQuestionEntries[] = {"5", "10", "20", "50", "100"};

QString Indexed(const QString& name, int index) { return name + QLatin1Char('_') + QString::number(index); }

QRadioButton* MakeOption(QWidget* parent, const QString& name, QButtonGroup* group, int id, const QPoint& at,
                         const QString& accessible) {
    auto* b = new QRadioButton(parent);
    b->setObjectName(name);
    b->setAccessibleName(accessible);
    b->setToolTip(accessible);
    b->setGeometry(QRect(at, QSize(20, 20)));
    b->setFocusPolicy(Qt::StrongFocus);
    group->addButton(b, id);
    return b;
}

PictureBox* MakeClickArea(QWidget* parent, const QString& name, const QRect& r) {
    auto* area = new PictureBox(parent, name);
    area->setGeometry(r);
    area->setCursor(Qt::PointingHandCursor);
    return area;
}

void FillList(QComboBox* list, const char* const* entries, int count) {
    list->clear();
    for (int i = 0; i < count; ++i) list->addItem(QString::fromLatin1(entries[i]));
    list->setCurrentIndex(list->findText(QStringLiteral("10")));
}

} // namespace

void frmSkyrendelGameSelector::FaceSet::show(int face) const {
    if (face < 1 || face >= elements.size()) return;
    elements[0]->setPicture(elements[face]->picture());
}

PictureBox* frmSkyrendelGameSelector::makeFaces(FaceSet& set, QWidget* parent, const QString& name,
                                                const QVector<QImage>& faces, const QPoint& at) {
    const QSize logical = faces.isEmpty() ? QSize() : faces[0].deviceIndependentSize().toSize();
    for (int i = 0; i <= faces.size(); ++i) {
        auto* box = new PictureBox(parent, Indexed(name, i));
        box->setStretch(true);
        box->setGeometry(QRect(at, logical));
        if (i > 0) {
            box->setPicture(faces[i - 1]);
            box->hide();
        }
        set.elements.push_back(box);
    }
    set.show(1);
    return set.elements[0];
}

frmSkyrendelGameSelector::frmSkyrendelGameSelector(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSkyrendelGameSelector"));
    UseProgramStyle(this);
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setModal(true);
    setFixedSize(kWindowSize);
    setMouseTracking(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, art::SelectorBackground());
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* heading = new PictureBox(this, QStringLiteral("imgHeading"));
    heading->setStretch(true);
    heading->setGeometry(0, 0, kWindowSize.width(), 76);
    heading->setPicture(art::SelectorHeading(QSize(kWindowSize.width(), 76)));
    connect(heading, &PictureBox::mouseMoved, this, &frmSkyrendelGameSelector::ResetGoFace);

    // The modes.
    grpMode_ = new QButtonGroup(this);
    const QString modeNames[3] = {QStringLiteral("picLearningMode"), QStringLiteral("picChallengeMode"),
                                  QStringLiteral("picCaptainsChallenge")};
    const QString modeWords[3] = {QStringLiteral("Learning Mode"), QStringLiteral("Custom Challenge"),
                                  QStringLiteral("Captain's Challenge")};
    FaceSet* modeSets[3] = {&picLearningMode_, &picChallengeMode_, &picCaptainsChallenge_};
    for (int m = 0; m < 3; ++m) {
        optMode_[m] = MakeOption(this, Indexed(QStringLiteral("optMode"), m), grpMode_, m,
                                 QPoint(18, kModeTop[m] + (kModeSize.height() - 20) / 2), modeWords[m]);
        PictureBox* pic = makeFaces(*modeSets[m], this, modeNames[m],
                                    {art::ModeFace(kModeSize, modeWords[m], false),
                                     art::ModeFace(kModeSize, modeWords[m], true)},
                                    QPoint(kModeLeft, kModeTop[m]));
        pic->setCursor(Qt::PointingHandCursor);
        pic->setKeyboardActivation(true);
        connect(pic, &PictureBox::mouseMoved, this, &frmSkyrendelGameSelector::ResetGoFace);
    }
    connect(picLearningMode_.elements[0], &PictureBox::clicked, this, [this] { picLearningMode_Click(0); });
    connect(picChallengeMode_.elements[0], &PictureBox::clicked, this, [this] { picChallengeMode_Click(0); });
    connect(picCaptainsChallenge_.elements[0], &PictureBox::clicked, this, [this] { picCaptainsChallenge_Click(0); });
    connect(grpMode_, &QButtonGroup::idClicked, this, &frmSkyrendelGameSelector::optMode_Click);

    // The decorative strips between the columns and above the buttons.
    Picture2_[0] = new PictureBox(this, QStringLiteral("Picture2_0"));
    Picture2_[0]->setGeometry(kModeLeft + kModeSize.width(), kPanelAt.y(), kPanelAt.x() - kModeLeft - kModeSize.width(),
                              kPanelSize.height());
    Picture2_[1] = new PictureBox(this, QStringLiteral("Picture2_1"));
    Picture2_[1]->setGeometry(0, kPanelAt.y() + kPanelSize.height(), kWindowSize.width(), 12);
    for (PictureBox* strip : Picture2_)
        connect(strip, &PictureBox::mouseMoved, this, &frmSkyrendelGameSelector::ResetGoFace);

    // The description panels.
    picLearningModeBox_ = new PictureBox(this, QStringLiteral("picLearningModeBox"));
    picLearningModeBox_->setStretch(true);
    picLearningModeBox_->resize(kPanelSize);
    picLearningModeBox_->setPicture(art::DescriptionPanel(
        kPanelSize, QStringLiteral("Learning Mode"),
        QStringLiteral("In Learning Mode you can review the aircraft database in detail, compare one aircraft "
                       "with another, and read the specifications and details of each aircraft."),
        false));
    picCaptainsChallengeBox_ = new PictureBox(this, QStringLiteral("picCaptainsChallengeBox"));
    picCaptainsChallengeBox_->setStretch(true);
    picCaptainsChallengeBox_->resize(kPanelSize);
    picCaptainsChallengeBox_->setPicture(art::DescriptionPanel(
        kPanelSize, QStringLiteral("Captain's Challenge"),
        QStringLiteral("The Captain's Challenge is a 30-minute, 50-question exam over potentially all of the "
                       "aircraft, at Hard difficulty.\n\nA score of 90% or better lets you print a certificate "
                       "of completion.\n\nBuild up your experience in the learning or custom modes first!"),
        true));
    picCustomChallengeBox_ = new PictureBox(this, QStringLiteral("picCustomChallengeBox"));
    picCustomChallengeBox_->setStretch(true);
    picCustomChallengeBox_->setGeometry(QRect(kPanelAt, kPanelSize));
    picCustomChallengeBox_->setPicture(art::CustomPanelBackground(kPanelSize));
    for (PictureBox* box : {picLearningModeBox_, picCustomChallengeBox_, picCaptainsChallengeBox_})
        connect(box, &PictureBox::mouseMoved, this, &frmSkyrendelGameSelector::ResetGoFace);

    // The Custom Challenge options, on the panel.
    QWidget* panel = picCustomChallengeBox_;
    struct Choice {
        FaceSet* set;
        QString picture, heading, words[2], option, area;
        QRadioButton** options;
        QButtonGroup** group;
        PictureBox** areas;
    };
    Choice choices[3] = {
        {&picSelectCorrect_, QStringLiteral("picSelectCorrect"), QStringLiteral("Select Correct:"),
         {QStringLiteral("Image"), QStringLiteral("Description")}, QStringLiteral("optCorrect"),
         QStringLiteral("imgSelectCorrect"), optCorrect_, &grpCorrect_, imgSelectCorrect_},
        {&picDifficulty_, QStringLiteral("picDifficulty"), QStringLiteral("Question Difficulty:"),
         {QStringLiteral("Easy"), QStringLiteral("Hard")}, QStringLiteral("optDifficulty"),
         QStringLiteral("imgDifficulty"), optDifficulty_, &grpDifficulty_, imgDifficulty_},
        {&picGrade_, QStringLiteral("picGrade"), QStringLiteral("Grade Questions:"),
         {QStringLiteral("Immediately"), QStringLiteral("At the End")}, QStringLiteral("optGrade"),
         QStringLiteral("imgGrade"), optGrade_, &grpGrade_, imgGrade_},
    };
    for (int c = 0; c < 3; ++c) {
        Choice& ch = choices[c];
        const QPoint at(kOptionLeft, kOptionTop[c]);
        makeFaces(*ch.set, panel, ch.picture,
                  {art::ChoiceFace(ch.heading, ch.words[0], ch.words[1], 0, false),
                   art::ChoiceFace(ch.heading, ch.words[0], ch.words[1], 1, false),
                   art::ChoiceFace(ch.heading, ch.words[0], ch.words[1], -1, true)},
                  at);
        *ch.group = new QButtonGroup(this);
        for (int i = 0; i < 2; ++i) {
            ch.options[i] = MakeOption(panel, Indexed(ch.option, i), *ch.group, i,
                                       at + art::kChoiceButtonRect[i].topLeft() - QPoint(1, 1), ch.words[i]);
            ch.areas[i] = MakeClickArea(panel, Indexed(ch.area, i), art::kChoiceWordRect[i].translated(at));
        }
    }
    connect(picSelectCorrect_.elements[0], &PictureBox::clicked, this, [this] { picSelectCorrect_Click(0); });
    connect(grpCorrect_, &QButtonGroup::idClicked, this, &frmSkyrendelGameSelector::optCorrect_Click);
    connect(grpDifficulty_, &QButtonGroup::idClicked, this, &frmSkyrendelGameSelector::optDifficulty_Click);
    connect(grpGrade_, &QButtonGroup::idClicked, this, &frmSkyrendelGameSelector::optGrade_Click);
    for (int i = 0; i < 2; ++i) {
        connect(imgSelectCorrect_[i], &PictureBox::clicked, this, [this, i] { imgSelectCorrect_Click(i); });
        connect(imgDifficulty_[i], &PictureBox::clicked, this, [this, i] { imgDifficulty_Click(i); });
        connect(imgGrade_[i], &PictureBox::clicked, this, [this, i] { imgGrade_Click(i); });
    }

    // The limits.
    const QPoint timeAt(kOptionLeft, kOptionTop[3]);
    makeFaces(picTimeLimit_, panel, QStringLiteral("picTimeLimit"),
              {art::LimitFace(QStringLiteral("Time Limit"), QStringLiteral("Minutes"), art::Look::Plain),
               art::LimitFace(QStringLiteral("Time Limit"), QStringLiteral("Minutes"), art::Look::Lit),
               art::LimitFace(QStringLiteral("Time Limit"), QStringLiteral("Minutes"), art::Look::Dimmed)},
              timeAt);
    const QPoint questionAt(kOptionLeft, kOptionTop[4]);
    makeFaces(picQuestionLimit_, panel, QStringLiteral("picQuestionLimit"),
              {art::LimitFace(QStringLiteral("Question Limit"), QStringLiteral("Questions"), art::Look::Lit),
               art::LimitFace(QStringLiteral("Question Limit"), QStringLiteral("Questions"), art::Look::Plain),
               art::LimitFace(QStringLiteral("Question Limit"), QStringLiteral("Questions"), art::Look::Dimmed)},
              questionAt);
    chkTimeLimit_ = new QCheckBox(panel);
    chkTimeLimit_->setObjectName(QStringLiteral("chkTimeLimit"));
    chkTimeLimit_->setAccessibleName(QStringLiteral("Time Limit"));
    chkTimeLimit_->setGeometry(QRect(timeAt + art::kLimitCheckRect.topLeft() - QPoint(1, 1), QSize(20, 20)));
    chkQuestionLimit_ = new QCheckBox(panel);
    chkQuestionLimit_->setObjectName(QStringLiteral("chkQuestionLimit"));
    chkQuestionLimit_->setAccessibleName(QStringLiteral("Question Limit"));
    chkQuestionLimit_->setGeometry(QRect(questionAt + art::kLimitCheckRect.topLeft() - QPoint(1, 1), QSize(20, 20)));
    cmbTimeLimit_ = new QComboBox(panel);
    cmbTimeLimit_->setObjectName(QStringLiteral("cmbTimeLimit"));
    cmbTimeLimit_->setAccessibleName(QStringLiteral("Time limit in minutes"));
    cmbTimeLimit_->setGeometry(art::kLimitListRect.translated(timeAt));
    cmbQuestionLimit_ = new QComboBox(panel);
    cmbQuestionLimit_->setObjectName(QStringLiteral("cmbQuestionLimit"));
    cmbQuestionLimit_->setAccessibleName(QStringLiteral("Number of questions"));
    cmbQuestionLimit_->setGeometry(art::kLimitListRect.translated(questionAt));
    connect(chkTimeLimit_, &QCheckBox::clicked, this, &frmSkyrendelGameSelector::chkTimeLimit_Click);
    connect(chkQuestionLimit_, &QCheckBox::clicked, this, &frmSkyrendelGameSelector::chkQuestionLimit_Click);
    // Beside the limits: drill the user's own mistakes.
    chkFocusWeakSpots_ = new QCheckBox(QStringLiteral("Focus on my weak spots"), this);
    chkFocusWeakSpots_->setObjectName(QStringLiteral("chkFocusWeakSpots"));
    chkFocusWeakSpots_->setAccessibleName(QStringLiteral("Focus on my weak spots"));
    chkFocusWeakSpots_->setToolTip(QStringLiteral("Ask more often the aircraft you get wrong, against the aircraft "
                                                  "you took them for"));
    chkFocusWeakSpots_->setStyleSheet(QStringLiteral("QCheckBox { color: white; font-weight: bold; }"));
    // Under the mode pictures, shown with the Custom Challenge's options.
    chkFocusWeakSpots_->setGeometry(
        QRect(QPoint(kModeLeft + 12, kModeTop[2] + kModeSize.height() + 28), QSize(kModeSize.width() - 12, 32)));
    connect(chkFocusWeakSpots_, &QCheckBox::clicked, this, &frmSkyrendelGameSelector::chkFocusWeakSpots_Click);
    connect(cmbTimeLimit_, &QComboBox::activated, this, &frmSkyrendelGameSelector::cmbTimeLimit_Click);
    connect(cmbQuestionLimit_, &QComboBox::activated, this, &frmSkyrendelGameSelector::cmbQuestionLimit_Click);

    // GO and Exit.
    const QSize goSize(140, 60);
    PictureBox* go = makeFaces(picGo_, this, QStringLiteral("picGo"),
                               {art::GoFace(goSize, false), art::GoFace(goSize, true)},
                               QPoint(kWindowSize.width() - 20 - goSize.width(), kWindowSize.height() - 16 - goSize.height()));
    go->setCursor(Qt::PointingHandCursor);
    go->setKeyboardActivation(true);
    go->setAccessibleName(QStringLiteral("GO"));
    go->setToolTip(QStringLiteral("GO (Enter)"));
    go->installEventFilter(this);
    connect(go, &PictureBox::clicked, this, [this] { picGo_Click(0); });
    connect(go, &PictureBox::mouseMoved, this, [this] { picGo_.show(2); });

    const QSize exitSize(130, 44);
    cmdExit_ = new QPushButton(this);
    cmdExit_->setObjectName(QStringLiteral("cmdExit"));
    cmdExit_->setAccessibleName(QStringLiteral("Exit"));
    cmdExit_->setToolTip(QStringLiteral("Exit (Esc)"));
    cmdExit_->setAutoDefault(false);
    cmdExit_->setFlat(true);
    cmdExit_->setGeometry(QRect(QPoint(20, kWindowSize.height() - 16 - 52), exitSize));
    cmdExit_->setIcon(QPixmap::fromImage(art::ExitFace(exitSize, QStringLiteral("Exit"))));
    cmdExit_->setIconSize(exitSize);
    cmdExit_->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; } QPushButton:focus { border: 2px solid #ffc82e; }"));
    connect(cmdExit_, &QPushButton::clicked, this, &frmSkyrendelGameSelector::cmdExit_Click);

    Form_Load();
}

void frmSkyrendelGameSelector::Form_Load() {
    CenterForm(this);
    settingControls_ = true;
    FillList(cmbTimeLimit_, kTimeEntries, static_cast<int>(std::size(kTimeEntries)));
    FillList(cmbQuestionLimit_, kQuestionEntries, static_cast<int>(std::size(kQuestionEntries)));
    optMode_[0]->setChecked(true);
    optCorrect_[0]->setChecked(true);
    optDifficulty_[0]->setChecked(true);
    optGrade_[0]->setChecked(true);
    settingControls_ = false;
    picCaptainsChallengeBox_->move(picCustomChallengeBox_->pos());
    picLearningModeBox_->move(picCustomChallengeBox_->pos());
    for (PictureBox* strip : Picture2_) strip->setBackColor(art::SelectorBackground());
    SetupYellowPictures();
    LoadSelectorSettings();
}

int frmSkyrendelGameSelector::chosenMode() const {
    if (optMode_[2]->isChecked()) return 2;
    if (optMode_[1]->isChecked()) return 1;
    return 0;
}

void frmSkyrendelGameSelector::SetupYellowPictures() {
    if (chosenMode() == 1) {
        picSelectCorrect_.show(optCorrect_[0]->isChecked() ? 1 : 2);
        picTimeLimit_.show(chkTimeLimit_->isChecked() ? 2 : 1);
        picQuestionLimit_.show(chkQuestionLimit_->isChecked() ? 1 : 2);
        picDifficulty_.show(optDifficulty_[0]->isChecked() ? 1 : 2);
        picGrade_.show(optGrade_[0]->isChecked() ? 1 : 2);
    } else {
        for (const FaceSet* set : {&picSelectCorrect_, &picTimeLimit_, &picQuestionLimit_, &picDifficulty_, &picGrade_})
            set->show(3);
    }
    chkFocusWeakSpots_->setVisible(chosenMode() == 1);
    chkFocusWeakSpots_->setStyleSheet(chkFocusWeakSpots_->isChecked()
                                          ? QStringLiteral("QCheckBox { color: yellow; font-weight: bold; }")
                                          : QStringLiteral("QCheckBox { color: white; font-weight: bold; }"));
    picLearningModeBox_->hide();
    picCustomChallengeBox_->hide();
    picCaptainsChallengeBox_->hide();
    const int mode = chosenMode();
    picLearningMode_.show(mode == 0 ? 2 : 1);
    picChallengeMode_.show(mode == 1 ? 2 : 1);
    picCaptainsChallenge_.show(mode == 2 ? 2 : 1);
    (mode == 0 ? picLearningModeBox_ : mode == 1 ? picCustomChallengeBox_ : picCaptainsChallengeBox_)->show();
}

void frmSkyrendelGameSelector::LoadSelectorSettings() {
    settingControls_ = true;
    const auto option = [](QRadioButton* const* group, const QString& key) {
        group[GetAppSetting(key, QStringLiteral("0")) == QLatin1String("1") ? 1 : 0]->setChecked(true);
    };
    option(optCorrect_, QStringLiteral("optCorrect"));
    option(optDifficulty_, QStringLiteral("optDifficulty"));
    option(optGrade_, QStringLiteral("optGrade"));
    const auto list = [](QComboBox* box, const QString& key) {
        const int at = box->findText(GetAppSetting(key, QStringLiteral("10")), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (at >= 0) box->setCurrentIndex(at);
    };
    list(cmbTimeLimit_, QStringLiteral("cmbTimeLimit"));
    list(cmbQuestionLimit_, QStringLiteral("cmbQuestionLimit"));
    chkTimeLimit_->setChecked(GetAppSetting(QStringLiteral("chkTimeLimit"), QStringLiteral("0")) == QLatin1String("1"));
    chkQuestionLimit_->setChecked(GetAppSetting(QStringLiteral("chkQuestionLimit"), QStringLiteral("0")) ==
                                  QLatin1String("1"));
    chkFocusWeakSpots_->setChecked(GetAppSetting(QStringLiteral("chkFocusWeakSpots"), QStringLiteral("0")) ==
                                   QLatin1String("1"));
    // The mode last: choosing any option above means the Custom Challenge.
    const QString mode = GetAppSetting(QStringLiteral("optMode"), QStringLiteral("0")).trimmed();
    optMode_[mode == QLatin1String("2") ? 2 : mode == QLatin1String("1") ? 1 : 0]->setChecked(true);
    settingControls_ = false;
    SetupYellowPictures();
}

void frmSkyrendelGameSelector::SaveSelectorSettings() {
    SaveAppSetting(QStringLiteral("optMode"), QString::number(chosenMode()));
    SaveAppSetting(QStringLiteral("optCorrect"), optCorrect_[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    SaveAppSetting(QStringLiteral("optDifficulty"),
                   optDifficulty_[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    SaveAppSetting(QStringLiteral("optGrade"), optGrade_[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    SaveAppSetting(QStringLiteral("chkTimeLimit"), chkTimeLimit_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    SaveAppSetting(QStringLiteral("chkQuestionLimit"),
                   chkQuestionLimit_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    SaveAppSetting(QStringLiteral("cmbTimeLimit"), cmbTimeLimit_->currentText());
    SaveAppSetting(QStringLiteral("cmbQuestionLimit"), cmbQuestionLimit_->currentText());
    SaveAppSetting(QStringLiteral("chkFocusWeakSpots"),
                   chkFocusWeakSpots_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmSkyrendelGameSelector::ResetGoFace() { picGo_.show(1); }

void frmSkyrendelGameSelector::chooseMode(int mode) { optMode_[mode]->setChecked(true); }

void frmSkyrendelGameSelector::optMode_Click(int) {
    if (settingControls_) return;
    SetupYellowPictures();
}

void frmSkyrendelGameSelector::optCorrect_Click(int) {
    if (settingControls_) return;
    chooseMode(1);
    SetupYellowPictures();
}

void frmSkyrendelGameSelector::optDifficulty_Click(int) { optCorrect_Click(0); }
void frmSkyrendelGameSelector::optGrade_Click(int) { optCorrect_Click(0); }
void frmSkyrendelGameSelector::chkTimeLimit_Click() { optCorrect_Click(0); }
void frmSkyrendelGameSelector::chkQuestionLimit_Click() { optCorrect_Click(0); }
void frmSkyrendelGameSelector::chkFocusWeakSpots_Click() { optCorrect_Click(0); }

void frmSkyrendelGameSelector::imgSelectCorrect_Click(int index) {
    if (index < 0 || index > 1) return;
    optCorrect_[index]->setChecked(true);
    optCorrect_Click(index);
}

void frmSkyrendelGameSelector::imgDifficulty_Click(int index) {
    if (index < 0 || index > 1) return;
    optDifficulty_[index]->setChecked(true);
    optDifficulty_Click(index);
}

void frmSkyrendelGameSelector::imgGrade_Click(int index) {
    if (index < 0 || index > 1) return;
    optGrade_[index]->setChecked(true);
    optGrade_Click(index);
}

void frmSkyrendelGameSelector::cmbTimeLimit_Click() {
    if (settingControls_) return;
    chkTimeLimit_->setChecked(true);
    chkTimeLimit_Click();
}

void frmSkyrendelGameSelector::cmbQuestionLimit_Click() {
    if (settingControls_) return;
    chkQuestionLimit_->setChecked(true);
    chkQuestionLimit_Click();
}

void frmSkyrendelGameSelector::picLearningMode_Click(int) {
    chooseMode(0);
    SetupYellowPictures();
}

void frmSkyrendelGameSelector::picChallengeMode_Click(int) {
    chooseMode(1);
    SetupYellowPictures();
}

void frmSkyrendelGameSelector::picCaptainsChallenge_Click(int) {
    chooseMode(2);
    SetupYellowPictures();
}

void frmSkyrendelGameSelector::picSelectCorrect_Click(int) { SetupYellowPictures(); }

void frmSkyrendelGameSelector::picGo_Click(int) {
    const int mode = chosenMode();
    if (mode == 2 && data::IsAnyAircraftDataMissing()) {
        platform().messageBox->show(
            this, QStringLiteral("Some Aircraft Not Insstalled Yet."),
            QStringLiteral("I show that not all possible aircraft data is currently installed on this PC. It's not "
                           "possible to do the Captain's Challenge until this data is installed.  Fortunately, this "
                           "is easy to do.  ") +
                QStringLiteral("From the main menu, click on the 'updates' button.  This will take you to a screen "
                               "which will allow you to easily get all of the current aircraft data from our servers."),
            MsgIcon::Exclamation, MsgButtons::OkOnly);
        return;
    }
    SaveSelectorSettings();
    FocusOnWeakSpots = false;
    switch (mode) {
    case 0:
        GameMode = 1;
        TimeLimitSeconds = -1;
        QuestionLimit = -1;
        IsHardDifficulty = false;
        GradeImmediately = false;
        IsCaptainsChallenge = false;
        break;
    case 1:
        GameMode = optCorrect_[0]->isChecked() ? 2 : 3;
        TimeLimitSeconds = chkTimeLimit_->isChecked() ? cmbTimeLimit_->currentText().toInt() * 60 : -1;
        QuestionLimit = chkQuestionLimit_->isChecked() ? cmbQuestionLimit_->currentText().toInt() : -1;
        IsHardDifficulty = optDifficulty_[1]->isChecked();
        GradeImmediately = optGrade_[0]->isChecked();
        IsCaptainsChallenge = false;
        FocusOnWeakSpots = chkFocusWeakSpots_->isChecked();
        break;
    default:
        GameMode = 2;
        TimeLimitSeconds = 1800;
        QuestionLimit = 50;
        IsHardDifficulty = true;
        GradeImmediately = false;
        IsCaptainsChallenge = true;
        break;
    }
    accept();
}

void frmSkyrendelGameSelector::cmdExit_Click() {
    SaveSelectorSettings();
    GameMode = 0;
    reject();
}

void frmSkyrendelGameSelector::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter acts on a focused push button (Exit), as Space does;
            // anywhere else it is GO.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled()) {
                button->click();
                return;
            }
            picGo_Click(0);
            return;
        case Qt::Key_Escape:
            cmdExit_Click();
            return;
        default:
            break;
        }
    }
    QDialog::keyPressEvent(event);
}

void frmSkyrendelGameSelector::mouseMoveEvent(QMouseEvent* event) {
    ResetGoFace();
    QDialog::mouseMoveEvent(event);
}

bool frmSkyrendelGameSelector::eventFilter(QObject* watched, QEvent* event) {
    // Leaving GO by any path gives it back its normal face.
    if (!picGo_.elements.isEmpty() && watched == picGo_.elements[0] && event->type() == QEvent::Leave) ResetGoFace();
    return QDialog::eventFilter(watched, event);
}

void frmSkyrendelGameSelector::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once the window has its frame, centre the whole of it.
    if (!event->spontaneous()) CenterForm(this);
}

} // namespace sky::game
