// Connects the windows of the subsystems above the quiz (options, updates)
// to the main window's menu.
#pragma once

namespace sky::quiz {
class frmSkyrendelMainMenu;
}

namespace sky::app {

// Hands the main window what its menu items open.
void WireMainWindow(quiz::frmSkyrendelMainMenu& window);

} // namespace sky::app
