// Writes the application's icon, drawn by the program's own artwork code, as
// PNG files for the desktop's icon theme: OUT/<size>x<size>/apps/NAME.png.
#include "shell/artwork.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: skyrendel-icon OUTPUT-FOLDER ICON-NAME\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(folder)) return 1;
        const QImage icon = sky::artwork::ApplicationIcon(size);
        if (icon.size() != QSize(size, size) || !icon.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size, qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
