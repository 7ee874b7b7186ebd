// Learning mode on the main window's learning panel picLearningMode: side 0
// (the aircraft being studied) on the panel's left half; tab page 0
// (picPanel_0, "Compare With Another") with side 1; tab page 1 (picPanel_1,
// "About this Aircraft") with the descriptive page of the side-0 aircraft
// and the cmdWider button that widens that page over the left half.
//
//   auto* learning = new sky::learning::LearningMode(picLearningMode, catalogLists, mainWindow);
//   ...
//   learning->SetupLearningMode(); // when learning mode starts
//
// The panel's own tab heads (TopTab_0/1 with lblTopTabCaption_0/1 and
// TabCover_0/1) and exit button cmdExit belong to the main window; when
// present they are placed here with the rest of the panel. Tab pages that
// the panel does not have yet are made here.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace sky {
class PictureBox;
}
namespace sky::data {
struct CatalogLists;
}

namespace sky::learning {

class HtmlView;

class LearningMode : public QObject {
    Q_OBJECT
public:
    LearningMode(QWidget* picLearningMode, data::CatalogLists& lists, QObject* parent = nullptr);

    // Fills both lists with the installed aircraft and shows the first one
    // on both sides.
    void SetupLearningMode();
    // Shows the aircraft called name on side 0 (isLeft) or side 1.
    void LoadLearningAircraft(const QString& name, bool isLeft);
    // Steps side's list to the next or previous aircraft, wrapping round.
    void MoveLearningAircraft(int side, bool isNext);
    // Shows photograph n (1-based) of the side's aircraft.
    void SetLearningNofM(int n, bool isLeft);
    // Shows the descriptive page of the aircraft called name.
    void LoadLearningHTML(const QString& name);

    // Event handlers, by side.
    void cmbComparisonAircraft_Click(int side);
    void cmdLearningMoveNextAircraft_Click(int side);
    void cmdLearningPreviousAircraft_Click(int side);
    void cmdComparisonMoveLeft_Click(int side);
    void cmdComparisonMoveRight_Click(int side);
    void imgReportProblemImage_Click(int side);
    void imgReportProblemAircraft_Click(int side);
    void cmdWider_Click();

    // The state of each side: its aircraft's FOLDER, the number of the
    // photograph on display and the number of photographs.
    QString sideFolder(int side) const { return sides_[side].folder; }
    int sideN(int side) const { return sides_[side].n; }
    int sideM(int side) const { return sides_[side].m; }
    bool isWideView() const;

    QWidget* panel() const { return panel_; }
    HtmlView* webAboutThisAircraft() const { return web_; }

    // Lays the panel out for its present size; runs by itself whenever the
    // panel is resized.
    void ArrangeLearningPanel();

    // The file the descriptive pages are written to.
    static QString TempLearningPath();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Side {
        QLabel* lblSelect = nullptr;
        QComboBox* cmbComparisonAircraft = nullptr;
        PictureBox* cmdLearningPreviousAircraft = nullptr;
        PictureBox* cmdLearningMoveNextAircraft = nullptr;
        PictureBox* picLearningAircraft = nullptr;
        PictureBox* cmdComparisonMoveLeft = nullptr;
        PictureBox* cmdComparisonMoveRight = nullptr;
        QLabel* lblComparisonNofN = nullptr;
        PictureBox* imgLearningAircraftLogo = nullptr;
        PictureBox* imgReportProblemImage = nullptr;
        PictureBox* imgReportProblemAircraft = nullptr;
        QString folder;
        int n = 1;
        int m = 0;
    };

    QWidget* findOrMakePage(int index);
    void buildSide(int side, QWidget* parent, bool onDark);
    void placeSide(int side, const QRect& area);
    // Shows entry index of side's list as the user's choice of it.
    void showEntry(int side, int index);

    QWidget* panel_;
    data::CatalogLists& lists_;
    PictureBox* imgLearningMode_ = nullptr;
    std::array<QWidget*, 2> picPanel_{};
    std::array<Side, 2> sides_;
    HtmlView* web_ = nullptr;
    QPushButton* cmdWider_ = nullptr;
    bool arranging_ = false;
    // The panel's size against its design, and a design length at it.
    double scale_ = 1.0;
    int px(int designPixels) const { return qMax(1, qRound(designPixels * scale_)); }
};

} // namespace sky::learning
