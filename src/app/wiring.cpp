#include "app/wiring.h"

#include "game/frmSkyrendelResults.h"
#include "options/frmSkyrendelOptions.h"
#include "progress/frmSkyrendelProgress.h"
#include "progress/recorder.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "updates/frmSkyrendelUpdates.h"

#include <QPointer>

namespace sky::app {

void WireMainWindow(quiz::frmSkyrendelMainMenu& window) {
    // Item 1 opens the options window modally, item 2 the updates window
    // modelessly, item 15 My Progress; each subsystem adds its line here.
    window.SetMenuItemAction(1, [&window] { options::frmSkyrendelOptions dialog(&window); dialog.exec(); });
    quiz::frmSkyrendelMainMenu* owner = &window;
    window.SetMenuItemAction(2, [owner] {
        // One updates window at a time, owned by the main window.
        static QPointer<updates::frmSkyrendelUpdates> open;
        if (open) {
            open->raise();
            open->activateWindow();
            return;
        }
        open = new updates::frmSkyrendelUpdates(owner);
        open->Form_Load();
        open->show();
        open->activateWindow();
    });
    window.SetMenuItemAction(15, [&window] { progress::OpenMyProgress(&window); });
    game::frmSkyrendelResults::OpenProgress = [](QWidget* parent) { progress::OpenMyProgress(parent); };
    // Every answer goes into the history, which the focused drawing reads.
    static progress::HistoryRecorder recorder;
    recorder.install();
}

} // namespace sky::app
