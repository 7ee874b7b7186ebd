// The rename program: Rename P replaces the executable P by the one inside
// the archive P + ".zip" once P has ended, and starts it again.
#include "rename/renameprogram.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    // A path with blanks that reached us unquoted arrives as several
    // arguments: it is one path.
    const QString argument = args.join(QLatin1Char(' '));
    return sky::rename::RunRenameProgram(QCoreApplication::applicationFilePath(), argument,
                                         sky::rename::OptionsFromEnvironment());
}
