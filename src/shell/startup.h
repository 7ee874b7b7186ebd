// The program's start-up sequence, run by the main window's load handler
// before the window is first shown.
#pragma once

#include <QStringList>

class QWidget;

namespace sky {

class frmSkyrendelSplash;

// What the start-up needs of the main window.
class StartupWindow {
public:
    virtual ~StartupWindow() = default;
    virtual QWidget* widget() = 0;
    // Makes panel 0 of the learning panel's pages as tall as panel 1.
    virtual void MatchPanelHeights() = 0;
    virtual void InitMainWindow() = 0;
    virtual void ArrangePanels() = 0;
    virtual void ResetRollovers() = 0;
};

// Single-instance check, data folder, hand-over to the user folder's copy.
// May end the process.
void StartupChecks(const QStringList& arguments);

// The whole sequence (including StartupChecks).
void RunStartup(StartupWindow& window, const QStringList& arguments);

// The splash window, made on first use; null once closed.
frmSkyrendelSplash* Splash();
void SetSplashPercent(int k);
void CloseSplash();

// For measuring start-up: when set, the splash's paced steps do not wait.
void SetSplashPacing(bool on);

} // namespace sky
