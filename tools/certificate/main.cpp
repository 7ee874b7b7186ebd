// skyrendel-certificate FILE: writes the certificate template to FILE.
#include "certificate.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: skyrendel-certificate FILE\n";
        return 2;
    }
    QString error;
    if (!sky::certificate::WriteTemplate(args[1], &error)) {
        QTextStream(stderr) << "skyrendel-certificate: error: " << error << "\n";
        return 1;
    }
    return 0;
}
