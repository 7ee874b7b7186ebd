#include "app/wiring.h"

#include "options/frmSkyrendelOptions.h"
#include "progress/recorder.h"
#include "quiz/frmSkyrendelMainMenu.h"

namespace sky::app {

void WireMainWindow(quiz::frmSkyrendelMainMenu& window) {
    // Item 1 opens the options window modally, item 2 the updates window
    // modelessly; each subsystem adds its line here.
    window.SetMenuItemAction(1, [&window] { options::frmSkyrendelOptions dialog(&window); dialog.exec(); });
    // Every answer goes into the history, which the focused drawing reads.
    static progress::HistoryRecorder recorder;
    recorder.install();
}

} // namespace sky::app
