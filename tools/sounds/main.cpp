// skyrendel-sounds OUTDIR: writes the program's sound clips into OUTDIR.
#include "sounds.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: skyrendel-sounds OUTDIR\n";
        return 2;
    }
    QString error;
    if (!sky::sounds::WriteAll(args[1], &error)) {
        QTextStream(stderr) << "skyrendel-sounds: error: " << error << "\n";
        return 1;
    }
    return 0;
}
