// skyrendel-render SHAPES.json OUTDIR [--only FOLDER]
// Draws the illustrations of every type in a shapes file into
// OUTDIR/FOLDER/01.jpg, 02.jpg, ...
#include "render.h"
#include "shape.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace sky::render;

static int Usage() {
    std::fprintf(stderr, "usage: skyrendel-render SHAPES.json OUTDIR [--only FOLDER]\n");
    return 2;
}

int main(int argc, char** argv) {
    // Only QImage and QPainter are used: no display is needed. The core
    // application lets the JPEG writer find its plug-in.
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QStringList positional;
    QString only;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--only")) {
            if (i + 1 >= args.size()) return Usage();
            only = args[++i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return Usage();
        } else {
            positional << args[i];
        }
    }
    if (positional.size() != 2) return Usage();
    try {
        const QVector<AircraftShape> shapes = LoadShapes(positional[0]);
        QElapsedTimer timer;
        timer.start();
        int types = 0, pictures = 0;
        for (const AircraftShape& s : shapes) {
            if (!only.isEmpty() && s.folder.compare(only, Qt::CaseInsensitive) != 0) continue;
            pictures += WriteType(s, positional[1]).size();
            ++types;
        }
        if (!only.isEmpty() && types == 0) {
            std::fprintf(stderr, "skyrendel-render: %s: no type with folder \"%s\"\n",
                         qPrintable(positional[0]), qPrintable(only));
            return 1;
        }
        std::printf("skyrendel-render: %d pictures of %d types in %.1f s\n", pictures, types,
                    timer.elapsed() / 1000.0);
    } catch (const ShapeError& e) {
        std::fprintf(stderr, "skyrendel-render: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
