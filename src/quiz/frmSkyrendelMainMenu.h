// The main window: the program's home, with its menu of five items. Its
// load handler runs the whole start-up.
#pragma once

#include "shell/startup.h"

#include <QWidget>
#include <array>

namespace sky {
class PictureBox;
}

namespace sky::quiz {

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

    void imgMenuItem_Click(int index);
    void imgMenuItem_MouseMove(int index);

    // Whether a menu item leads anywhere yet.
    bool isMenuItemAvailable(int index) const;

    // Ends the program at once (the menu's Exit).
    [[noreturn]] void ExitProgram();

    // True while either quiz panel is shown.
    bool isQuizInProgress() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void buildMenu();
    void showFace(int item, int store);

    // imgMenuItem 0-4 on screen, 5-9 their faces under the mouse, 10-14
    // their normal faces.
    std::array<PictureBox*, 15> imgMenuItem_{};
    QWidget* picChallengeMode_ = nullptr;
    QWidget* picChallengeMode2_ = nullptr;
    QWidget* picLearningMode_ = nullptr;
};

} // namespace sky::quiz
