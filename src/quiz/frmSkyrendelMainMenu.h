// The main window: the program's home. Its menu is a column of five
// picture items; the learning panel and the two quiz panels are laid over
// it and hidden while the menu is in use. It owns the running game: the
// catalogue lists, the question records, the countdown and the answer
// handling. Its load handler runs the whole start-up.
//
// Controls carry their names as objectNames, with _N for an index:
// picAircraftSelection_0..3, cmdNameSelector_0..2, imgGrade_0/1 (faces
// imgGrade_2..5), lblCurrentScore_0/1 and so on. Tags are kept in the
// dynamic property "Tag" of the control.
#pragma once

#include "data/catalog.h"
#include "learning/learningmode.h"
#include "quiz/questions.h"
#include "quiz/records.h"
#include "shell/startup.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace sky {
class DesignScaler;
class PictureBox;
}

namespace sky::quiz {

class MarkShape;

class frmSkyrendelMainMenu : public QWidget, public StartupWindow {
    Q_OBJECT
public:
    explicit frmSkyrendelMainMenu(QWidget* parent = nullptr);
    ~frmSkyrendelMainMenu() override;

    // Runs the start-up sequence; errors that escape end the program.
    void Form_Load(const QStringList& arguments);

    // StartupWindow
    QWidget* widget() override { return this; }
    void MatchPanelHeights() override;
    void InitMainWindow() override;
    void ArrangePanels() override;
    void ResetRollovers() override;

    // --- Menu -------------------------------------------------------------
    void imgMenuItem_Click(int index);
    void imgMenuItem_MouseMove(int index);
    // Whether a menu item leads anywhere yet.
    bool isMenuItemAvailable(int index) const;
    // What items 1 (the options window, shown modally), 2 (the updates
    // window, modeless and owned by this window) and 15 (My Progress, the
    // user's answer history, shown below Start Training) open. Those windows belong
    // to subsystems above the quiz, so the program's wiring hands them in;
    // items 1 and 2 without an action are drawn dimmed and do nothing, and
    // item 15 without one is not shown.
    void SetMenuItemAction(int index, std::function<void()> action);
    // Ends the program at once (the menu's Exit).
    [[noreturn]] void ExitProgram();
    // True while either quiz panel is shown.
    bool isQuizInProgress() const;
    // Gives the window the size and state it had when last used, and from
    // then on remembers every change of them in the settings store.
    void RestoreWindowPlacement();

    // --- Learning panel ---------------------------------------------------
    // Shows tab page t (0 or 1) of the learning panel.
    void SetTab(int t);
    void cmdExit_Click();
    // Called by StartGame for learning mode, before tab page 0 and the
    // learning panel are shown. The learning-mode code fills it in; until
    // then the panel says that learning mode is not available.
    std::function<void()> onStartLearning;
    QWidget* learningPanel() const { return picLearningMode_; }
    // The tab pages picPanel_0 ("Compare With Another") and picPanel_1
    // ("About this Aircraft").
    QWidget* learningPage(int i) const { return picPanel_[i]; }

    // --- Game start, countdown, grade -------------------------------------
    void StartGame();
    void ClearQuestionRecords();
    void Timer1_Timer();
    void imgGrade_Click(int index);
    void imgGrade_MouseMove(int index);

    // --- Questions and answers --------------------------------------------
    void NewQuestion();
    QString RandomAircraftFolder();
    void LoadHardAndDontAskPartners(const QString& folder, bool useStaticDatabase);
    void ClickABC(int index);
    bool isCorrect(int index) const { return records_.isCorrect(index); }
    void UpdateCurrentScore();
    void PlayCorrectSound();
    void PlayWrongSound();
    void PlayProjectorSound();
    void picNextQuestion_Click(int index);
    void chkAutoAdvance_Click(int index);
    void chkPlaySound_Click(int index);

    // --- Review -----------------------------------------------------------
    void imgReviewQuestion_MouseDown(int index);
    void imgReviewQuestion_MouseUp(int index);
    void imgReviewQuestion_MouseMove(int index);
    void MakeOuterRed(const QString& letter);

    // --- Rollovers --------------------------------------------------------
    void cmdNameSelector_MouseMove(int index);
    void picAircraftSelection_MouseMove(int index);
    void picNextQuestion_MouseMove(int index);

    // --- Diagnostic lists -------------------------------------------------
    void Command1_Click();

    // True while an answer is processed, pauses included.
    bool AnswerInProgress = false;

    QuestionRecords& records() { return records_; }
    const QuestionRecords& records() const { return records_; }
    data::CatalogLists& catalogLists() { return lists_; }
    const QuestionGenerator& generator() const { return generator_; }
    // The pictures panel (0) or the names panel (1).
    QWidget* quizPanel(int copy) const { return copy == 0 ? picChallengeMode_ : picChallengeMode2_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    // Draws every picture of the window again at its present size.
    void redrawFaces();
    void rememberPlacement();
    // Draws item i's faces for whether it is available, and shows its normal face.
    void updateMenuItem(int i);
    // Places the visible items in their column: My Progress, when the program
    // offers it, below Start Training and above Exit.
    void placeMenuItems();
    void buildLearningPanel();
    void buildPicturesPanel();
    void buildNamesPanel();
    void buildControlBox(QWidget* panel, int copy, const QRect& geometry);
    void buildFaceStores();
    void buildListsPanel();
    void fillListsPanel();
    void showFace(int item, int store);
    void showGradeFace(int copy, bool hover);
    void setPanelColour(const QColor& colour);
    void onPanelKey(int copy, int key);
    // Ends the quiz; the time-up path skips the Captain's Challenge warning.
    void endQuiz(bool timeUp);
    void refreshLists();
    void setTag(QWidget* w, const QString& text);
    QString tag(const QWidget* w) const;

    DesignScaler* scaler_ = nullptr;
    bool placementRestored_ = false;
    data::CatalogLists lists_;
    QuestionRecords records_;
    QuestionGenerator generator_;

    // Menu: 0-4 on screen, 5-9 faces under the mouse, 10-14 normal faces.
    // Items 0 to 4 with their stores 5 to 14; item 15 (My Progress) with its
    // stores 16 (under the mouse) and 17 (normal).
    std::array<PictureBox*, 18> imgMenuItem_{};
    std::array<std::function<void()>, 16> menuItemActions_{};

    QWidget* picChallengeMode_ = nullptr;
    QWidget* picChallengeMode2_ = nullptr;
    QWidget* picLearningMode_ = nullptr;

    // Learning panel.
    PictureBox* imgLearningMode_ = nullptr;
    PictureBox* TopTab_[2] = {};
    QLabel* lblTopTabCaption_[2] = {};
    QWidget* picPanel_[2] = {};
    QWidget* TabCover_[2] = {};
    QPushButton* cmdExit_ = nullptr;
    learning::LearningMode* learning_ = nullptr;
    std::array<PictureBox*, 2> imgSeeProblem_{};

    // Answer slots: 0-2 the pictures panel's, 3 the names panel's.
    PictureBox* picAircraftSelection_[4] = {};
    PictureBox* picOuterChoice_[3] = {};
    MarkShape* shpO_[3] = {};
    MarkShape* shpX1_[3] = {};
    MarkShape* shpX2_[3] = {};
    QLabel* lblAircraftLabel_[4] = {};
    PictureBox* cmdNameSelector_[3] = {};
    PictureBox* picSelectedName_[3] = {};
    PictureBox* imgAircraftNameForPicSelection_ = nullptr;
    PictureBox* imgQuestionMark_ = nullptr;

    // Controls on both panels: 0 pictures panel, 1 names panel; the buttons'
    // further elements hold their faces.
    QWidget* picControlBox_[2] = {};
    QLabel* lblCorrectOrIncorrect_[2] = {};
    PictureBox* picNextQuestion_[4] = {};    // 2 normal, 3 under the mouse
    PictureBox* imgGrade_[6] = {};           // 2 exit, 3 exit hover, 4 grade, 5 grade hover
    PictureBox* imgReviewQuestion_[5] = {};  // 2 normal, 3 hover, 4 pressed
    QCheckBox* chkAutoAdvance_[2] = {};
    QCheckBox* chkPlaySound_[2] = {};
    QLabel* lblQuestionNofN_[2] = {};
    QLabel* lblCurrentScore_[2] = {};
    QLabel* lblTimeLeft_[2] = {};
    PictureBox* imgCaptainsChallenge_[2] = {};

    // What review needs: the four pictures and the four name logos of the
    // current and of the previous question.
    QImage imgStorageAircraftSelectionCurrent_[4];
    QImage imgStorageAircraftSelectionPrevious_[4];
    QImage imgAircraftNameForPicSelectionCurrent_[4];
    QImage imgAircraftNameForPicSelectionCurrentPast_[4];

    QTimer* Timer1_ = nullptr;
    std::uint32_t QuizStartTick = 0;
    // Changes whenever a quiz starts or ends, so that an answer whose pause
    // outlived its quiz does not draw a question for it.
    int gameSerial_ = 0;

    // Diagnostic lists panel.
    QWidget* picLists_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QListWidget* sourceLists_[kDistractorSourceCount] = {};
    QVector<QPair<QListWidget*, std::function<QStringList()>>> listViews_;
    int lastSourceIndex_ = -1;
};

} // namespace sky::quiz
