#include "shell/application.h"

#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/platform.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace sky {

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
