// Starting the program creates the main window, whose load handler runs the
// whole start-up (app/startup.h) before the window is first shown.
#include "app/startup.h"
#include "app/wiring.h"
#include "data/db.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/application.h"
#include "shell/platform.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// --help and --version answer on the terminal, without a display.
bool AnswerOnTerminal(int argc, char** argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* o : {"-h", "--help", "-help", "-?", "-v", "--version"})
            if (std::strcmp(argv[i], o) == 0) asked = true;
    }
    if (!asked) return false;
    QCoreApplication core(argc, argv);
    sky::NameApplication(core);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Aircraft recognition trainer: quizzes on photographs of aircraft, a learning mode and the Captain's "
        "Challenge.\n\nIDE=1 runs this copy of the program even when the user's data folder holds another."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("IDE=1"), QStringLiteral("Run this copy, not the user folder's."),
                                 QStringLiteral("[IDE=1]"));
    parser.process(core); // prints and ends for --help and --version
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (AnswerOnTerminal(argc, argv)) return 0;
    // The encryption library readies itself while the windows are made.
    sky::db::PrepareEncryptionInBackground();
    sky::Application app(argc, argv);
    // For measuring start-up and for tests that start the program: no paced
    // splash steps, a line on standard output once the main window is on
    // screen, and (unless the value is "stay") the end right then.
    const QByteArray measuring = qgetenv("SKYRENDEL_MEASURE_STARTUP");
    if (!measuring.isEmpty()) sky::app::SetSplashPacing(false);

    sky::app::InstallStartupSequence();
    sky::quiz::frmSkyrendelMainMenu window;
    sky::app::WireMainWindow(window);
    window.Form_Load(app.arguments().mid(1));
    window.show();
    if (!measuring.isEmpty()) {
        QTimer::singleShot(0, [stay = measuring == "stay"] {
            std::fputs("skyrendel: main window shown\n", stdout);
            std::fflush(stdout);
            if (!stay) sky::platform().process->exitProcess(0);
        });
    }
    const int code = app.exec();
    sky::RunProcessExitWork();
    return code;
}
