// Learning mode on a stand-in learning panel: the lists, stepping through
// aircraft and photographs on both sides, the descriptive page and its
// file, and the wide view's geometry.
#include "data/catalog.h"
#include "data/databases.h"
#include "learning/htmlview.h"
#include "learning/learningmode.h"
#include "data/pictures.h"
#include "learningfixture.h"
#include "shell/helpers.h"
#include "shell/picturebox.h"
#include "shell/testdoubles.h"
#include "support/fixtures.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace sky;
using learningtest::Plane;
using sky::learning::HtmlView;
using sky::learning::LearningMode;

namespace {

template <typename T>
T* child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Four installed aircraft (one inactive), entered out of name order, and
// one whose picture database is missing.
QVector<Plane> standardPlanes() {
    return {
        {3, QStringLiteral("Cessna 172"), QStringLiteral("C172"), 1, QStringLiteral("<p>Cessna page</p>")},
        {1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), 2, QStringLiteral("<p>Airbus page</p>")},
        {4, QStringLiteral("Dash 8"), QStringLiteral("DH8"), -1, QStringLiteral("<p>Dash page</p>")},
        {2, QStringLiteral("Boeing 737"), QStringLiteral("B737"), 12, QStringLiteral("<p>Boeing page</p>")},
        {5, QStringLiteral("Embraer E190"), QStringLiteral("E190"), 3, QStringLiteral("<p>Embraer page</p>"), 0,
         false},
    };
}

int staticIdOf(const QString& name) {
    for (const Plane& p : standardPlanes())
        if (p.name == name) return p.id;
    return -1;
}

} // namespace

class TestLearningMode : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;
    std::unique_ptr<learningtest::StandInPanel> panel_;
    std::unique_ptr<LearningMode> learning_;
    data::CatalogLists lists_;

    void open(const QVector<Plane>& planes, const QSize& size = QSize(984, 684)) {
        data_ = std::make_unique<fixtures::DataFolder>();
        data_->createStaticAndUser();
        learningtest::buildCatalogue(planes);
        lists_.resetLstAircraftNamesAndFolders(false);
        panel_ = std::make_unique<learningtest::StandInPanel>(size);
        learning_ = std::make_unique<LearningMode>(panel_.get(), lists_);
        learning_->SetupLearningMode();
    }
    QComboBox* list(int s) { return child<QComboBox>(*panel_, QStringLiteral("cmbComparisonAircraft_%1").arg(s)); }
    QString label(int s) { return child<QLabel>(*panel_, QStringLiteral("lblComparisonNofN_%1").arg(s))->text(); }
    PictureBox* box(const QString& name) { return child<PictureBox>(*panel_, name); }
    void click(const QString& name) { QTest::mouseClick(box(name), Qt::LeftButton); }
    HtmlView* web() { return learning_->webAboutThisAircraft(); }
    // The user picks entry `index` of side s's list.
    void pick(int s, int index) {
        list(s)->setCurrentIndex(index);
        emit list(s)->activated(index);
    }

private slots:
    void init() { fake_ = std::make_unique<FakePlatform>(); }
    void cleanup() {
        learning_.reset();
        panel_.reset();
        data_.reset();
        fake_.reset();
    }

    void listsHoldInstalledAircraftInNameOrder() {
        open(standardPlanes());
        const QStringList expected = {QStringLiteral("Airbus A320"), QStringLiteral("Boeing 737"),
                                      QStringLiteral("Cessna 172"), QStringLiteral("Embraer E190")};
        for (int s = 0; s < 2; ++s) {
            QStringList items;
            for (int i = 0; i < list(s)->count(); ++i) items << list(s)->itemText(i);
            QCOMPARE(items, expected);
            QCOMPARE(list(s)->currentText(), expected.first());
            QCOMPARE(learning_->sideFolder(s), QStringLiteral("A320"));
            QCOMPARE(label(s), QStringLiteral("Picture 1 of 2"));
            QCOMPARE(learningtest::shownPhoto(box(QStringLiteral("picLearningAircraft_%1").arg(s))->picture(), 1, 2), 0);
            QCOMPARE(box(QStringLiteral("imgLearningAircraftLogo_%1").arg(s))->hasPicture(), true);
        }
        // The About page describes the first aircraft.
        QCOMPARE(fileBytes(LearningMode::TempLearningPath()), QByteArray("<p>Airbus page</p>"));
        QVERIFY(web()->toPlainText().contains(QStringLiteral("Airbus page")));
    }

    void aircraftStepsWrapAround_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QStringList>("clicks"); // "next" or "prev"
        QTest::addColumn<QString>("expected");
        for (int s = 0; s < 2; ++s) {
            const QByteArray tag = "side " + QByteArray::number(s);
            QTest::newRow(tag + ": previous on the first gives the last")
                << s << QStringList{"prev"} << QStringLiteral("Embraer E190");
            QTest::newRow(tag + ": next on the last gives the first")
                << s << QStringList{"prev", "next"} << QStringLiteral("Airbus A320");
            QTest::newRow(tag + ": a full round of next comes back")
                << s << QStringList{"next", "next", "next", "next"} << QStringLiteral("Airbus A320");
            QTest::newRow(tag + ": next twice") << s << QStringList{"next", "next"} << QStringLiteral("Cessna 172");
        }
    }
    void aircraftStepsWrapAround() {
        QFETCH(int, side);
        QFETCH(QStringList, clicks);
        QFETCH(QString, expected);
        open(standardPlanes());
        for (const QString& c : clicks)
            click(QString::fromLatin1(c == "next" ? "cmdLearningMoveNextAircraft_%1" : "cmdLearningPreviousAircraft_%1")
                      .arg(side));
        QCOMPARE(list(side)->currentText(), expected);
        QCOMPARE(learning_->sideFolder(side), lists_.GetAircraftFolderName(expected));
        const int k = staticIdOf(expected);
        const int m = data::CountAircraftPictures(learning_->sideFolder(side));
        QCOMPARE(label(side), QStringLiteral("Picture 1 of %1").arg(m));
        QCOMPARE(learningtest::shownPhoto(box(QStringLiteral("picLearningAircraft_%1").arg(side))->picture(), k, m), 0);
        // The other side stays on the first aircraft.
        QCOMPARE(list(1 - side)->currentText(), QStringLiteral("Airbus A320"));
    }

    void photographsPageWithWrapAround_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<QStringList>("clicks"); // "right" or "left"
        QTest::addColumn<int>("expectedN");
        for (int s = 0; s < 2; ++s) {
            const QByteArray tag = "side " + QByteArray::number(s);
            QTest::newRow(tag + ": left on 1 gives 12") << s << QStringList{"left"} << 12;
            QTest::newRow(tag + ": right on 12 gives 1") << s << QStringList{"left", "right"} << 1;
            QTest::newRow(tag + ": right three times") << s << QStringList{"right", "right", "right"} << 4;
            QTest::newRow(tag + ": left from 12 gives 11") << s << QStringList{"left", "left"} << 11;
        }
    }
    void photographsPageWithWrapAround() {
        QFETCH(int, side);
        QFETCH(QStringList, clicks);
        QFETCH(int, expectedN);
        open(standardPlanes());
        pick(side, 1); // Boeing 737, 12 photographs
        QCOMPARE(label(side), QStringLiteral("Picture 1 of 12"));
        for (const QString& c : clicks)
            click(QString::fromLatin1(c == "right" ? "cmdComparisonMoveRight_%1" : "cmdComparisonMoveLeft_%1").arg(side));
        QCOMPARE(learning_->sideN(side), expectedN);
        QCOMPARE(learning_->sideM(side), 12);
        QCOMPARE(label(side), QStringLiteral("Picture %1 of 12").arg(expectedN));
        QCOMPARE(learningtest::shownPhoto(box(QStringLiteral("picLearningAircraft_%1").arg(side))->picture(), 2, 12),
                 expectedN - 1);
        // The other side's photograph is untouched.
        QCOMPARE(label(1 - side), QStringLiteral("Picture 1 of 2"));
    }

    void sameNameTwiceStepsPastBoth_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("isNext");
        QTest::addColumn<QString>("expected");
        QTest::newRow("next from the first of the pair") << 1 << true << QStringLiteral("Cessna 172");
        QTest::newRow("next from the second of the pair") << 2 << true << QStringLiteral("Cessna 172");
        QTest::newRow("previous from the first of the pair") << 1 << false << QStringLiteral("Airbus A320");
        QTest::newRow("previous from the second of the pair") << 2 << false << QStringLiteral("Airbus A320");
    }
    void sameNameTwiceStepsPastBoth() {
        QFETCH(int, start);
        QFETCH(bool, isNext);
        QFETCH(QString, expected);
        open({{1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), 1},
              {2, QStringLiteral("Boeing 737"), QStringLiteral("B737"), 1},
              {3, QStringLiteral("Boeing 737"), QStringLiteral("B737B"), 1},
              {4, QStringLiteral("Cessna 172"), QStringLiteral("C172"), 1}});
        QCOMPARE(list(0)->count(), 4);
        for (int s = 0; s < 2; ++s) {
            pick(s, start);
            learning_->MoveLearningAircraft(s, isNext);
            QCOMPARE(list(s)->currentText(), expected);
        }
    }

    void sideOneNeverChangesTheAboutPage() {
        open(standardPlanes());
        const QByteArray before = fileBytes(LearningMode::TempLearningPath());
        const QString shown = web()->toPlainText();
        pick(1, 2);
        click(QStringLiteral("cmdLearningMoveNextAircraft_1"));
        click(QStringLiteral("cmdLearningPreviousAircraft_1"));
        click(QStringLiteral("cmdComparisonMoveRight_1"));
        QCOMPARE(list(1)->currentText(), QStringLiteral("Cessna 172"));
        QCOMPARE(learning_->sideFolder(1), QStringLiteral("C172"));
        QCOMPARE(fileBytes(LearningMode::TempLearningPath()), before);
        QCOMPARE(web()->toPlainText(), shown);
        // Side 0 does change it.
        pick(0, 1);
        QCOMPARE(fileBytes(LearningMode::TempLearningPath()), QByteArray("<p>Boeing page</p>"));
        QVERIFY(web()->toPlainText().contains(QStringLiteral("Boeing page")));
    }

    void descriptivePage_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("isAddress");
        QTest::addColumn<QString>("expected"); // the address, or the file's text
        QTest::addColumn<QString>("visible");  // text the view shows ("" for none)
        // Addresses on a closed local port: the fetch fails at once.
        QTest::newRow("lower-case address") << QVariant("http://127.0.0.1:9/a.html") << true
                                            << QStringLiteral("http://127.0.0.1:9/a.html") << QString();
        QTest::newRow("upper-case address") << QVariant("HTTP://127.0.0.1:9/B.HTML") << true
                                            << QStringLiteral("HTTP://127.0.0.1:9/B.HTML") << QString();
        QTest::newRow("mixed case, blanks around") << QVariant("   hTtP://127.0.0.1:9/c   ") << true
                                                   << QStringLiteral("hTtP://127.0.0.1:9/c") << QString();
        QTest::newRow("secure address") << QVariant("https://127.0.0.1:9/d") << true
                                        << QStringLiteral("https://127.0.0.1:9/d") << QString();
        const QString html = QStringLiteral("<html><head><title>T</title></head>\r\n<body><h1>Spitfire Mk \u00c6</h1>"
                                            "<p>It's \u201cfast\u201d &amp; light.</p>\n\n</body></html>");
        QTest::newRow("a page, written exactly") << QVariant(html) << false << html << QStringLiteral("It's");
        QTest::newRow("blanks around a page are removed")
            << QVariant("  <p>Trimmed</p>  ") << false << QStringLiteral("<p>Trimmed</p>") << QStringLiteral("Trimmed");
        QTest::newRow("not quite an address") << QVariant("http:/127.0.0.1/x") << false
                                              << QStringLiteral("http:/127.0.0.1/x") << QStringLiteral("http:/");
        QTest::newRow("empty") << QVariant(QString()) << false << QString() << QString();
        QTest::newRow("null") << QVariant() << false << QString() << QString();
        QTest::newRow("plain text, lines kept") << QVariant("First line\nSecond   line") << false
                                                << QStringLiteral("First line\nSecond   line")
                                                << QStringLiteral("First line\nSecond   line");
        const QString script = QStringLiteral("<html><body><p>Safe text</p><script>alert('boom');</script>"
                                              "<p onclick=\"alert(1)\">More</p></body></html>");
        QTest::newRow("scripts") << QVariant(script) << false << script << QStringLiteral("Safe text");
        QString big = QStringLiteral("<html><body>");
        while (big.size() < 1024 * 1024) big += QStringLiteral("<p>A long page about a long aeroplane.</p>\n");
        big += QStringLiteral("<p>THE END</p></body></html>");
        QTest::newRow("one megabyte") << QVariant(big) << false << big << QStringLiteral("THE END");
    }
    void descriptivePage() {
        QFETCH(QVariant, stored);
        QFETCH(bool, isAddress);
        QFETCH(QString, expected);
        QFETCH(QString, visible);
        QVector<Plane> planes = standardPlanes();
        planes << Plane{9, QStringLiteral("Aardvark 'Quoted'"), QStringLiteral("AARD"), 1, stored};
        open(planes);
        // The quoted name is first in name order, so it is on show already;
        // show it again on a clean folder.
        KillFile(LearningMode::TempLearningPath());
        learning_->LoadLearningHTML(QStringLiteral("Aardvark 'Quoted'"));
        if (isAddress) {
            QVERIFY(!QFile::exists(LearningMode::TempLearningPath()));
            QCOMPARE(web()->location(), expected);
            QTRY_COMPARE_WITH_TIMEOUT(web()->state(), HtmlView::State::Failed, 5000);
        } else {
            QCOMPARE(fileBytes(LearningMode::TempLearningPath()), expected.toUtf8());
            QCOMPARE(web()->location(), LearningMode::TempLearningPath());
            QCOMPARE(web()->state(), HtmlView::State::Loaded);
            if (!visible.isEmpty()) QVERIFY2(web()->toPlainText().contains(visible), qPrintable(web()->toPlainText().left(200)));
            QVERIFY(!web()->toPlainText().contains(QStringLiteral("alert")));
        }
        QVERIFY(fake_->messageBox.shown.isEmpty());
        QVERIFY(fake_->shell.opened.isEmpty());
    }

    void unknownAircraftShowsBlankPage() {
        open(standardPlanes());
        KillFile(LearningMode::TempLearningPath());
        learning_->LoadLearningHTML(QStringLiteral("No Such Aircraft"));
        QCOMPARE(web()->state(), HtmlView::State::Blank);
        QCOMPARE(web()->toPlainText(), QString());
        QVERIFY(!QFile::exists(LearningMode::TempLearningPath()));
    }

    void aircraftWithoutPhotographs() {
        open({{1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), 2},
              {2, QStringLiteral("Bare Aircraft"), QStringLiteral("BARE"), 0}});
        pick(0, 1);
        // No photograph: the unavailable face, never the previous aircraft's
        // photograph, and a count that says there is none.
        QCOMPARE(label(0), QStringLiteral("Picture 0 of 0"));
        QCOMPARE(box(QStringLiteral("picLearningAircraft_0"))->picture(), data::PictureUnavailableFace());
        click(QStringLiteral("cmdComparisonMoveLeft_0"));
        QCOMPARE(label(0), QStringLiteral("Picture 0 of 0"));
        click(QStringLiteral("cmdComparisonMoveRight_0"));
        QCOMPARE(label(0), QStringLiteral("Picture 0 of 0"));
        QCOMPARE(box(QStringLiteral("picLearningAircraft_0"))->picture(), data::PictureUnavailableFace());
        // Back to an aircraft with photographs.
        click(QStringLiteral("cmdLearningMoveNextAircraft_0"));
        QCOMPARE(label(0), QStringLiteral("Picture 1 of 2"));
        QCOMPARE(learningtest::shownPhoto(box(QStringLiteral("picLearningAircraft_0"))->picture(), 1, 2), 0);
    }

    // A photograph that does not decode shows the unavailable face under
    // its own caption, never the photograph shown before it.
    void undecodablePhotographShowsFace() {
        open({{1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), 3},
              {2, QStringLiteral("Boeing 737"), QStringLiteral("B737"), 2}});
        QVERIFY(QFile::remove(db::PictureDatabasePath(QStringLiteral("A320"))));
        fixtures::CreatePictureDatabase(QStringLiteral("A320"),
                                        {fixtures::MakeJpeg(32, 24, learningtest::photoColour(1, 0)),
                                         QByteArray("\xff\xd8 not a photograph"),
                                         fixtures::MakeJpeg(32, 24, learningtest::photoColour(1, 2))});
        pick(0, 1);
        pick(0, 0);
        const auto shown = [&] { return box(QStringLiteral("picLearningAircraft_0"))->picture(); };
        QCOMPARE(label(0), QStringLiteral("Picture 1 of 3"));
        QCOMPARE(learningtest::shownPhoto(shown(), 1, 3), 0);
        click(QStringLiteral("cmdComparisonMoveRight_0"));
        QCOMPARE(label(0), QStringLiteral("Picture 2 of 3"));
        QCOMPARE(shown(), data::PictureUnavailableFace());
        click(QStringLiteral("cmdComparisonMoveRight_0"));
        QCOMPARE(label(0), QStringLiteral("Picture 3 of 3"));
        QCOMPARE(learningtest::shownPhoto(shown(), 1, 3), 2);
        click(QStringLiteral("cmdComparisonMoveLeft_0"));
        QCOMPARE(label(0), QStringLiteral("Picture 2 of 3"));
        QCOMPARE(shown(), data::PictureUnavailableFace());
    }

    // A picture database cut short counts no photographs: the face and
    // "Picture 0 of 0", not a black box under "Picture 1 of 0".
    void truncatedPictureDatabaseShowsFace() {
        open({{1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), 2},
              {2, QStringLiteral("Boeing 737"), QStringLiteral("B737"), 2}});
        QVERIFY(QFile::remove(db::PictureDatabasePath(QStringLiteral("B737"))));
        QList<QByteArray> big;
        for (int i = 0; i < 6; ++i) big << fixtures::MakePhotoJpeg(i, 200, 150);
        fixtures::CreatePictureDatabase(QStringLiteral("B737"), big);
        {
            QFile f(db::PictureDatabasePath(QStringLiteral("B737")));
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() / 2));
        }
        pick(0, 0);
        pick(0, 1);
        QCOMPARE(label(0), QStringLiteral("Picture 0 of 0"));
        QCOMPARE(box(QStringLiteral("picLearningAircraft_0"))->picture(), data::PictureUnavailableFace());
    }

    void noInstalledAircraft() {
        open({{1, QStringLiteral("Airbus A320"), QStringLiteral("A320"), -1}});
        for (int s = 0; s < 2; ++s) {
            QCOMPARE(list(s)->count(), 0);
            click(QStringLiteral("cmdLearningMoveNextAircraft_%1").arg(s));
            click(QStringLiteral("cmdLearningPreviousAircraft_%1").arg(s));
            QCOMPARE(list(s)->count(), 0);
            QCOMPARE(learning_->sideFolder(s), QString());
        }
        QVERIFY(!QFile::exists(LearningMode::TempLearningPath()));
        // Nothing to show: empty pictures, logos and About page, and no message.
        for (int s = 0; s < 2; ++s) {
            QVERIFY(!box(QStringLiteral("picLearningAircraft_%1").arg(s))->hasPicture());
            QVERIFY(!box(QStringLiteral("imgLearningAircraftLogo_%1").arg(s))->hasPicture());
        }
        QVERIFY(web()->toPlainText().trimmed().isEmpty());
        QVERIFY(fake_->messageBox.shown.isEmpty());
    }

    void setupStartsAgainFromTheFirstAircraft() {
        open(standardPlanes());
        pick(0, 2);
        pick(1, 3);
        click(QStringLiteral("cmdComparisonMoveRight_0"));
        learning_->SetupLearningMode();
        for (int s = 0; s < 2; ++s) {
            QCOMPARE(list(s)->count(), 4);
            QCOMPARE(list(s)->currentText(), QStringLiteral("Airbus A320"));
            QCOMPARE(label(s), QStringLiteral("Picture 1 of 2"));
        }
    }

    void controlsSitOnTheirPages() {
        open(standardPlanes());
        const QStringList sideControls = {"cmbComparisonAircraft", "cmdLearningPreviousAircraft",
                                          "cmdLearningMoveNextAircraft", "picLearningAircraft",
                                          "cmdComparisonMoveLeft", "cmdComparisonMoveRight", "lblComparisonNofN",
                                          "imgLearningAircraftLogo", "imgReportProblemImage",
                                          "imgReportProblemAircraft", "lblSelect"};
        const int half = panel_->width() / 2;
        for (const QString& name : sideControls) {
            QWidget* left = child<QWidget>(*panel_, name + "_0");
            QWidget* right = child<QWidget>(*panel_, name + "_1");
            QCOMPARE(left->parentWidget(), static_cast<QWidget*>(panel_.get()));
            QVERIFY2(left->geometry().right() < half, qPrintable(name));
            QCOMPARE(right->parentWidget(), panel_->pages[0]);
            QVERIFY2(panel_->pages[0]->rect().contains(right->geometry()), qPrintable(name));
        }
        QCOMPARE(web()->parentWidget(), panel_->pages[1]);
        QCOMPARE(child<QPushButton>(*panel_, "cmdWider")->parentWidget(), panel_->pages[1]);
        QVERIFY(panel_->pages[0]->geometry().left() >= half);
    }

    void wideView_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("main window's panel") << QSize(984, 684);
        QTest::newRow("small") << QSize(801, 601);
        QTest::newRow("large") << QSize(1400, 900);
    }
    void wideView() {
        QFETCH(QSize, size);
        open(standardPlanes(), size);
        auto* wider = child<QPushButton>(*panel_, "cmdWider");
        QWidget* page0 = panel_->pages[0];
        QWidget* page1 = panel_->pages[1];
        const QRect normal = page0->geometry();
        const int W = panel_->width();
        auto browserMarginsEqual = [&] {
            return web()->x() == page1->width() - (web()->x() + web()->width());
        };
        QCOMPARE(wider->text(), QStringLiteral("<< Wider!"));
        QCOMPARE(page1->geometry(), normal);
        QVERIFY(browserMarginsEqual());

        QTest::mouseClick(wider, Qt::LeftButton);
        QCOMPARE(wider->text(), QStringLiteral("Normal >>"));
        QCOMPARE(page1->x(), W - (normal.x() + normal.width())); // page 0's right margin
        QCOMPARE(W - (page1->x() + page1->width()), page1->x());  // the same on the right
        QCOMPARE(page1->y(), normal.y());
        QCOMPARE(page1->height(), normal.height());
        QVERIFY(page1->x() < normal.x() / 2); // it covers the left half
        QVERIFY(browserMarginsEqual());

        QTest::mouseClick(wider, Qt::LeftButton);
        QCOMPARE(wider->text(), QStringLiteral("<< Wider!"));
        QCOMPARE(page1->geometry(), normal);
        QVERIFY(browserMarginsEqual());
    }

    void wideViewSurvivesAResizeAndANewStart() {
        open(standardPlanes());
        QTest::mouseClick(child<QPushButton>(*panel_, "cmdWider"), Qt::LeftButton);
        panel_->resize(1100, 760);
        panel_->show(); // a hidden panel gets its resize when it is shown
        learning_->SetupLearningMode();
        const QRect page0 = panel_->pages[0]->geometry();
        QWidget* page1 = panel_->pages[1];
        QCOMPARE(page1->x(), 1100 - (page0.x() + page0.width()));
        QCOMPARE(page1->width(), 1100 - 2 * page1->x());
        QCOMPARE(child<QPushButton>(*panel_, "cmdWider")->text(), QStringLiteral("Normal >>"));
    }

    void pagesAreMadeWhenThePanelHasNone() {
        fake_ = std::make_unique<FakePlatform>();
        data_ = std::make_unique<fixtures::DataFolder>();
        data_->createStaticAndUser();
        learningtest::buildCatalogue(standardPlanes());
        lists_.resetLstAircraftNamesAndFolders(false);
        QWidget bare;
        bare.resize(900, 640);
        LearningMode learning(&bare, lists_);
        learning.SetupLearningMode();
        QWidget* page0 = bare.findChild<QWidget*>(QStringLiteral("picPanel_0"));
        QWidget* page1 = bare.findChild<QWidget*>(QStringLiteral("picPanel_1"));
        QVERIFY(page0 && page1);
        QCOMPARE(page0->geometry(), page1->geometry());
        QCOMPARE(bare.findChild<QComboBox*>(QStringLiteral("cmbComparisonAircraft_1"))->parentWidget(), page0);
        QCOMPARE(learning.sideFolder(1), QStringLiteral("A320"));
    }
};

QTEST_MAIN(TestLearningMode)
#include "tst_learningmode.moc"
