// What the main window's load handler runs before the window is first shown,
// and the splash window it shows meanwhile. The sequence itself wires every
// subsystem together, so the program installs it from above
// (app/startup.h); the window only runs it.
#pragma once

#include <QStringList>
#include <functional>

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

using StartupSequence = std::function<void(StartupWindow&, const QStringList&)>;

// The sequence the main window's load handler runs; installed once by the
// program at its start.
void SetStartupSequence(StartupSequence sequence);
bool HasStartupSequence();

// Runs the installed sequence; without one, an error (the program was put
// together without its start-up).
void RunStartup(StartupWindow& window, const QStringList& arguments);

// The splash window, made on first use; null once closed.
frmSkyrendelSplash* Splash();
// Makes the splash window if needed and shows it (its load handler sets 2 %).
void ShowSplash();
void SetSplashPercent(int k);
void CloseSplash();

} // namespace sky
