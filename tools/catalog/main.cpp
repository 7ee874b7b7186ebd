// skyrendel-catalog: builds the program's database files from a catalogue
// source folder, and shows what a database file holds.
//
//   skyrendel-catalog build SOURCE OUT [--photos DIR]
//   skyrendel-catalog inspect FILE
#include "catalog.h"

#include "shell/errors.h"

#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>

namespace {

int usage() {
    QTextStream(stderr) << "usage: skyrendel-catalog build SOURCE OUT [--photos DIR]\n"
                           "       skyrendel-catalog inspect FILE\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Name logos are drawn with fonts, which need a GUI application; no
    // window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream err(stderr), out(stdout);
    if (args.isEmpty()) return usage();
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("build")) {
            sky::catalog::BuildOptions o;
            QStringList positional;
            for (int i = 0; i < args.size(); ++i) {
                if (args[i] == QLatin1String("--photos")) {
                    if (i + 1 >= args.size()) return usage();
                    o.photosDir = args[++i];
                } else if (args[i].startsWith(QLatin1String("--photos="))) {
                    o.photosDir = args[i].mid(9);
                } else if (args[i].startsWith(QLatin1String("--"))) {
                    return usage();
                } else {
                    positional << args[i];
                }
            }
            if (positional.size() != 2) return usage();
            o.source = positional[0];
            o.out = positional[1];
            const sky::catalog::BuildReport r = sky::catalog::BuildCatalog(o);
            out << "skyrendel-catalog: " << r.aircraft << " aircraft, " << r.photographs << " photographs, " << r.pairs
                << " pairs, " << r.textConstants << " text constants (" << r.renderedLogos << " name logos drawn) into "
                << o.out << "\n";
            return 0;
        }
        if (command == QLatin1String("inspect")) {
            if (args.size() != 1) return usage();
            out << sky::catalog::InspectFile(args[0]);
            return 0;
        }
        return usage();
    } catch (const sky::catalog::CatalogError& e) {
        err << "skyrendel-catalog: error: " << e.message() << "\n";
    } catch (const sky::SkyError& e) {
        err << "skyrendel-catalog: error " << e.number() << ": " << e.description() << "\n";
    }
    return 1;
}
