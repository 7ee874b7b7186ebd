#include "shell/application.h"

#include "shell/appstate.h"
#include "shell/errors.h"
#include "shell/platform.h"

#include <QStyleFactory>

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
    app.setStyleSheet(ProgramStyleSheet());
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    ApplyProgramStyle(*this);
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
