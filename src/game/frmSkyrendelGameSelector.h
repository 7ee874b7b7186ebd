// The game selector: the modal window in which the user chooses Learning
// Mode, a Custom Challenge with its options, or the Captain's Challenge.
// Its product is the six game settings of gamesettings.h; every choice is
// kept in the settings store from one run to the next.
//
//   sky::game::GameMode = 0;
//   sky::game::frmSkyrendelGameSelector selector(mainWindow);
//   selector.exec();
//   if (sky::game::GameMode != 0) StartGame();
//
// GO (or Enter) stores the choices, sets the game settings and closes;
// Exit (or Escape) stores the choices, sets GameMode to 0 and closes.
// Closing the window any other way stores nothing.
#pragma once

#include <QDialog>
#include <QImage>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace sky {
class PictureBox;
}

namespace sky::game {

class frmSkyrendelGameSelector : public QDialog {
    Q_OBJECT
public:
    explicit frmSkyrendelGameSelector(QWidget* parent = nullptr);

    // The chosen mode: 0 Learning Mode, 1 Custom Challenge, 2 Captain's
    // Challenge.
    int chosenMode() const;

    void SetupYellowPictures();
    void LoadSelectorSettings();
    void SaveSelectorSettings();
    void ResetGoFace();

    // The click handlers, as the controls call them.
    void optMode_Click(int index);
    void optCorrect_Click(int index);
    void optDifficulty_Click(int index);
    void optGrade_Click(int index);
    void imgSelectCorrect_Click(int index);
    void imgDifficulty_Click(int index);
    void imgGrade_Click(int index);
    void chkTimeLimit_Click();
    void chkQuestionLimit_Click();
    void chkFocusWeakSpots_Click();
    void cmbTimeLimit_Click();
    void cmbQuestionLimit_Click();
    void picLearningMode_Click(int index);
    void picChallengeMode_Click(int index);
    void picCaptainsChallenge_Click(int index);
    void picSelectCorrect_Click(int index);
    void picGo_Click(int index);
    void cmdExit_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An indexed picture set: element 0 on screen, elements 1.. the faces.
    struct FaceSet {
        QVector<PictureBox*> elements;
        void show(int face) const;
    };

    void Form_Load();
    void chooseMode(int mode);
    PictureBox* makeFaces(FaceSet& set, QWidget* parent, const QString& name, const QVector<QImage>& faces,
                          const QPoint& at);

    FaceSet picLearningMode_, picChallengeMode_, picCaptainsChallenge_;
    FaceSet picSelectCorrect_, picDifficulty_, picGrade_, picTimeLimit_, picQuestionLimit_;
    FaceSet picGo_;

    QRadioButton* optMode_[3] = {};
    QRadioButton* optCorrect_[2] = {};
    QRadioButton* optDifficulty_[2] = {};
    QRadioButton* optGrade_[2] = {};
    QButtonGroup* grpMode_ = nullptr;
    QButtonGroup* grpCorrect_ = nullptr;
    QButtonGroup* grpDifficulty_ = nullptr;
    QButtonGroup* grpGrade_ = nullptr;
    QCheckBox* chkTimeLimit_ = nullptr;
    QCheckBox* chkQuestionLimit_ = nullptr;
    // "Focus on my weak spots": stored as "chkFocusWeakSpots", "1" or "0".
    QCheckBox* chkFocusWeakSpots_ = nullptr;
    QComboBox* cmbTimeLimit_ = nullptr;
    QComboBox* cmbQuestionLimit_ = nullptr;
    PictureBox* imgSelectCorrect_[2] = {};
    PictureBox* imgDifficulty_[2] = {};
    PictureBox* imgGrade_[2] = {};
    PictureBox* picLearningModeBox_ = nullptr;
    PictureBox* picCustomChallengeBox_ = nullptr;
    PictureBox* picCaptainsChallengeBox_ = nullptr;
    PictureBox* Picture2_[2] = {};
    QPushButton* cmdExit_ = nullptr;

    // Raised while the window sets its own controls.
    bool settingControls_ = false;
};

} // namespace sky::game
