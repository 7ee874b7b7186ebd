#include "shell/application.h"

#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/platform.h"

#include <QSocketNotifier>
#include <QStyleFactory>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace sky {

QString ProgramStyleSheet() {
    // Navy #0f1f3a and its lighter steps, the menu's gold #f2b705 and the
    // focus ring #ffc82e.
    return QStringLiteral(
        "QDialog#frmUserDetails, QMessageBox, QFileDialog { background-color: #0f1f3a; color: #ffffff; }\n"
        "QDialog#frmUserDetails QLabel, QMessageBox QLabel, QFileDialog QLabel { color: #ffffff; }\n"
        "QDialog#frmUserDetails QLineEdit, QFileDialog QLineEdit, QFileDialog QComboBox {"
        " background-color: #ffffff; color: #0f1f3a; border: 1px solid #5d7396; border-radius: 3px; padding: 3px; }\n"
        "QDialog#frmUserDetails QLineEdit:focus, QFileDialog QLineEdit:focus { border: 2px solid #ffc82e; }\n"
        "QFileDialog QListView, QFileDialog QTreeView { background-color: #ffffff; color: #0f1f3a; }\n"
        "QPushButton:!flat { background-color: #1d3358; color: #ffffff; border: 1px solid #5d7396;"
        " border-radius: 5px; padding: 5px 14px; font-weight: bold; min-height: 18px; }\n"
        "QPushButton:!flat:hover { background-color: #2a4a7c; border-color: #f2b705; }\n"
        "QPushButton:!flat:pressed { background-color: #f2b705; color: #0f1f3a; }\n"
        "QPushButton:!flat:disabled { background-color: #2b3547; color: #8a94a6; border-color: #3c4658; }\n"
        "QPushButton:!flat:focus { border: 2px solid #ffc82e; }\n"
        "QPushButton:flat:focus { border: 2px solid #ffc82e; }\n");
}

void ApplyProgramStyle(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
}

void UseProgramStyle(QWidget* widget) {
    static const QString sheet = ProgramStyleSheet();
    widget->setStyleSheet(sheet);
}

void NameApplication(QCoreApplication& app) {
    app.setApplicationName(QString::fromLatin1(kApplicationTitle));
    app.setOrganizationName(QString::fromLatin1(kApplicationTitle));
    app.setApplicationVersion(QStringLiteral(SKYRENDEL_VERSION));
}

namespace {
int g_signalPipe[2] = {-1, -1};

void OnEndSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    NameApplication(*this);
    ApplyProgramStyle(*this);
    setDesktopFileName(QString::fromLatin1(kDesktopId));
    // Asked to end by the system (log-out, kill): end as the Exit item does,
    // giving up the single-instance lock and channel on the way.
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [] {
            char c;
            while (::read(g_signalPipe[0], &c, 1) > 0) {
            }
            platform().process->exitProcess(0);
        });
        struct sigaction sa {};
        sa.sa_handler = OnEndSignal;
        sigemptyset(&sa.sa_mask);
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    }
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const ProcessExited&) {
        throw;
    } catch (const SkyError& e) {
        EndWithUnhandledError(e.number(), e.description());
    } catch (const std::exception& e) {
        EndWithUnhandledError(51, QString::fromLocal8Bit(e.what()));
    }
}

} // namespace sky
