// The options window: which aircraft take part (tab 1, "Which Aircraft To
// Learn?"), and one aircraft at a time with its aircraft sets, its similar
// pairs and the restore of the catalogue's defaults (tab 0, "Individual
// Aircraft Settings"). Every change is written to the user database at
// once; the work itself is in optionsdata.h.
//
// Controls carry their names as objectNames, with _N for an index:
// TopTab_0/1, lblTopTabCaption_0/1, TabCover_0/1, picPanel_0/1, lstInactive,
// lstActive, cmdRemove_0..9, cmdAdd_0..9, chkBelongsToset_0..7,
// cmdChangeAircraft_0/1, imgAircraftName, cmdRestoreDefaults_0/1, Image3,
// cmdExit, and the grid: picGridTop_0..2, Label2_0/2/3, picLine_0..7,
// lblTableAircraftName_0..7, optNever_/optNeutral_/optHard_0..7 in
// picNeverBG_/picNeutralBG_/picHardBG_0..7, VScroll1. Our own additions:
// lblMoveRow_0..9 (the row captions), lblFewActiveHint (fewer than three
// active), lblAircraftType (the shown aircraft's name under its logo).
//
// Keys: Delete in lstActive removes the selected aircraft, Insert in
// lstInactive adds them, a double-click moves one entry; on the aircraft
// tab Left/Right (with or without Alt) walk the aircraft, Up/Down and Page
// Up/Down scroll the grid, and so does the wheel over it.
//
//   sky::options::frmSkyrendelOptions options(mainWindow);
//   options.exec();
#pragma once

#include "options/optionsdata.h"

#include <QDialog>
#include <QRadioButton>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QScrollBar;

namespace sky {
class PictureBox;
}

namespace sky::options {

// A grid radio button: a click turns it on, never off (its two partners
// sit in other cells, so the row's handlers keep exactly one on).
class GridOption : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override;
};

class frmSkyrendelOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmSkyrendelOptions(QWidget* parent = nullptr);

    void SetTab(int tab);
    int currentTab() const { return tab_; }
    void FillAircraftLists();
    void MoveAircraft(int buttonIndex, bool makeActive);
    void LoadSpecificAircraft(int& index);
    void cmdChangeAircraft_Click(int index);
    void chkBelongsToset_Click(int index);
    void SaveSetMemberships();
    void cmdRestoreDefaults_Click(int index);
    void Image3_Click();
    void cmdExit_Click();

    void SetupSimilarityGrid();
    void RedrawSimilarityGrid(int start);
    void VScroll1_Change();
    void GridOption_Click(int row, int status);

    int CurrentAircraftIndex = 0;
    QString CurrentAircraftFolder;
    int CurrentAircraftID = 0;
    bool LoadingAircraft = false;
    bool RedrawingGrid = false;

    const AircraftLists& lists() const { return lists_; }
    const SimilarityLists& similarityLists() const { return grid_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabs();
    void buildListsPage();
    void buildAircraftPage();
    void buildGrid(QWidget* page);
    void Form_Load();
    void loadGrid();
    void scrollGridBy(int rows);
    // Runs a write; a failure shows a message naming `what` and returns false.
    bool tryWrite(const QString& what, const std::function<void()>& write);
    void showLoadedSets(const std::array<bool, kSetCount>& sets);
    void updateHint();
    void moveOnDoubleClick(QListWidget* list, int row);

    int tab_ = -1;
    AircraftLists lists_;
    SimilarityLists grid_;
    int firstShown_ = 0;
    std::array<bool, kSetCount> savedSets_{};

    PictureBox* imgHeading_ = nullptr;
    std::array<PictureBox*, 2> TopTab_{};
    std::array<QLabel*, 2> lblTopTabCaption_{};
    std::array<QWidget*, 2> TabCover_{};
    std::array<QWidget*, 2> picPanel_{};
    QListWidget* lstInactive_ = nullptr;
    QListWidget* lstActive_ = nullptr;
    std::array<PictureBox*, 10> cmdAdd_{};
    std::array<PictureBox*, 10> cmdRemove_{};
    QLabel* lblFewActive_ = nullptr;
    std::array<QCheckBox*, kSetCount> chkBelongsToset_{};
    std::array<PictureBox*, 2> cmdChangeAircraft_{};
    PictureBox* imgAircraftName_ = nullptr;
    QLabel* lblAircraftType_ = nullptr;
    std::array<PictureBox*, 2> cmdRestoreDefaults_{};
    PictureBox* Image3_ = nullptr;
    PictureBox* cmdExit_ = nullptr;

    QWidget* picGrid_ = nullptr;
    std::array<PictureBox*, 3> picGridTop_{};
    std::array<QWidget*, kGridRows> picLine_{};
    std::array<QLabel*, kGridRows> lblTableAircraftName_{};
    std::array<QWidget*, kGridRows> picNeverBG_{};
    std::array<QWidget*, kGridRows> picNeutralBG_{};
    std::array<QWidget*, kGridRows> picHardBG_{};
    std::array<GridOption*, kGridRows> optNever_{};
    std::array<GridOption*, kGridRows> optNeutral_{};
    std::array<GridOption*, kGridRows> optHard_{};
    QScrollBar* VScroll1_ = nullptr;
};

} // namespace sky::options
