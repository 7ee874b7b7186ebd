// The options window on a generated catalogue of 500 aircraft: opening it
// from the menu (the first aircraft's grid holds 499 status queries), one
// step to the next aircraft, and restoring the defaults of all aircraft.
//
// With --look SECONDS it instead shows the window on each tab for a while,
// for a look at it under a real display.
#include "catalog.h"
#include "catalogfixture.h"

#include "app/wiring.h"
#include "data/databases.h"
#include "data/db.h"
#include "data/sync.h"
#include "options/frmSkyrendelOptions.h"
#include "quiz/frmSkyrendelMainMenu.h"
#include "shell/appstate.h"
#include "shell/picturebox.h"
#include "shell/testdoubles.h"

#include "support/benchutil.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace sky;
using benchutil::report;
using benchutil::median;

namespace {

void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }

int look(int seconds) {
    options::frmSkyrendelOptions window;
    window.show();
    const int step = seconds * 1000 / 4;
    // Each stage says what it shows, so that a screenshot can follow it.
    std::printf("LOOK lists\n");
    std::fflush(stdout);
    QTimer::singleShot(step, &window, [&] {
        window.SetTab(0);
        std::printf("LOOK aircraft\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(2 * step, &window, [&] {
        window.findChild<QScrollBar*>(QStringLiteral("VScroll1"))->setValue(5);
        std::printf("LOOK scrolled\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(3 * step, &window, [&] { window.SetTab(1); });
    QTimer::singleShot(4 * step, &window, [&] { window.accept(); });
    window.exec();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int lookSeconds = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--look") lookSeconds = QByteArray(argv[i + 1]).toInt();
    if (!lookSeconds && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    FakePlatform platform;

    fixture::CatalogSpec spec;
    spec.aircraft = 500;
    spec.photosPerAircraft = 1;
    spec.distinctPictures = 4;
    const fixture::CatalogSource source = fixture::GenerateCatalogSource(work.path(), spec);
    const QString appDir = work.filePath(QStringLiteral("app"));
    try {
        catalog::BuildCatalog({source.source, appDir, source.photosDir});
    } catch (const catalog::CatalogError& e) {
        std::fprintf(stderr, "bench_options: %s\n", e.what());
        return 1;
    }
    SetInstallFolderForTests(appDir);
    ProgramFolder = appDir;
    db::OpenDatabases();
    data::SynchronizeUserDataWithStaticDB();
    if (lookSeconds) return look(lookSeconds);

    quiz::frmSkyrendelMainMenu main;
    main.InitMainWindow();
    main.ArrangePanels();
    main.ResetRollovers();
    app::WireMainWindow(main);
    main.show();
    auto* item = main.findChild<PictureBox*>(QStringLiteral("imgMenuItem_1"));
    if (!item || !item->isEnabled()) {
        std::fprintf(stderr, "bench_options: the options item is not available\n");
        return 1;
    }

    // Opening: from the click to the window on screen with its grid loaded.
    QVector<double> open, next, restore;
    int gridRows = 0;
    for (int k = 0; k < 7; ++k) {
        QElapsedTimer t;
        QTimer::singleShot(0, &main, [&] {
            auto* window = qobject_cast<options::frmSkyrendelOptions*>(QApplication::activeModalWidget());
            if (!window) return;
            open << t.nsecsElapsed() / 1e6;
            gridRows = window->similarityLists().lstOtherAircraft.size();
            if (k == 0) {
                // Next aircraft, one click at a time.
                QWidget* nextButton = window->findChild<QWidget*>(QStringLiteral("cmdChangeAircraft_1"));
                window->SetTab(0);
                for (int i = 0; i < 41; ++i) {
                    QElapsedTimer s;
                    s.start();
                    click(nextButton);
                    next << s.nsecsElapsed() / 1e6;
                }
                // Restore Defaults (All Aircraft), answering Yes.
                QWidget* restoreAll = window->findChild<QWidget*>(QStringLiteral("cmdRestoreDefaults_1"));
                for (int i = 0; i < 3; ++i) {
                    platform.messageBox.setNextAnswer(MsgResult::Yes);
                    QElapsedTimer s;
                    s.start();
                    click(restoreAll);
                    restore << s.nsecsElapsed() / 1e6;
                }
            }
            window->accept();
        });
        t.start();
        click(item);
    }
    if (open.size() != 7 || gridRows != 499) {
        std::fprintf(stderr, "bench_options: the window did not open as expected (%d grid rows)\n", gridRows);
        return 1;
    }
    int restored = 0;
    for (const ShownMessage& m : platform.messageBox.shown)
        restored += m.text == QLatin1String("Defaults Successfully Restored!");
    if (restored != 3) {
        std::fprintf(stderr, "bench_options: %d of 3 restores reported success\n", restored);
        return 1;
    }
    report("options_open_ms", median(open), "ms");
    report("options_next_aircraft_ms", median(next), "ms");
    report("options_restore_all_ms", median(restore), "ms");
    db::CloseDatabases();
    SetInstallFolderForTests(QString());
    return 0;
}
