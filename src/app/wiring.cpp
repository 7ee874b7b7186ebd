#include "app/wiring.h"

#include "quiz/frmSkyrendelMainMenu.h"

namespace sky::app {

void WireMainWindow(quiz::frmSkyrendelMainMenu& window) {
    // Item 1 opens the options window modally, item 2 the updates window
    // modelessly; each subsystem adds its line here.
    (void)window;
}

} // namespace sky::app
