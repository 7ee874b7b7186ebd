// Problem reports read back from the shell double: the addresses of the
// learning panel's links and the results screen's link (ids from the
// static database, the photograph's ID at its position, encoded values),
// the details asked once, the advice message, and the FAQ window's file.
#include "data/catalog.h"
#include "data/databases.h"
#include "game/frmSkyrendelResults.h"
#include "game/frmUserDetails.h"
#include "game/settingsdir.h"
#include "learning/frmSkyrendelFAQ.h"
#include "learning/htmlview.h"
#include "learning/learningmode.h"
#include "learning/reports.h"
#include "learningfixture.h"
#include "quiz/records.h"
#include "shell/picturebox.h"
#include "shell/settings.h"
#include "shell/testdoubles.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace sky;
using learningtest::Plane;

static gametest::SettingsDir g_settings;

namespace {

const QString kIssue = QStringLiteral("https://updates.skyrendel.example/quillan/issue.asp");

// Static ids differ from the user database's, so a lookup in the wrong one shows.
QVector<Plane> planes() {
    return {{501, QStringLiteral("Airbus A320"), QStringLiteral("A320"), 2, QVariant(), 7},
            {502, QStringLiteral("Boeing 737"), QStringLiteral("B737"), 12, QVariant(), 8},
            {503, QStringLiteral("Fokker F.27 'Friendship'"), QStringLiteral("F27'X"), 3, QVariant(), 9}};
}

void storeUser(const QString& first, const QString& last, const QString& email) {
    SaveAppSetting(QStringLiteral("UserFirstName"), first);
    SaveAppSetting(QStringLiteral("UserLastName"), last);
    SaveAppSetting(QStringLiteral("UserEmail"), email);
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<fixtures::DataFolder> data_;

private slots:
    void init() {
        gametest::SettingsDir::clear();
        learning::ResetDetailsAskedForTests();
        fake_ = std::make_unique<FakePlatform>();
        data_ = std::make_unique<fixtures::DataFolder>();
        data_->createStaticAndUser();
        learningtest::buildCatalogue(planes());
    }
    void cleanup() {
        data_.reset();
        fake_.reset();
    }

    void learningPanelLinks_data() {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("aircraftSteps"); // next-aircraft clicks
        QTest::addColumn<int>("photoSteps");    // next-photograph clicks
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("query");
        QTest::newRow("side 0, picture 3 of 12") << 0 << 1 << 2 << "imgReportProblemImage"
                                                 << "?id=502&imageid=102";
        QTest::newRow("side 0, picture 1") << 0 << 0 << 0 << "imgReportProblemImage" << "?id=501&imageid=100";
        QTest::newRow("side 0, picture 12 by the left arrow") << 0 << 1 << -1 << "imgReportProblemImage"
                                                              << "?id=502&imageid=111";
        QTest::newRow("side 1, aircraft link") << 1 << 1 << 4 << "imgReportProblemAircraft" << "?id=502&imageid=0";
        QTest::newRow("side 1, picture 2 of 3, quoted folder") << 1 << 2 << 1 << "imgReportProblemImage"
                                                               << "?id=503&imageid=101";
        QTest::newRow("side 0, quoted folder, aircraft") << 0 << 2 << 0 << "imgReportProblemAircraft"
                                                         << "?id=503&imageid=0";
    }
    void learningPanelLinks() {
        QFETCH(int, side);
        QFETCH(int, aircraftSteps);
        QFETCH(int, photoSteps);
        QFETCH(QString, link);
        QFETCH(QString, query);
        storeUser(QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("ann@example.org"));
        data::CatalogLists lists;
        lists.resetLstAircraftNamesAndFolders(false);
        learningtest::StandInPanel panel;
        learning::LearningMode learning(&panel, lists);
        learning.SetupLearningMode();
        auto box = [&](const QString& name) { return panel.findChild<PictureBox*>(name + "_" + QString::number(side)); };
        for (int i = 0; i < aircraftSteps; ++i) QTest::mouseClick(box("cmdLearningMoveNextAircraft"), Qt::LeftButton);
        for (int i = 0; i < qAbs(photoSteps); ++i)
            QTest::mouseClick(box(photoSteps > 0 ? "cmdComparisonMoveRight" : "cmdComparisonMoveLeft"), Qt::LeftButton);
        QTest::mouseClick(box(link), Qt::LeftButton);
        QCOMPARE(fake_->shell.opened,
                 QStringList{kIssue + query + QStringLiteral("&user=Ann%20Lee&email=ann%40example.org")});
        QVERIFY(fake_->messageBox.shown.isEmpty());
    }

    void queryValuesAreEncoded_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("tail");
        QTest::newRow("blanks") << "Mary Ann" << "van der Berg" << "m@example.org"
                                << "&user=Mary%20Ann%20van%20der%20Berg&email=m%40example.org";
        QTest::newRow("ampersand, hash, percent") << "Tom & Jerry" << "#1 100%" << "t&j@example.org"
                                                  << "&user=Tom%20%26%20Jerry%20%231%20100%25&email=t%26j%40example.org";
        QTest::newRow("quote, plus, equals") << "O'Brien" << "a+b=c" << "o+b@example.org"
                                             << "&user=O%27Brien%20a%2Bb%3Dc&email=o%2Bb%40example.org";
        QTest::newRow("letters beyond ASCII") << "J\u00fcrgen" << "\u00c5berg" << "j@example.org"
                                              << "&user=J%C3%BCrgen%20%C3%85berg&email=j%40example.org";
        QTest::newRow("only an e-mail address") << "" << "" << "x@example.org" << "&user=%20&email=x%40example.org";
    }
    void queryValuesAreEncoded() {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, email);
        QFETCH(QString, tail);
        storeUser(first, last, email);
        learning::ResetDetailsAskedForTests();
        // With a stored name the dialog is never shown; with none it is
        // dismissed here, leaving what is stored.
        QTimer dismiss;
        connect(&dismiss, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
        });
        dismiss.start(20);
        learning::ReportIssue(QStringLiteral("A320"), 1, nullptr);
        QCOMPARE(fake_->shell.opened, QStringList{kIssue + QStringLiteral("?id=501&imageid=101") + tail});
    }

    void unknownAircraftAndPastTheLastPhotograph_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("query");
        QTest::newRow("folder not in the catalogue") << "NOPE" << 0 << "?id=0&imageid=0";
        QTest::newRow("past the last photograph") << "A320" << 2 << "?id=501&imageid=0";
        QTest::newRow("blanks around the folder") << "  B737 " << 11 << "?id=502&imageid=111";
        QTest::newRow("empty folder") << "" << 0 << "?id=0&imageid=0";
        QTest::newRow("any negative position") << "B737" << -7 << "?id=502&imageid=0";
    }
    void unknownAircraftAndPastTheLastPhotograph() {
        QFETCH(QString, folder);
        QFETCH(int, position);
        QFETCH(QString, query);
        storeUser(QStringLiteral("A"), QStringLiteral("B"), QString());
        learning::ReportIssue(folder, position, nullptr);
        QCOMPARE(fake_->shell.opened, QStringList{kIssue + query + QStringLiteral("&user=A%20B&email=")});
    }

    // The "UpdateServer" setting moves the report page to another server;
    // anything that is not a plain http or https address is ignored.
    void updateServerSettingMovesTheReportPage_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("page");
        QTest::newRow("local demo server") << "http://127.0.0.1:8080" << "http://127.0.0.1:8080/quillan/issue.asp";
        QTest::newRow("trailing slashes") << " https://mirror.example.org// " << "https://mirror.example.org/quillan/issue.asp";
        QTest::newRow("not set") << "" << kIssue;
        QTest::newRow("another scheme") << "ftp://mirror.example.org" << kIssue;
        QTest::newRow("no host") << "http://" << kIssue;
        QTest::newRow("a query of its own") << "http://evil.example/?x=" << kIssue;
        QTest::newRow("not an address") << "updates" << kIssue;
    }
    void updateServerSettingMovesTheReportPage() {
        QFETCH(QString, setting);
        QFETCH(QString, page);
        SaveAppSetting(QStringLiteral("UpdateServer"), setting);
        storeUser(QStringLiteral("A"), QStringLiteral("B"), QString());
        learning::ReportIssue(QStringLiteral("A320"), 1, nullptr);
        QCOMPARE(fake_->shell.opened, QStringList{page + QStringLiteral("?id=501&imageid=101&user=A%20B&email=")});
    }

    void detailsAreAskedOnceBeforeTheFirstReport() {
        int dialogs = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            auto* d = qobject_cast<game::frmUserDetails*>(QApplication::activeModalWidget());
            if (!d) return;
            ++dialogs;
            d->findChild<QLineEdit*>(QStringLiteral("txtFirstName"))->setText(QStringLiteral("Kim"));
            d->findChild<QLineEdit*>(QStringLiteral("txtLastName"))->setText(QStringLiteral("Park"));
            d->findChild<QLineEdit*>(QStringLiteral("txtEmail"))->setText(QStringLiteral("kim@example.org"));
            d->cmdOK_Click();
        });
        answer.start(20);
        learning::ReportIssue(QStringLiteral("A320"), -1, nullptr);
        QCOMPARE(dialogs, 1);
        QCOMPARE(fake_->shell.opened.value(0),
                 kIssue + QStringLiteral("?id=501&imageid=0&user=Kim%20Park&email=kim%40example.org"));
        // Stored: the next report asks nothing and sends the same.
        learning::ReportIssue(QStringLiteral("B737"), -1, nullptr);
        QCOMPARE(dialogs, 1);
        QCOMPARE(fake_->shell.opened.value(1),
                 kIssue + QStringLiteral("?id=502&imageid=0&user=Kim%20Park&email=kim%40example.org"));
    }

    void cancelledDetailsStillReportOnceWithoutAName() {
        int dialogs = 0;
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<game::frmUserDetails*>(QApplication::activeModalWidget())) {
                ++dialogs;
                d->reject();
            }
        });
        cancel.start(20);
        learning::ReportIssue(QStringLiteral("A320"), 0, nullptr);
        learning::ReportIssue(QStringLiteral("A320"), 0, nullptr);
        QCOMPARE(dialogs, 1);
        QCOMPARE(fake_->shell.opened,
                 QStringList(2, kIssue + QStringLiteral("?id=501&imageid=100&user=%20&email=")));
    }

    void resultsScreenLinkReportsTheQuestionOnDisplay() {
        storeUser(QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("ann@example.org"));
        quiz::QuestionRecords records;
        records.lstAnswerA = {QStringLiteral("A320!1"), QStringLiteral("B737!9")};
        records.lstAnswerB = {QStringLiteral("B737!4"), QStringLiteral("A320!0")};
        records.lstAnswerC = {QStringLiteral("F27'X!2"), QStringLiteral("F27'X!1")};
        records.lstCorrectAnswer = {QStringLiteral("B!4"), QStringLiteral("C!1")};
        records.lstUsersInput = {QStringLiteral("B"), QStringLiteral("A")};
        records.AnsweredCount = 2;
        records.CorrectCount = 1;
        game::frmSkyrendelResults results(records);
        PictureBox* link = learning::AttachResultsReportLink(&results);
        QVERIFY(link);
        QCOMPARE(link->objectName(), QStringLiteral("imgReportProblem_0"));
        QVERIFY(results.rect().contains(link->geometry()));
        // The link is clear of every other control of the screen.
        results.show();
        QVERIFY(QTest::qWaitForWindowExposed(&results));
        for (QWidget* other : results.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (other != link && other->isVisible())
                QVERIFY2(!other->geometry().intersects(link->geometry()), qPrintable(other->objectName()));
        // Enlarged, the screen keeps it clear, and draws it for its new size.
        results.resize(1110, 1020);
        QVERIFY(results.findChild<QWidget*>(QStringLiteral("imgAircraftName_0"))->geometry().bottom() <
                link->geometry().top());
        QCOMPARE(link->picture().deviceIndependentSize().toSize(), link->size());
        QVERIFY(link->width() > 600);
        results.resize(740, 680);
        QTest::mouseClick(link, Qt::LeftButton);
        results.cmdChangeAircraft_Click(1); // the next question
        QTest::mouseClick(link, Qt::LeftButton);
        const QString user = QStringLiteral("&user=Ann%20Lee&email=ann%40example.org");
        QCOMPARE(fake_->shell.opened, (QStringList{kIssue + "?id=502&imageid=104" + user,
                                                   kIssue + "?id=503&imageid=101" + user}));
    }

    void adviceMessageOnBothQuizPanels() {
        const QString crlf = QStringLiteral("\r\n");
        const QString expected =
            QStringLiteral("Sorry to hear that you see a problem or issue with this aircraft of question.  This "
                           "software is good because we can get feedback from users like you and then issue updates "
                           "via the software's update features.  To report an issue, please do this: ") +
            crlf + crlf +
            QStringLiteral("First, check the updates functionality of the software. Maybe the thing you'd like to "
                           "report has already been addressed but you still have older data on your PC?") +
            crlf + crlf +
            QStringLiteral("Second, read the program FAQ available through the main menu.  This may help address "
                           "some misconceptions and otherwise help you resolve the issue.") +
            crlf + crlf +
            QStringLiteral("Finally, if you're sure that we need to know about this issue, please start the software "
                           "in LEARNING MODE. Then, find the aircraft and/or image that you are interested in, and "
                           "click on the report issue links at the bottom of the screen.  This will ensure that your "
                           "suggstion gets to the right place where it can be looked at by our editors.") +
            crlf + QStringLiteral("We thank you very much for your feedback!");
        learning::imgSeeProblem_Click(0, nullptr);
        learning::imgSeeProblem_Click(1, nullptr);
        QCOMPARE(fake_->messageBox.shown.size(), 2);
        for (const ShownMessage& m : fake_->messageBox.shown) {
            QCOMPARE(m.title, QStringLiteral("Reporting an Issue"));
            QCOMPARE(m.text, expected);
            QCOMPARE(m.icon, MsgIcon::Information);
            QCOMPARE(m.buttons, MsgButtons::OkOnly);
        }
        QVERIFY(fake_->shell.opened.isEmpty());
    }

    void faqWindowWritesAndShowsItsFile_data() {
        QTest::addColumn<QVariant>("faq"); // null: no "FAQ" constant at all
        QTest::addColumn<QString>("visible");
        QTest::newRow("a page") << QVariant(QStringLiteral("<html><body><h2>Why \u00e9?</h2>\r\n<p>Because.</p></body></html>"))
                                << QStringLiteral("Why \u00e9?");
        QTest::newRow("no FAQ constant") << QVariant() << QString();
        QTest::newRow("scripts and no mark-up")
            << QVariant(QStringLiteral("Plain words <script>alert(1)</script>")) << QStringLiteral("Plain words");
    }
    void faqWindowWritesAndShowsItsFile() {
        QFETCH(QVariant, faq);
        QFETCH(QString, visible);
        if (!faq.isNull()) fixtures::InsertTextConstant(*db::StaticDB(), QStringLiteral("FAQ"), faq);
        fixtures::InsertTextConstant(*db::StaticDB(), QStringLiteral("OTHER"), QStringLiteral("not this"));
        const QString path = learning::frmSkyrendelFAQ::FaqPath();
        QCOMPARE(path, data_->path() + QStringLiteral("/SKR_FAQ.html"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older, longer FAQ that must not survive the window's load");
        }
        learning::frmSkyrendelFAQ window;
        QCOMPARE(fileBytes(path), faq.toString().toUtf8());
        learning::HtmlView* web = window.findChild<learning::HtmlView*>(QStringLiteral("WebBrowser1"));
        QVERIFY(web);
        QCOMPARE(web->location(), path);
        if (visible.isEmpty()) QCOMPARE(web->toPlainText(), QString());
        else QVERIFY(web->toPlainText().contains(visible));
        QVERIFY(!web->toPlainText().contains(QStringLiteral("alert")));
        // The exit button closes the window; the file stays.
        window.show();
        QTest::mouseClick(window.findChild<PictureBox*>(QStringLiteral("cmdExit")), Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QVERIFY(QFile::exists(path));
        QVERIFY(fake_->messageBox.shown.isEmpty());
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
