// Building catalogues: the demo catalogue as the build makes it (renderer
// and builder), and a generated catalogue of 500 aircraft with 20
// photographs each.
#include "catalog.h"
#include "catalogfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void report(const char* name, double value, const char* unit) {
    std::printf("BENCH %s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

// The demo catalogue: the renderer's photographs, then the builder. When
// the renderer has not been built, only the build step is timed, over the
// photographs an earlier build left in BUILD/demo-photos.
void demoCatalog() {
    const QString source = QStringLiteral(SKY_SOURCE_DIR "/content/demo");
    if (!QFileInfo::exists(source + "/catalog.json")) {
        std::fprintf(stderr, "bench_catalog: no content/demo/catalog.json yet; demo_catalog_build_s not measured\n");
        return;
    }
    QTemporaryDir work;
    const QString renderer = QStringLiteral(SKY_BINARY_DIR "/bin/skyrendel-render");
    QString photos = QStringLiteral(SKY_BINARY_DIR "/demo-photos");
    QElapsedTimer t;
    t.start();
    if (QFileInfo(renderer).isExecutable() && QFileInfo::exists(source + "/shapes.json")) {
        photos = work.filePath("photos");
        QProcess render;
        render.start(renderer, {source + "/shapes.json", photos});
        if (!render.waitForFinished(-1) || render.exitCode() != 0) {
            std::fprintf(stderr, "bench_catalog: the renderer failed: %s\n", render.readAllStandardError().constData());
            return;
        }
    } else if (!QFileInfo(photos).isDir()) {
        std::fprintf(stderr, "bench_catalog: no renderer and no rendered photographs; demo_catalog_build_s not measured\n");
        return;
    } else {
        // Without the renderer this figure is the build step alone.
        std::fprintf(stderr, "bench_catalog: renderer not built; demo_catalog_build_s times the build step alone\n");
    }
    try {
        sky::catalog::BuildCatalog({source, work.filePath("app"), photos});
    } catch (const sky::catalog::CatalogError& e) {
        std::fprintf(stderr, "bench_catalog: %s\n", e.what());
        return;
    }
    report("demo_catalog_build_s", t.elapsed() / 1000.0, "s");
}

void generatedCatalog() {
    QTemporaryDir work;
    sky::fixture::CatalogSpec spec;
    spec.aircraft = 500;
    spec.photosPerAircraft = 20;
    const sky::fixture::CatalogSource src = sky::fixture::GenerateCatalogSource(work.path(), spec);
    QElapsedTimer t;
    t.start();
    const sky::catalog::BuildReport r = sky::catalog::BuildCatalog({src.source, work.filePath("app"), src.photosDir});
    const double seconds = t.elapsed() / 1000.0;
    if (r.photographs != 500 * 20) {
        std::fprintf(stderr, "bench_catalog: %d photographs stored, 10000 expected\n", r.photographs);
        return;
    }
    report("catalog_build_500x20_s", seconds, "s");
    std::fprintf(stderr, "bench_catalog: %.1f MB of photographs\n", src.photoBytes / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    demoCatalog();
    generatedCatalog();
    return 0;
}
