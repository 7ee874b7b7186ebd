#include "shell/application.h"

#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/platform.h"

namespace sky {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(kApplicationTitle));
    setOrganizationName(QString::fromLatin1(kApplicationTitle));
    setApplicationVersion(QStringLiteral("1.3"));
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
