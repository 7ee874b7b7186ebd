// Starting the program creates the main window, whose load handler runs the
// whole start-up before the window is first shown.
#include "app/wiring.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/application.h"
#include "shell/startup.h"

#include <QTimer>

int main(int argc, char** argv) {
    sky::Application app(argc, argv);
    // For measuring start-up: no paced splash steps, and the program ends as
    // soon as its main window is on screen.
    const bool measuringStartup = qEnvironmentVariableIsSet("SKYRENDEL_MEASURE_STARTUP");
    if (measuringStartup) sky::SetSplashPacing(false);

    sky::quiz::frmSkyrendelMainMenu window;
    sky::app::WireMainWindow(window);
    window.Form_Load(app.arguments().mid(1));
    window.show();
    if (measuringStartup) QTimer::singleShot(0, [] { std::_Exit(0); });
    return app.exec();
}
